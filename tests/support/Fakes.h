#pragma once
// Scripted stand-ins for every seam: they record what the program asked and
// answer from queues the test fills, so no real dialog or program ever opens.

#include "PdfRender.h"
#include "Registry.h"
#include "Services.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace vvtest {

struct ShownMessage {
    QString text;
    int style = 0;
    QString title;
};

class FakeMessageBox : public vv::MessageBoxSeam {
public:
    int MsgBox(QWidget *owner, const QString &text, int style, const QString &title) override;
    QString InputBox(QWidget *owner, const QString &prompt, const QString &title,
                     const QString &defaultText) override;

    // Answers handed out in order; when empty, the box's first button (OK,
    // Yes or Retry) is taken.
    QQueue<int> answers;
    // Typed answers in order; an empty queue, or a null string, is Cancel.
    QQueue<QString> inputs;
    QList<ShownMessage> shown;
    // Runs inside the box, while it would be open (e.g. the host ending the program).
    std::function<void()> whileOpen;
};

struct DialogRequest {
    QString title;
    QString folder;
    QString filter;
    QString defaultExt;
};

class FakeFileDialog : public vv::FileDialogSeam {
public:
    QString ShowFileDialog(QWidget *owner, const QString &title, QString &folder,
                           const QString &initialName, const QString &filter,
                           const QString &defaultExt, int mode) override;

    // Full paths to "choose", in order; "" or an empty queue is Cancel.
    QQueue<QString> choices;
    QList<DialogRequest> requests;
};

class FakeProcess : public vv::ProcessSeam {
public:
    bool StartCommandLine(const QString &commandLine, QString *error) override;
    bool OpenUrl(const QUrl &url) override;

    QStringList commandLines;
    QList<QUrl> urls;
    bool fail = false;
};

struct PrintRequest {
    QString document;
    QStringList printers;
    QString offered; // the printer the dialog came up with
};

class FakePrintDialog : public vv::PrintDialogSeam {
public:
    QStringList Printers(QString *defaultPrinter) override;
    bool AskPrintOptions(QWidget *owner, const QString &document, const QStringList &printers,
                         vv::PrintOptions &options) override;

    QStringList printers;
    QString defaultPrinter;
    // The dialog's answer; printer "" keeps the one offered. Cancel when false.
    bool accept = true;
    vv::PrintOptions answer;
    QList<PrintRequest> requests;
};

// Every reading moves the time on, so a pause ends without real waiting.
class FakeClock : public vv::ClockSeam {
public:
    double SecondsSinceMidnight() override;
    double now = 43200.0;
    double step = 0.25;
    int reads = 0;
    // Runs at every reading, as window events would during a pause.
    std::function<void()> duringPause;
};

class FakeExit : public vv::ExitSeam {
public:
    void ExitNow(int code) override { exitNowCodes.append(code); }
    void QuitApplication(int code) override { quitCodes.append(code); }
    QList<int> exitNowCodes;
    QList<int> quitCodes;
};

// All fakes together, with a settings store below root.
struct FakeServices {
    explicit FakeServices(const QString &root);
    vv::Services services();

    FakeMessageBox msg;
    FakeFileDialog fileDialog;
    FakeProcess process;
    FakeClock clock;
    FakeExit exit;
    FakePrintDialog print;
    std::unique_ptr<vv::Registry> registry;
    std::unique_ptr<vv::PdfModule> pdf; // null: the one beside the test program
};

} // namespace vvtest
