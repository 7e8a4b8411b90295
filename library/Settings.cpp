#include "Settings.h"

#include "FileServices.h"
#include "Registry.h"

namespace vv {
namespace {

QString UpToNul(const QString &s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

bool EndsInSeparator(const QString &s) { return s.endsWith(QLatin1Char('/')) || s.endsWith(QLatin1Char('\\')); }

QString WithSeparator(const QString &s) { return EndsInSeparator(s) ? s : s + QLatin1Char('/'); }

} // namespace

QString DatabaseFolder(Registry &reg, const QString &programDir)
{
    QString value;
    QString folder;
    if (reg.ReadRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("Database"), value))
        folder = UpToNul(value);
    else
        reg.WriteRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("Database"), WithSeparator(programDir));
    if (folder.isEmpty())
        folder = programDir;
    return WithSeparator(folder);
}

TemplatesSetting TemplatesFolder(const Registry &reg, const QString &programDir)
{
    QString value;
    TemplatesSetting out;
    if (reg.ReadRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("InstallDir"), value))
        value = UpToNul(value).trimmed();
    else
        value.clear();
    out.fromSettings = !value.isEmpty();
    if (out.fromSettings) {
        out.folder = WithSeparator(value) + QStringLiteral("Vorlagen");
        // A value naming no library would leave every operation failing.
        if (PathExists(out.folder))
            return out;
        out.fromSettings = false;
    }
    out.folder = WithSeparator(programDir) + QStringLiteral("Vorlagen");
    return out;
}

QUrl DownloadAddress(const Registry &reg)
{
    QString value;
    if (reg.ReadRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("Download"), value)) {
        const QUrl url = QUrl::fromUserInput(UpToNul(value).trimmed());
        if (url.isValid() && !url.isEmpty())
            return url;
    }
    return QUrl(QString::fromLatin1(kDefaultDownloadAddress));
}

} // namespace vv
