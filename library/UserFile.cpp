#include "UserFile.h"

#include "FileServices.h"
#include "IniFiles.h"

#include <QDir>
#include <QFileInfo>

namespace vv {
namespace {
const QString kSet = QStringLiteral("SET");
const QString kCat = QStringLiteral("CAT");
const QString kDir = QStringLiteral("DIR");
const QString kInfo = QStringLiteral("INFO");

// "01".."09" of one section.
QList<IniKey> CategoryKeys(const QString &section)
{
    QList<IniKey> keys;
    for (int n = 1; n <= UserFile::kMaxCategories; ++n)
        keys.append({section, UserFile::CategoryKey(n)});
    return keys;
}
} // namespace

UserFile::UserFile(const LibraryPaths &paths) : m_paths(paths) {}

QString UserFile::CategoryKey(int position)
{
    return QStringLiteral("%1").arg(position, 2, 10, QLatin1Char('0'));
}

QStringList UserFile::ReadCategories() const
{
    QStringList names = ReadIniValues(path(), CategoryKeys(kCat));
    names.removeAll(QString());
    return names;
}

QString UserFile::CategoryDirValue(int position) const
{
    QString value = ReadIniValue(path(), kDir, CategoryKey(position));
    if (!value.isEmpty() && !value.startsWith(QLatin1Char('\\')))
        value.prepend(QLatin1Char('\\'));
    return value;
}

QString UserFile::CategoryInfo(int position) const
{
    return ReadIniValue(path(), kInfo, CategoryKey(position));
}

QString UserFile::DocumentInfo(const QString &fileName) const
{
    if (fileName.isEmpty())
        return QString();
    return ReadIniValue(path(), kInfo, fileName);
}

QStringList UserFile::DocumentInfos(const QStringList &fileNames) const
{
    QList<IniKey> keys;
    keys.reserve(fileNames.size());
    for (const QString &name : fileNames)
        keys.append({kInfo, name});
    return ReadIniValues(path(), keys);
}

int UserFile::WriteDocumentInfo(const QString &fileName, const QString &text) const
{
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
    return WriteIniValue(path(), kInfo, fileName, oneLine);
}

int UserFile::WriteCategory(int position, const QString &name, const QString &dirValue) const
{
    return ModifyIni(path(), {IniChange::SetValue(kCat, CategoryKey(position), name),
                              IniChange::SetValue(kDir, CategoryKey(position), dirValue)});
}

int UserFile::WriteCategoryInfo(int position, const QString &text) const
{
    return WriteIniValue(path(), kInfo, CategoryKey(position), text);
}

bool UserFile::PrintDoc() const
{
    return VbVal(ReadIniValue(path(), kSet, QStringLiteral("PrintDoc"))) == 1.0;
}

int UserFile::WritePrintDoc(bool on) const
{
    return WriteIniValue(path(), kSet, QStringLiteral("PrintDoc"),
                         on ? QStringLiteral("1") : QStringLiteral("0"));
}

int UserFile::LastCategoryKey() const
{
    const QStringList values = ReadIniValues(path(), CategoryKeys(kCat) + CategoryKeys(kDir));
    for (int n = kMaxCategories; n >= 1; --n) {
        if (!values[n - 1].isEmpty() || !values[kMaxCategories + n - 1].isEmpty())
            return n;
    }
    return 0;
}

bool UserFile::Backup() const
{
    if (!QFileInfo::exists(path()))
        return false;
    return CopyFileOverwrite(path(), backupPath());
}

int UserFile::RemoveCategory(const QString &name) const
{
    const QString file = path();
    const int n = int(ReadIniValues(file, CategoryKeys(kCat)).indexOf(name)) + 1;
    if (n > 0)
        ModifyIni(file, {IniChange::RemoveKey(kCat, CategoryKey(n)), IniChange::RemoveKey(kDir, CategoryKey(n))});
    return n;
}

bool UserFile::RewriteFromFolders(const QStringList &folderNames) const
{
    QList<IniChange> changes{IniChange::RemoveSection(kCat), IniChange::RemoveSection(kDir)};
    for (int i = 0; i < folderNames.size(); ++i) {
        const QString key = CategoryKey(i + 1);
        changes << IniChange::SetValue(kCat, key, folderNames[i])
                << IniChange::SetValue(kDir, key, LibraryPaths::dirValueOf(folderNames[i]));
    }
    return ModifyIni(path(), changes) != 0;
}

bool UserFile::RewriteOrder(const QStringList &names, const QString &snapshotFile) const
{
    QList<IniChange> changes;
    for (int k = 1; k <= kMaxCategories; ++k) {
        if (k <= names.size())
            changes << IniChange::SetValue(kCat, CategoryKey(k), names[k - 1]);
        else
            changes << IniChange::RemoveKey(kCat, CategoryKey(k));
    }
    changes << IniChange::RemoveSection(kDir);
    if (QFileInfo::exists(snapshotFile)) {
        const QStringList old = ReadIniValues(snapshotFile, CategoryKeys(kCat) + CategoryKeys(kDir));
        const QStringList oldNames = old.mid(0, kMaxCategories), oldDirs = old.mid(kMaxCategories);
        for (int j = 0; j < names.size(); ++j) {
            for (int k = 0; k < kMaxCategories; ++k) {
                if (oldNames[k] == names[j])
                    changes << IniChange::SetValue(kDir, CategoryKey(j + 1), oldDirs[k]);
            }
        }
    }
    return ModifyIni(path(), changes) != 0;
}

double VbVal(const QString &text)
{
    // Blanks, a sign, digits, a point and more digits: as far as that goes.
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    auto digitsFrom = [&](qsizetype at) {
        while (at < n && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        return at;
    };
    const qsizetype whole = digitsFrom(i);
    qsizetype end = whole;
    if (whole < n && text[whole] == u'.') {
        const qsizetype fraction = digitsFrom(whole + 1);
        if (fraction > whole + 1)
            end = fraction;
    }
    if (end == i)
        return 0.0;
    bool ok = false;
    const double v = QStringView(text).sliced(start, end - start).toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace vv
