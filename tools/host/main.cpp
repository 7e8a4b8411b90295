// vorlagen-host [--install DIR] TEXT
// Hands TEXT to the program of the installation folder DIR (default: this
// program's own folder), as the host does with "$Ende$".
// Exit codes: 0 delivered, 1 not delivered (not running, or no answer),
// 2 bad usage.
//
// vorlagen-host --favourites [--install DIR]
// Prints the favourites as the host reads them, one a line: slot, TAB, label,
// TAB, the file on disk, and TAB "fehlt" when that file is missing.
// Exit codes: 0 every file there, 1 some missing, 2 bad usage.

#include "Favourites.h"
#include "FileServices.h"
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

const QString kUsage = QStringLiteral("Aufruf: vorlagen-host [--install ORDNER] TEXT\n"
                                      "       vorlagen-host --favourites [--install ORDNER]");

int Usage(const QString &problem)
{
    if (!problem.isEmpty())
        PrintLine(stderr, problem);
    PrintLine(stderr, kUsage);
    return 2;
}

int PrintFavourites(const QString &installDir)
{
    const vv::LibraryPaths paths(QDir(installDir).absolutePath());
    int missing = 0;
    for (const vv::Favourite &f : vv::Favourites(paths).Load()) {
        const QString disk = QDir::toNativeSeparators(paths.favouriteDiskPath(f.path));
        const bool there = vv::FileExists(paths.favouriteDiskPath(f.path));
        missing += there ? 0 : 1;
        PrintLine(stdout, QStringLiteral("%1\t%2\t%3").arg(f.slot).arg(f.label, disk)
                              + (there ? QString() : QStringLiteral("\tfehlt")));
    }
    if (missing > 0)
        PrintLine(stderr, QStringLiteral("%1 Favoriten verweisen auf fehlende Dateien.").arg(missing));
    return missing > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    QString installDir = QCoreApplication::applicationDirPath();
    QStringList texts;
    bool optionsEnded = false;
    bool favourites = false;
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
        } else if (a == QLatin1String("--favourites")) {
            favourites = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            PrintLine(stdout, kUsage);
            PrintLine(stdout, QStringLiteral("Übergibt TEXT an die laufende Vorlagen-Bibliothek des Ordners "
                                             "(ohne --install: der Ordner dieses Programms)."));
            PrintLine(stdout, QStringLiteral("--favourites zeigt die Favoriten aus VORLAGEN.DAT so, wie das "
                                             "Gastprogramm sie liest: Platz, Bezeichnung, Datei."));
            return 0;
        } else {
            return Usage(QStringLiteral("Unbekannte Option: %1").arg(a));
        }
    }
    if (installDir.isEmpty())
        return Usage(QStringLiteral("Der Ordner nach --install ist leer."));
    if (favourites) {
        if (!texts.isEmpty())
            return Usage(QStringLiteral("Mit --favourites wird kein Text übergeben."));
        return PrintFavourites(installDir);
    }
    if (texts.isEmpty())
        return Usage(QStringLiteral("Der Text fehlt."));
    if (texts.size() > 1)
        return Usage(QStringLiteral("Zu viele Argumente: nur ein Text wird übergeben."));
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
