#include "UserFile.h"

#include "FileServices.h"
#include "IniFiles.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace vv {
namespace {
const QString kSet = QStringLiteral("SET");
const QString kCat = QStringLiteral("CAT");
const QString kDir = QStringLiteral("DIR");
const QString kInfo = QStringLiteral("INFO");
} // namespace

UserFile::UserFile(const QString &templatesFolder) : m_templates(templatesFolder) {}

QString UserFile::path() const { return m_templates + QStringLiteral("/User.dat"); }
QString UserFile::backupPath() const { return m_templates + QStringLiteral("/User.bak"); }

QString UserFile::CategoryKey(int position)
{
    return QStringLiteral("%1").arg(position, 2, 10, QLatin1Char('0'));
}

QStringList UserFile::ReadCategories() const
{
    QStringList names;
    const QString file = path();
    for (int n = 1; n <= kMaxCategories; ++n) {
        const QString name = ReadIniValue(file, kCat, CategoryKey(n));
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QString UserFile::CategoryDirValue(int position) const
{
    QString value = ReadIniValue(path(), kDir, CategoryKey(position));
    if (!value.isEmpty() && !value.startsWith(QLatin1Char('\\')))
        value.prepend(QLatin1Char('\\'));
    return value;
}

QString UserFile::ResolveCategoryFolder(const QString &dirValue) const
{
    if (dirValue.isEmpty())
        return m_templates;
    QString rest = dirValue;
    if (rest.startsWith(QLatin1Char('\\')))
        rest.remove(0, 1);
    // A second separator at the start is a UNC or absolute path, a colon a
    // drive letter; a trailing separator names no folder of the library.
    if (rest.isEmpty() || rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/'))
        || rest.contains(QLatin1Char(':')) || rest.endsWith(QLatin1Char('\\'))
        || rest.endsWith(QLatin1Char('/')) || rest.contains(QChar(0)))
        return QString();
    const QStringList parts = rest.split(QRegularExpression(QStringLiteral("[\\\\/]")));
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return QString();
    }
    return m_templates + QLatin1Char('/') + parts.join(QLatin1Char('/'));
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

int UserFile::WriteDocumentInfo(const QString &fileName, const QString &text) const
{
    return WriteIniValue(path(), kInfo, fileName, text);
}

QString UserFile::CategoryFolder(const QString &categoryName) const
{
    if (categoryName.isEmpty() || categoryName == QLatin1String(".") || categoryName == QLatin1String("..")
        || categoryName.contains(QLatin1Char('/')) || categoryName.contains(QLatin1Char('\\'))
        || categoryName.contains(QChar(0)))
        return QString();
    return m_templates + QLatin1Char('/') + categoryName + QLatin1Char('/');
}

QString UserFile::PreviewFileName(const QString &documentName, const QString &picture)
{
    // QString::left of a negative count would keep the whole name.
    return documentName.left(qMax<qsizetype>(0, documentName.size() - 3)) + picture.right(3);
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

bool UserFile::Backup() const
{
    if (!QFileInfo::exists(path()))
        return false;
    return CopyFileOverwrite(path(), backupPath());
}

void SortNamesGerman(QStringList &names)
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int c = collator.compare(a, b);
        if (c != 0)
            return c < 0;
        return a < b; // the same name in other letter case: a fixed order
    });
}

double VbVal(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?[0-9]*\\.?[0-9]+|[+-]?[0-9]+\\.?)"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return 0.0;
    bool ok = false;
    const double v = m.captured(1).toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace vv
