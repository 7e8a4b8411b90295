#include "FileServices.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringView>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vv {
namespace {

bool HasWildcard(QStringView s)
{
    return s.contains(u'*') || s.contains(u'?');
}

// Only * and ? are special: brackets and backslashes are ordinary characters
// in the names of documents. Both sides come case-folded.
bool WildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// Entry exists without following a final symbolic link.
bool EntryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

qsizetype LastSeparator(const QString &path)
{
    return qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Root passes every access check, so read-only means: no write bit at all,
// as the Windows attribute would say.
bool IsReadOnly(const QFileInfo &info)
{
    return !info.isWritable()
        || !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

QString ResolvedTarget(const QString &target)
{
    const QFileInfo info(target);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.symLinkTarget() : canonical;
    }
    return info.absoluteFilePath();
}

bool SyncAndClose(QFile &file)
{
    bool ok = file.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

// A key equal for names that compare equal without regard to letter case: the
// case-insensitive compare folds code point by code point, and so does this.
quint64 FoldedKey(QStringView name)
{
    quint64 key = 14695981039346656037ull; // FNV-1a
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        const char32_t folded = c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : QChar::toCaseFolded(c);
        key = (key ^ folded) * 1099511628211ull;
    }
    return key;
}

// The same key straight from the bytes of a name, without decoding it: plain
// ASCII and two-byte UTF-8 (the umlauts) are folded here, anything else is
// decoded as the listing decodes names.
quint64 FoldedKey(const char *name, size_t length)
{
    quint64 key = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        char32_t c = uchar(name[i]);
        if (c >= 'A' && c <= 'Z') {
            c += 32;
        } else if (c >= 0x80) {
            const char32_t next = i + 1 < length ? uchar(name[i + 1]) : 0;
            if ((c & 0xE0) != 0xC0 || (next & 0xC0) != 0x80 || c < 0xC2)
                return FoldedKey(QFile::decodeName(QByteArray::fromRawData(name, qsizetype(length))));
            c = QChar::toCaseFolded(((c & 0x1F) << 6) | (next & 0x3F));
            ++i;
        }
        key = (key ^ c) * 1099511628211ull;
    }
    return key;
}

bool EndsWithAny(const char *name, size_t length, const QList<QByteArray> &suffixes)
{
    for (const QByteArray &suffix : suffixes) {
        if (length >= size_t(suffix.size())
            && qstrnicmp(name + length - suffix.size(), suffix.constData(), size_t(suffix.size())) == 0)
            return true;
    }
    return false;
}

QList<QByteArray> Latin1(const QStringList &texts)
{
    QList<QByteArray> out;
    for (const QString &text : texts)
        out.append(text.toLatin1());
    return out;
}

} // namespace

QString DiskSpelling(const QString &path)
{
    if (path.isEmpty() || EntryExists(path))
        return path;
    // Walks back only as far as the exact spelling is missing, so a wrongly
    // spelled file name costs one listing of its folder.
    const qsizetype cut = path.lastIndexOf(u'/');
    const QString name = path.mid(cut + 1);
    QString folder = cut == 0 ? QStringLiteral("/") : QString();
    if (cut > 0) {
        folder = DiskSpelling(path.left(cut));
        if (folder.isEmpty())
            return QString();
        folder += u'/';
        if (folder != QStringView(path).left(cut + 1) && EntryExists(folder + name))
            return folder + name;
    }
    if (name.isEmpty() || name == u"." || name == u"..")
        return QString();

    QString best;
    QDirIterator it(folder.isEmpty() ? QStringLiteral(".") : folder,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString candidate = it.fileName();
        if (candidate.compare(name, Qt::CaseInsensitive) == 0 && (best.isNull() || candidate < best))
            best = candidate;
    }
    return best.isNull() ? QString() : folder + best;
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const qsizetype cut = path.lastIndexOf(u'/');
    const QString pattern = path.mid(cut + 1);
    if (pattern.isEmpty())
        return false;
    if (!HasWildcard(pattern))
        return !DiskSpelling(path).isEmpty();

    const QString folder = cut < 0 ? QStringLiteral(".") : DiskSpelling(cut == 0 ? QStringLiteral("/") : path.left(cut));
    if (folder.isEmpty())
        return false;
    const bool everything = pattern == u"*.*";
    const QString folded = pattern.toCaseFolded();
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (everything || WildcardMatch(folded, it.fileName().toCaseFolded()))
            return true;
    }
    return false;
}

FolderListing ListFolder(const QString &folder, const QStringList &named, const QStringList &indexed,
                         const std::function<void(QStringList &&)> &handOver)
{
    constexpr qsizetype kBatch = 512;
    FolderListing listing;
    listing.folder = folder;
    const QList<QByteArray> names = Latin1(named);
    const QList<QByteArray> keys = Latin1(indexed);
    auto take = [&](const char *name, size_t length, bool isFile) {
        const bool wantName = EndsWithAny(name, length, names);
        const bool wantKey = EndsWithAny(name, length, keys);
        if ((!wantName && !wantKey) || !isFile)
            return;
        if (wantName) {
            // QFile::decodeName's UTF-8, without a decoder set up for each name.
            listing.names.append(QString::fromUtf8(name, qsizetype(length)));
            if (handOver && listing.names.size() == kBatch) {
                handOver(std::move(listing.names));
                listing.names = QStringList();
            }
        }
        if (wantKey)
            listing.indexed.push_back(FoldedKey(name, length));
    };
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    const int fd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type != DT_REG && entry->d_type != DT_DIR && EndsWithAny(entry->d_name, length, names + keys)) {
            // A link counts by what it leads to; some file systems tell no type at all.
            struct stat st;
            isFile = ::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        take(entry->d_name, length, isFile);
    }
    ::closedir(dir);
#else
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QByteArray name = it.fileName().toUtf8(); // as the listing decodes it
        take(name.constData(), size_t(name.size()), true);
    }
#endif
    std::sort(listing.indexed.begin(), listing.indexed.end());
    return listing;
}

QString FolderListing::find(const QString &name) const
{
    const QString path = folder + u'/' + name;
    if (EntryExists(path))
        return path;
    const auto seen = std::equal_range(indexed.begin(), indexed.end(), FoldedKey(name));
    if (seen.first == seen.second)
        return QString();
    if (seen.second - seen.first == 1) {
        // The one other spelling is mostly a Windows one: the extension, or
        // the whole name, in capitals or in small letters.
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString stem = name.left(dot + 1);
        const QString extension = name.mid(dot + 1);
        for (const QString &guess : {stem + extension.toUpper(), stem + extension.toLower(), name.toUpper(),
                                     name.toLower()}) {
            if (guess != name && guess.compare(name, Qt::CaseInsensitive) == 0 && EntryExists(folder + u'/' + guess))
                return folder + u'/' + guess;
        }
    }
    return DiskSpelling(path);
}

bool PathExists(const QString &path)
{
    return !DiskSpelling(path).isEmpty();
}

QString GetFileName(const QString &path)
{
    return path.mid(LastSeparator(path) + 1);
}

QString GetFilePath(const QString &path)
{
    return path.left(LastSeparator(path) + 1);
}

QString CreateTempFileIn(const QString &folder, quint16 start)
{
    if (folder.isEmpty())
        return QString();
    QString base = QDir::cleanPath(folder);
    if (!base.endsWith(u'/'))
        base += u'/';
    quint16 unique = start ? start : 1;
    for (int attempt = 0; attempt < 0xFFFF; ++attempt) {
        const QString path = base + QStringLiteral("%1").arg(unique, 4, 16, QLatin1Char('0')).toUpper() + QStringLiteral(".tmp");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            return path;
        }
        // Only a taken name is worth the next number; a missing or closed
        // folder fails the same way for all of them.
        if (!EntryExists(path))
            return QString();
        unique = unique == 0xFFFF ? 1 : quint16(unique + 1);
    }
    return QString();
}

QString GetTempFile()
{
    QString folder = qEnvironmentVariable("temp");
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return CreateTempFileIn(folder, quint16(QRandomGenerator::global()->bounded(1, 0x10000)));
}

bool CopyFileOverwrite(const QString &source, const QString &target, QString *error)
{
    const QFileInfo sourceInfo(source);
    if (source.isEmpty() || !sourceInfo.exists() || sourceInfo.isDir()) {
        SetError(error, QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(source));
        return false;
    }
    QFile in(source);
    // Opening a FIFO would wait for a writer, a device may never end.
    if (!sourceInfo.isFile() || !in.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(source));
        return false;
    }
    if (target.isEmpty()) {
        SetError(error, QStringLiteral("Kein Zielname angegeben."));
        return false;
    }

    const QString resolved = ResolvedTarget(target);
    const QFileInfo targetInfo(resolved);
    const bool existed = targetInfo.exists();
    if (existed && (targetInfo.isDir() || IsReadOnly(targetInfo))) {
        SetError(error, QStringLiteral("Die Datei \"%1\" kann nicht überschrieben werden.").arg(target));
        return false;
    }

    const QString stem = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName() + u'.';
    QFile out;
    for (int attempt = 0; attempt < 16 && !out.isOpen(); ++attempt) {
        out.setFileName(stem + QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".part"));
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !EntryExists(out.fileName()))
            break;
    }
    if (!out.isOpen()) {
        SetError(error, QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden.").arg(target));
        return false;
    }

    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (out.write(buffer, got) != got) {
            ok = false;
            break;
        }
    }
    in.close();
    if (ok && existed)
        ok = out.setPermissions(targetInfo.permissions());
    ok = SyncAndClose(out) && ok;
    ok = ok && std::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(resolved).constData()) == 0;
    if (!ok) {
        QFile::remove(out.fileName());
        SetError(error, QStringLiteral("Die Datei \"%1\" konnte nicht nach \"%2\" kopiert werden.").arg(source, target));
        return false;
    }
    return true;
}

} // namespace vv
