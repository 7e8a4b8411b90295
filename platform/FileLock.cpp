#include "FileLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <atomic>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QLockFile>
#include <QSaveFile>
#endif

namespace vv {
namespace {

std::atomic<int> g_lockTimeoutMs{5000};

#ifdef Q_OS_UNIX
enum class Attempt { Locked, Busy, Replaced, Failed };

// The kernel lock on the open lock file goes away with its process, however
// that ends; a lock file that merely exists means nothing.
Attempt TryLock(const QByteArray &path, int *fdOut, bool *tookOver)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *tookOver = fd < 0 && errno == EEXIST;
    if (*tookOver) {
        fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) // another user's lock file in a shared folder
            fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) // its holder just let go
            return Attempt::Replaced;
    }
    if (fd < 0)
        return Attempt::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK || error == EINTR ? Attempt::Busy : Attempt::Failed;
    }
    // The holder before us removes the file before it lets go; a lock on that
    // removed file protects nothing.
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0 || ::stat(path.constData(), &named) != 0 || held.st_ino != named.st_ino
        || held.st_dev != named.st_dev) {
        ::close(fd);
        return Attempt::Replaced;
    }
    *fdOut = fd;
    return Attempt::Locked;
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void SyncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

struct FileLock::Impl {
    QString path;
    bool tookOver = false;
#ifdef Q_OS_UNIX
    int fd = -1;
#else
    explicit Impl(const QString &p) : path(p), lock(p) {}
    QLockFile lock;
    bool locked = false;
#endif
};

#ifdef Q_OS_UNIX
FileLock::FileLock(const QString &file) : m_impl(new Impl{file + QStringLiteral(".lock")}) {}
#else
FileLock::FileLock(const QString &file) : m_impl(new Impl(file + QStringLiteral(".lock")))
{
    // A live writer holds it for milliseconds.
    m_impl->lock.setStaleLockTime(10000);
}
#endif

FileLock::~FileLock()
{
#ifdef Q_OS_UNIX
    if (m_impl->fd >= 0) {
        // Removed while still held: see TryLock.
        ::unlink(QFile::encodeName(m_impl->path).constData());
        ::close(m_impl->fd);
    }
#else
    if (m_impl->locked)
        m_impl->lock.unlock();
#endif
}

bool FileLock::Lock(int timeoutMs)
{
    // Writes take milliseconds: poll with short, jittered pauses (QLockFile's
    // own wait starts at 100 ms and doubles).
    QDeadlineTimer deadline(timeoutMs);
    int pauseMs = 1;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(m_impl->path);
#endif
    for (;;) {
#ifdef Q_OS_UNIX
        switch (TryLock(path, &m_impl->fd, &m_impl->tookOver)) {
        case Attempt::Locked:
            return true;
        case Attempt::Failed:
            return false;
        case Attempt::Replaced:
            if (deadline.hasExpired())
                return false;
            continue;
        case Attempt::Busy:
            break;
        }
#else
        m_impl->tookOver = QFileInfo::exists(m_impl->path);
        if (m_impl->lock.tryLock(0))
            return m_impl->locked = true;
        if (m_impl->lock.error() != QLockFile::LockFailedError)
            return false;
#endif
        if (deadline.hasExpired())
            return false;
        const int jitter = int(QRandomGenerator::global()->bounded(pauseMs + 1));
        QThread::msleep(ulong(qMin<qint64>(pauseMs + jitter, qMax<qint64>(1, deadline.remainingTime()))));
        pauseMs = qMin(pauseMs * 2, 25);
    }
}

bool FileLock::TookOver() const
{
    return m_impl->tookOver;
}

// Only the lock holder writes these, so under the lock any that exist were
// left by a writer that died before its rename.
void RemoveLeftovers(const QString &path)
{
    const QFileInfo target(path);
    const QString prefix = QLatin1Char('.') + target.fileName() + QLatin1Char('.');
    const QString suffix = QStringLiteral(".part");
    const QDir folder = target.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.size() > prefix.size() + suffix.size() && name.startsWith(prefix) && name.endsWith(suffix))
            QFile::remove(folder.filePath(name));
    }
}

int FileLockTimeoutMs()
{
    return g_lockTimeoutMs.load();
}

void SetFileLockTimeoutMs(int ms)
{
    g_lockTimeoutMs.store(ms);
}

bool ReplaceFileContents(const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray stem = folder + "/." + QFile::encodeName(info.fileName()) + ".";

    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;

    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = stem + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".part";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    if (existed) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        struct stat now {};
        if (ok && ::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
            // Only possible with the rights to do so; the content matters more.
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            }
        }
    }
    ok = ok && WriteAll(fd, bytes.constData(), bytes.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    SyncFolder(folder);
    return true;
#else
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
#endif
}

} // namespace vv
