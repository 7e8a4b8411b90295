// vorlagen-host [--install DIR] TEXT
// Hands TEXT to the program of the installation folder DIR (default: this
// program's own folder), as the host does with "$Ende$".
// Exit codes: 0 delivered, 1 not delivered (not running, or no answer),
// 2 bad usage.

#include "HostLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

void PrintLine(FILE *to, const QString &line)
{
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), to);
}

int Usage(const QString &problem)
{
    if (!problem.isEmpty())
        PrintLine(stderr, problem);
    PrintLine(stderr, QStringLiteral("Aufruf: vorlagen-host [--install ORDNER] TEXT"));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    QString installDir = QCoreApplication::applicationDirPath();
    QStringList texts;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            texts << a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--install")) {
            if (i + 1 >= args.size())
                return Usage(QStringLiteral("Nach --install fehlt der Ordner."));
            installDir = args.at(++i);
        } else if (a.startsWith(QLatin1String("--install="))) {
            installDir = a.mid(10);
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            PrintLine(stdout, QStringLiteral("Aufruf: vorlagen-host [--install ORDNER] TEXT"));
            PrintLine(stdout, QStringLiteral("Übergibt TEXT an die laufende Vorlagen-Bibliothek des Ordners "
                                             "(ohne --install: der Ordner dieses Programms)."));
            return 0;
        } else {
            return Usage(QStringLiteral("Unbekannte Option: %1").arg(a));
        }
    }
    if (texts.isEmpty())
        return Usage(QStringLiteral("Der Text fehlt."));
    if (texts.size() > 1)
        return Usage(QStringLiteral("Zu viele Argumente: nur ein Text wird übergeben."));
    if (installDir.isEmpty())
        return Usage(QStringLiteral("Der Ordner nach --install ist leer."));
    const QString &text = texts.constFirst();
    if (text.toUtf8().size() > vv::kHostLinkMaxTextBytes)
        return Usage(QStringLiteral("Der Text ist zu lang (höchstens %1 Bytes).").arg(vv::kHostLinkMaxTextBytes));

    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(QDir(installDir).absolutePath()));
    switch (vv::SendHostText(installDir, text)) {
    case vv::HostSendResult::Delivered:
        return 0;
    case vv::HostSendResult::NotRunning:
        PrintLine(stderr, QStringLiteral("Die Vorlagen-Bibliothek in %1 läuft nicht.").arg(shown));
        return 1;
    case vv::HostSendResult::Failed:
        break;
    }
    PrintLine(stderr, QStringLiteral("Die Vorlagen-Bibliothek in %1 hat den Text nicht angenommen.").arg(shown));
    return 1;
}
