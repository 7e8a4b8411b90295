#include "Fakes.h"

#include <QDir>
#include <QFileInfo>

namespace vvtest {

int FakeMessageBox::MsgBox(QWidget *, const QString &text, int style, const QString &title)
{
    shown.append({text, style, title});
    if (whileOpen)
        whileOpen();
    if (!answers.isEmpty())
        return answers.dequeue();
    switch (style & 7) {
    case 4:
        return vv::vbYes;
    case 5:
        return vv::vbRetry;
    default:
        return vv::vbOK;
    }
}

QString FakeMessageBox::InputBox(QWidget *, const QString &prompt, const QString &title,
                                 const QString &)
{
    shown.append({prompt, -1, title});
    return inputs.isEmpty() ? QString() : inputs.dequeue();
}

QString FakeFileDialog::ShowFileDialog(QWidget *, const QString &title, QString &folder,
                                       const QString &, const QString &filter,
                                       const QString &defaultExt, int)
{
    requests.append({title, folder, filter, defaultExt});
    const QString chosen = choices.isEmpty() ? QString() : choices.dequeue();
    if (chosen.isEmpty())
        return QString();
    const QFileInfo info(chosen);
    folder = info.path() + QLatin1Char('/');
    return info.fileName();
}

bool FakeProcess::StartCommandLine(const QString &commandLine, QString *error)
{
    commandLines.append(commandLine);
    if (fail && error)
        *error = QStringLiteral("Das Programm konnte nicht gestartet werden.");
    return !fail;
}

bool FakeProcess::OpenUrl(const QUrl &url)
{
    urls.append(url);
    return !fail;
}

QStringList FakePrintDialog::Printers(QString *defaultPrinter)
{
    if (defaultPrinter)
        *defaultPrinter = this->defaultPrinter;
    return printers;
}

bool FakePrintDialog::AskPrintOptions(QWidget *, const QString &document, const QStringList &printers,
                                      vv::PrintOptions &options)
{
    requests.append({document, printers, options.printer});
    if (!accept)
        return false;
    const QString offered = options.printer;
    options = answer;
    if (options.printer.isEmpty())
        options.printer = offered;
    return true;
}

double FakeClock::SecondsSinceMidnight()
{
    ++reads;
    if (duringPause)
        duringPause();
    now += step;
    if (now >= 86400.0)
        now -= 86400.0;
    return now;
}

FakeServices::FakeServices(const QString &root)
{
    // Every set of fakes starts from an empty settings store.
    QDir(root + "/registry").removeRecursively();
    QDir().mkpath(root + "/registry");
    registry = std::make_unique<vv::Registry>(root + "/registry/Ordinalis.conf", QStringList());
}

vv::Services FakeServices::services()
{
    vv::Services s;
    s.msg = &msg;
    s.fileDialog = &fileDialog;
    s.process = &process;
    s.clock = &clock;
    s.exit = &exit;
    s.registry = registry.get();
    s.print = &print;
    s.pdf = pdf.get();
    return s;
}

} // namespace vvtest
