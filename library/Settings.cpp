#include "Settings.h"

#include "FileServices.h"
#include "Registry.h"

#include <algorithm>

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

WindowPlacement StoredWindowPlacement(const Registry &reg)
{
    WindowPlacement out;
    QString value;
    if (!reg.ReadRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("MainWindow"), value))
        return out;
    const QStringList parts = UpToNul(value).split(QLatin1Char(','));
    if (parts.size() != 4 && !(parts.size() == 5 && parts.last().trimmed() == QLatin1String("max")))
        return out;
    int n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        n[i] = parts.at(i).trimmed().toInt(&ok);
        // Beyond any screen: a garbled value, not a place.
        if (!ok || qAbs(n[i]) > 100000)
            return out;
    }
    if (n[2] <= 0 || n[3] <= 0)
        return out;
    out.rect = QRect(n[0], n[1], n[2], n[3]);
    out.maximized = parts.size() == 5;
    return out;
}

bool StoreWindowPlacement(Registry &reg, const WindowPlacement &placement)
{
    const QRect &r = placement.rect;
    QString value = QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    if (placement.maximized)
        value += QStringLiteral(",max");
    return reg.WriteRegistryValue(QString::fromLatin1(kProductKey), QStringLiteral("MainWindow"), value);
}

QRect FitOnScreen(const QRect &wanted, const QSize &preferred, const QRect &available, const QMargins &frame)
{
    const QRect area = available.marginsRemoved(frame);
    const bool known = wanted.width() > 0 && wanted.height() > 0;
    const QSize size = (known ? wanted.size() : preferred).boundedTo(area.size()).expandedTo(QSize(1, 1));
    if (!known) {
        QRect centred(QPoint(), size);
        centred.moveCenter(area.center());
        return centred;
    }
    // The left or top edge wins where the two bounds cross (a screen smaller than one pixel).
    const int x = std::max(area.left(), std::min(wanted.x(), area.left() + area.width() - size.width()));
    const int y = std::max(area.top(), std::min(wanted.y(), area.top() + area.height() - size.height()));
    return QRect(QPoint(x, y), size);
}

} // namespace vv
