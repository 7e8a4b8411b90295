#pragma once
// Everything that leaves the process or waits on a person goes through one of
// these interfaces, so tests can run every path with scripted fakes.

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace vv {

// Answers of a message box, with the numbers the classic MsgBox used.
enum MsgAnswer { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// A message box's style is its buttons plus its icon, with the numbers the
// classic MsgBox used: Buttons::RetryCancel | Icon::Information is 69.
namespace Buttons {
enum : int { OK = 0, OKCancel = 1, YesNo = 4, RetryCancel = 5 };
}
namespace Icon {
enum : int { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
}

class MessageBoxSeam {
public:
    virtual ~MessageBoxSeam() = default;
    virtual int MsgBox(QWidget *owner, const QString &text, int style, const QString &title) = 0;
    // Returns the entered text; on Cancel a null string, so a caller that
    // cares can tell it from an empty answer (which is "" but not null).
    virtual QString InputBox(QWidget *owner, const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
};

class FileDialogSeam {
public:
    virtual ~FileDialogSeam() = default;
    // filter: "Desc|pattern|Desc|pattern". folder is in/out: on success it
    // receives the chosen file's folder with a trailing separator; on cancel it
    // stays as it was and "" is returned. Returns the file name alone.
    virtual QString ShowFileDialog(QWidget *owner, const QString &title, QString &folder,
                                   const QString &initialName, const QString &filter,
                                   const QString &defaultExt, int mode) = 0;
};

class ProcessSeam {
public:
    virtual ~ProcessSeam() = default;
    // Starts a Windows-style command line detached, never through a shell.
    // Returns false and fills error (German, for the user) when it could not start.
    virtual bool StartCommandLine(const QString &commandLine, QString *error) = 0;
    virtual bool OpenUrl(const QUrl &url) = 0;
};

// What a print dialog asks for: one of the print system's printers, the
// number of copies and the pages ("" for all, else e.g. "1-3,5").
struct PrintOptions {
    QString printer;
    int copies = 1;
    QString pages;
};

class PrintDialogSeam {
public:
    virtual ~PrintDialogSeam() = default;
    // The print system's printers, empty when there are none or no print
    // system answers; defaultPrinter receives its default ("" when none).
    virtual QStringList Printers(QString *defaultPrinter) = 0;
    // Asks how to print document (a name for the user). options comes in
    // with the printer to offer first; false on Cancel.
    virtual bool AskPrintOptions(QWidget *owner, const QString &document, const QStringList &printers,
                                 PrintOptions &options) = 0;
};

class ClockSeam {
public:
    virtual ~ClockSeam() = default;
    virtual double SecondsSinceMidnight() = 0;
};

class ExitSeam {
public:
    virtual ~ExitSeam() = default;
    // Ends the process at once with the code: no settings, no close handling.
    virtual void ExitNow(int code) = 0;
    // Ends the program after the current handler: the event loop returns the
    // code, remaining windows are discarded without their close handling.
    virtual void QuitApplication(int code) = 0;
};

} // namespace vv
