// vorlagen-demo [--reset] INSTALLDIR
// Puts the demo library into an installation folder. Without --reset only
// missing files are made, so changes to the demo survive a rebuild; --reset
// rewrites every demo file and leaves all other files alone.

#include "DemoLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

int Usage()
{
    std::fputs("Aufruf: vorlagen-demo [--reset] INSTALLATIONSORDNER\n", stderr);
    return 2;
}

void Say(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

} // namespace

int main(int argc, char **argv)
{
    bool reset = false;
    QString installDir;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--reset") && !reset)
            reset = true;
        else if (!arg.startsWith(QLatin1String("--")) && installDir.isEmpty() && !arg.isEmpty())
            installDir = arg;
        else
            return Usage();
    }
    if (installDir.isEmpty())
        return Usage();

    const QDir root(installDir);
    QList<vv::demo::DemoFile> todo;
    for (const vv::demo::DemoFile &f : vv::demo::DemoFiles())
        if (reset || !QFileInfo::exists(root.filePath(f.relativePath)))
            todo.append(f);
    // The build runs this every time; a complete folder costs no start-up.
    if (todo.isEmpty())
        return 0;

    // Fonts need a GUI application, but no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    int failures = 0;
    for (const vv::demo::DemoFile &f : todo) {
        const QString path = root.filePath(f.relativePath);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !f.write(path)) {
            Say(stderr, QStringLiteral("vorlagen-demo: %1 konnte nicht geschrieben werden.")
                            .arg(QDir::toNativeSeparators(path)));
            ++failures;
        }
    }
    Say(stdout, QStringLiteral("vorlagen-demo: %1 Demo-Dateien in %2 geschrieben.")
                    .arg(todo.size() - failures)
                    .arg(QDir::toNativeSeparators(root.absolutePath())));
    return failures ? 1 : 0;
}
