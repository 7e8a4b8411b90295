#include "RecycleKillFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vv {
namespace {

constexpr int kAllowUndo = 0x0040;
constexpr int kSilent = 0x0004;
constexpr int kNoConfirmation = 0x0010;
constexpr int kSimpleProgress = 0x0100;
constexpr int kNoErrorUi = 0x0400;

#ifdef Q_OS_UNIX

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

bool Lstat(const QString &path, struct stat *st)
{
    return ::lstat(Native(path).constData(), st) == 0;
}

// A link goes, never what it points at.
bool DeleteForGood(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || !Lstat(path, &st))
        return false;
    if (S_ISDIR(st.st_mode))
        return QDir(path).removeRecursively();
    return ::unlink(Native(path).constData()) == 0;
}

bool IsRealDir(const QString &path)
{
    struct stat st {};
    return Lstat(path, &st) && S_ISDIR(st.st_mode);
}

bool MakeDir(const QString &path)
{
    return ::mkdir(Native(path).constData(), 0700) == 0 || (errno == EEXIST && IsRealDir(path));
}

// The data folder may be missing altogether in a fresh account.
bool EnsureTrash(const QString &trash)
{
    if (!IsRealDir(trash)) {
        const QString parent = QFileInfo(trash).absolutePath();
        if (!QDir().mkpath(parent) || !MakeDir(trash))
            return false;
    }
    return MakeDir(trash + QStringLiteral("/files")) && MakeDir(trash + QStringLiteral("/info"));
}

// "b.pdf" -> "b.2.pdf", so the trash still shows the type.
QString NameVariant(const QString &name, int n)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        return name.left(dot) + u'.' + QString::number(n) + name.mid(dot);
    return name + u'.' + QString::number(n);
}

QByteArray TrashInfo(const QString &recordedPath)
{
    return QByteArrayLiteral("[Trash Info]\nPath=") + Native(recordedPath).toPercentEncoding("/")
        + QByteArrayLiteral("\nDeletionDate=")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + '\n';
}

// The link's own text: a relative link must stay relative in the copy.
QByteArray ReadLink(const QString &path, bool *ok)
{
    QByteArray raw(4096, '\0');
    const ssize_t n = ::readlink(Native(path).constData(), raw.data(), size_t(raw.size()));
    *ok = n >= 0 && n < raw.size();
    raw.truncate(*ok ? n : 0);
    return raw;
}

bool CopyTree(const QString &from, const QString &to)
{
    struct stat st {};
    if (!Lstat(from, &st))
        return false;
    if (S_ISLNK(st.st_mode)) {
        bool ok = false;
        const QByteArray link = ReadLink(from, &ok);
        return ok && ::symlink(link.constData(), Native(to).constData()) == 0;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(Native(to).constData(), (st.st_mode & 07777) | 0700) != 0)
            return false;
        const QStringList names = QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            if (!CopyTree(from + u'/' + name, to + u'/' + name))
                return false;
        }
        return true;
    }
    if (!S_ISREG(st.st_mode))
        return false;
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (out.write(buffer, got) != got)
            return false;
    }
    bool ok = out.flush() && ::fsync(out.handle()) == 0;
    ok = ok && ::fchmod(out.handle(), st.st_mode & 07777) == 0;
    out.close();
    return ok && out.error() == QFileDevice::NoError;
}

bool SameTree(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    if (!Lstat(a, &sa) || !Lstat(b, &sb) || (sa.st_mode & S_IFMT) != (sb.st_mode & S_IFMT))
        return false;
    if (S_ISLNK(sa.st_mode)) {
        bool okA = false, okB = false;
        return ReadLink(a, &okA) == ReadLink(b, &okB) && okA && okB;
    }
    if (S_ISDIR(sa.st_mode)) {
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        const QStringList names = QDir(a).entryList(filter, QDir::Name);
        if (names != QDir(b).entryList(filter, QDir::Name))
            return false;
        for (const QString &name : names) {
            if (!SameTree(a + u'/' + name, b + u'/' + name))
                return false;
        }
        return true;
    }
    if (sa.st_size != sb.st_size)
        return false;
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(64 * 1024) != fb.read(64 * 1024))
            return false;
    }
    return fb.atEnd();
}

// The mount point the entry's folder belongs to.
QString MountTopDir(const QString &absolutePath, dev_t device)
{
    QString dir = QFileInfo(absolutePath).absolutePath();
    while (dir != u"/") {
        const QString parent = QFileInfo(dir).absolutePath();
        struct stat st {};
        if (::stat(Native(parent).constData(), &st) != 0 || st.st_dev != device)
            return dir;
        dir = parent;
    }
    return dir;
}

bool OwnPrivateDir(const QString &path, uint uid)
{
    struct stat st {};
    return Lstat(path, &st) && S_ISDIR(st.st_mode) && st.st_uid == uid;
}

// The device the home trash is (or would be) on: a missing data folder is
// made later, on the file system of its nearest existing parent.
bool HomeTrashDevice(const QString &home, dev_t *device)
{
    QString dir = home;
    struct stat st {};
    while (::stat(Native(dir).constData(), &st) != 0) {
        if (dir == u"/" || dir.isEmpty())
            return false;
        dir = QFileInfo(dir).absolutePath();
    }
    *device = st.st_dev;
    return true;
}

bool MoveToTrash(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    if (!Lstat(absolute, &st))
        return false;
    const QString home = HomeTrashFolder();
    dev_t homeDevice {};
    // A file beside the home trash goes there or nowhere: a broken home trash
    // must not send it to the trash of a whole file system.
    if (HomeTrashDevice(home, &homeDevice) && homeDevice == st.st_dev)
        return MoveIntoTrash(absolute, home, QString(), true);
    const QString top = MountTopDir(absolute, st.st_dev);
    const QString topTrash = TopDirTrashFolder(top, uint(::getuid()), true);
    if (!topTrash.isEmpty() && MoveIntoTrash(absolute, topTrash, top, false))
        return true;
    return MoveIntoTrash(absolute, home, QString(), true);
}

#else

bool DeleteForGood(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return (info.exists() || info.isSymLink()) && QFile::remove(path);
}

bool MoveToTrash(const QString &path)
{
    // Qt hands the file to the recycle bin there.
    return QFile::moveToTrash(path);
}

#endif

} // namespace

int RecycleFlags(bool allowUndo, bool showProgress, bool confirm, bool simpleProgress, bool showErrors)
{
    int flags = 0;
    if (allowUndo)
        flags |= kAllowUndo;
    if (!showProgress)
        flags |= kSilent;
    if (!confirm)
        flags |= kNoConfirmation;
    if (simpleProgress)
        flags |= kSimpleProgress;
    if (!showErrors)
        flags |= kNoErrorUi;
    return flags;
}

QStringList RecycleEntries(const QString &nulSeparatedOrSingle)
{
    QStringList names;
    for (const QString &name : nulSeparatedOrSingle.split(QChar(0))) {
        if (name.isEmpty())
            break;
        names.append(name);
    }
    return names;
}

bool RecycleFiles(const QStringList &files, bool allowUndo, bool, bool, bool, bool, QWidget *)
{
    if (files.isEmpty())
        return false;
    bool all = true;
    for (const QString &file : files) {
        const bool done = !file.isEmpty() && (allowUndo ? MoveToTrash(file) : DeleteForGood(file));
        all = all && done;
    }
    return all;
}

bool RecycleFiles(const QString &nulSeparatedOrSingle, bool allowUndo, bool showProgress, bool confirm,
                  bool simpleProgress, bool showErrors, QWidget *owner)
{
    return RecycleFiles(RecycleEntries(nulSeparatedOrSingle), allowUndo, showProgress, confirm, simpleProgress,
                        showErrors, owner);
}

#ifdef Q_OS_UNIX

QString HomeTrashFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/Trash");
}

QString TopDirTrashFolder(const QString &topDir, uint uid, bool create)
{
    const QString top = QDir::cleanPath(topDir);
    const QString prefix = top == u"/" ? QString() : top;
    const QString shared = prefix + QStringLiteral("/.Trash");
    struct stat st {};
    if (Lstat(shared, &st) && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QString own = shared + u'/' + QString::number(uid);
        if (OwnPrivateDir(own, uid) || (create && !Lstat(own, &st) && MakeDir(own) && OwnPrivateDir(own, uid)))
            return own;
    }
    const QString own = prefix + QStringLiteral("/.Trash-") + QString::number(uid);
    if (OwnPrivateDir(own, uid))
        return own;
    if (create && !Lstat(own, &st) && MakeDir(own) && OwnPrivateDir(own, uid))
        return own;
    return QString();
}

bool MoveIntoTrash(const QString &path, const QString &trashFolder, const QString &pathBase, bool copyAcross)
{
    if (path.isEmpty() || trashFolder.isEmpty())
        return false;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    if (absolute == u"/" || !Lstat(absolute, &st))
        return false;

    QString recorded = absolute;
    if (!pathBase.isEmpty()) {
        const QString base = QDir::cleanPath(pathBase);
        const QString lead = base == u"/" ? base : base + u'/';
        if (!absolute.startsWith(lead))
            return false;
        recorded = absolute.mid(lead.size());
    }
    const QString trash = QDir::cleanPath(trashFolder);
    if (!EnsureTrash(trash))
        return false;

    // The .trashinfo is made exclusively first: it reserves the name against
    // another process trashing a file of the same name at the same moment.
    const QString name = QFileInfo(absolute).fileName();
    QString infoPath, target;
    for (int n = 1;; ++n) {
        if (n > 10000)
            return false;
        const QString candidate = n == 1 ? name : NameVariant(name, n);
        infoPath = trash + QStringLiteral("/info/") + candidate + QStringLiteral(".trashinfo");
        target = trash + QStringLiteral("/files/") + candidate;
        QFile info(infoPath);
        if (!info.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (Lstat(infoPath, &st))
                continue;
            return false;
        }
        if (Lstat(target, &st)) {
            info.close();
            QFile::remove(infoPath);
            continue;
        }
        const QByteArray text = TrashInfo(recorded);
        const bool written = info.write(text) == text.size() && info.flush();
        info.close();
        if (!written || info.error() != QFileDevice::NoError) {
            QFile::remove(infoPath);
            return false;
        }
        break;
    }

    if (std::rename(Native(absolute).constData(), Native(target).constData()) == 0)
        return true;
    if (errno != EXDEV || !copyAcross) {
        QFile::remove(infoPath);
        return false;
    }

    const bool isDir = S_ISDIR(st.st_mode);
    if (!CopyTree(absolute, target) || !SameTree(absolute, target)) {
        DeleteForGood(target);
        QFile::remove(infoPath);
        return false;
    }
    if (DeleteForGood(absolute))
        return true;
    // A file that could not be removed is still whole where it was; of a
    // folder some parts may be gone already, so the full copy stays trashed.
    if (!isDir) {
        DeleteForGood(target);
        QFile::remove(infoPath);
    }
    return false;
}

#endif

} // namespace vv
