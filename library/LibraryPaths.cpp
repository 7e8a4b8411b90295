#include "LibraryPaths.h"

#include "FileServices.h"

#include <QDir>
#include <QStringList>

namespace vv {
namespace {

const QString kTemplatesName = QStringLiteral("Vorlagen");

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

// A library copied from Windows may spell its files in any letter case; a
// name not on disk yet keeps the spelling given.
QString Spelled(const QString &path)
{
    const QString onDisk = DiskSpelling(path);
    return onDisk.isEmpty() ? path : onDisk;
}

bool UsableName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

} // namespace

LibraryPaths::LibraryPaths(const QString &programDir, const QString &templatesFolder)
    : m_program(WithoutTrailingSeparator(programDir)),
      m_templates(Spelled(templatesFolder.isEmpty() ? m_program + QLatin1Char('/') + kTemplatesName
                                                    : WithoutTrailingSeparator(templatesFolder)))
{
}

QString LibraryPaths::userFile() const { return Spelled(m_templates + QStringLiteral("/User.dat")); }
QString LibraryPaths::userBackup() const { return Spelled(m_templates + QStringLiteral("/User.bak")); }
QString LibraryPaths::userSnapshot() const { return Spelled(m_templates + QStringLiteral("/User.tmp")); }
QString LibraryPaths::favouritesFile() const { return Spelled(m_program + QStringLiteral("/VORLAGEN.DAT")); }
QString LibraryPaths::favouritesBackup() const { return Spelled(m_program + QStringLiteral("/VORLAGEN.BAK")); }
QString LibraryPaths::fallbackPicture() const { return Spelled(m_program + QStringLiteral("/KORVENTIS.MAP")); }
QString LibraryPaths::restartRelay() const { return Spelled(m_program + QStringLiteral("/APPRELAY.EXE")); }

QString LibraryPaths::powerOfAttorneyForm(int n) const
{
    if (n < 0 || n >= kPowerOfAttorneyForms)
        return QString();
    return Spelled(m_program + QStringLiteral("/DOCFORM%1.DLL").arg(n));
}

QString LibraryPaths::powerOfAttorneyBackup(int n) const
{
    if (n < 0 || n >= kPowerOfAttorneyForms)
        return QString();
    return Spelled(m_program + QStringLiteral("/DOCFORM%1.BAK").arg(n));
}

QString LibraryPaths::categoryFolder(const QString &displayName) const
{
    if (!UsableName(displayName))
        return QString();
    return m_templates + QLatin1Char('/') + displayName;
}

QString LibraryPaths::dirValueOf(const QString &folderName) { return QLatin1Char('\\') + folderName; }

QString LibraryPaths::folderFromDirValue(const QString &dirValue) const
{
    QString rest = dirValue;
    if (rest.startsWith(QLatin1Char('\\')))
        rest.remove(0, 1);
    // Windows ignores one trailing separator of a folder name.
    if (rest.endsWith(QLatin1Char('\\')))
        rest.chop(1);
    if (rest.isEmpty())
        return dirValue.size() <= 1 ? m_templates : QString();
    // A second separator at the start is a UNC or absolute path, a colon a
    // drive letter.
    if (rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/')) || rest.contains(QLatin1Char(':'))
        || rest.endsWith(QLatin1Char('\\')) || rest.endsWith(QLatin1Char('/')) || rest.contains(QChar(0)))
        return QString();
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QStringList parts = rest.split(QLatin1Char('\\'));
    for (const QString &part : parts) {
        if (!UsableName(part))
            return QString();
    }
    return m_templates + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

QString LibraryPaths::favouriteStoredPath(const QString &category, const QString &fileName)
{
    return QLatin1Char('\\') + kTemplatesName + QLatin1Char('\\') + category + QLatin1Char('\\') + fileName;
}

QString LibraryPaths::favouriteDiskPath(const QString &storedPath) const
{
    QString relative = storedPath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!relative.startsWith(QLatin1Char('/')))
        relative.prepend(QLatin1Char('/'));
    return m_program + relative;
}

} // namespace vv
