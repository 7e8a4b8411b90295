// APPRELAY.EXE /restart
// Waits until the program of this relay's installation folder has ended (its
// host link no longer answers) and starts it again.
// Exit codes: 0 started again, 1 not started (still running after the time
// limit, or the program cannot start), 2 bad usage.

#include "HostLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kPollMs = 100;
constexpr int kWaitLimitMs = 30000;

void PrintError(const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

// Polls the link until nobody answers; false when the time limit passes.
bool WaitUntilEnded(const QString &installDir)
{
    QElapsedTimer clock;
    clock.start();
    while (vv::HostLinkAnswers(installDir, kPollMs)) {
        if (clock.elapsed() >= kWaitLimitMs)
            return false;
        QThread::msleep(kPollMs);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args.constFirst().compare(QLatin1String("/restart"), Qt::CaseInsensitive) != 0) {
        PrintError(QStringLiteral("Aufruf: APPRELAY.EXE /restart\n"
                                  "Wartet, bis die Vorlagen-Bibliothek dieses Ordners beendet ist, "
                                  "und startet sie neu."));
        return 2;
    }

    const QString installDir = QCoreApplication::applicationDirPath();
    const QString shown = QDir::toNativeSeparators(installDir);
    if (!WaitUntilEnded(installDir)) {
        PrintError(QStringLiteral("Die Vorlagen-Bibliothek in %1 wurde nach %2 Sekunden noch nicht beendet; "
                                  "sie wird nicht neu gestartet.")
                       .arg(shown)
                       .arg(kWaitLimitMs / 1000));
        return 1;
    }

    const QString program = QDir(installDir).filePath(QStringLiteral("vorlagen"));
    const QFileInfo file(program);
    if (!file.isFile() || !file.isExecutable()) {
        PrintError(QStringLiteral("Das Programm %1 fehlt.").arg(QDir::toNativeSeparators(program)));
        return 1;
    }
    if (!QProcess::startDetached(program, {}, installDir)) {
        PrintError(QStringLiteral("Das Programm %1 konnte nicht gestartet werden.").arg(QDir::toNativeSeparators(program)));
        return 1;
    }
    return 0;
}
