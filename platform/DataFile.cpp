#include "DataFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vv {

#ifdef Q_OS_UNIX
namespace {

DataFileKind KindOf(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_size <= kMaxDataFileSize ? DataFileKind::Regular : DataFileKind::Other;
}

DataFileKind KindOfError(int error)
{
    return error == ENOENT || error == ENOTDIR ? DataFileKind::Missing : DataFileKind::Other;
}

} // namespace

DataFileKind KindOfDataFile(const QString &path)
{
    struct stat st {};
    if (path.isEmpty())
        return DataFileKind::Missing;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return KindOfError(errno);
    return KindOf(st);
}

DataFileContent ReadDataFile(const QString &path)
{
    DataFileContent out;
    if (path.isEmpty())
        return out;
    const QByteArray name = QFile::encodeName(path);
    // Look before opening: opening a device can do things (a FIFO blocks).
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        out.kind = KindOfError(errno);
        out.ok = out.kind == DataFileKind::Missing;
        return out;
    }
    out.kind = KindOf(st);
    if (out.kind != DataFileKind::Regular) {
        out.ok = false;
        return out;
    }
    // Non-blocking, in case the name was pointed at something else meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            out.kind = DataFileKind::Missing;
        else
            out.ok = false;
        return out;
    }
    if (::fstat(fd, &st) != 0 || KindOf(st) != DataFileKind::Regular) {
        ::close(fd);
        out.kind = DataFileKind::Other;
        out.ok = false;
        return out;
    }
    out.bytes = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < out.bytes.size()) {
        const ssize_t n = ::read(fd, out.bytes.data() + got, size_t(out.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.ok = false;
            break;
        }
        if (n == 0) // shorter than it was a moment ago
            break;
        got += n;
    }
    ::close(fd);
    if (!out.ok)
        out.bytes.clear();
    else if (got < out.bytes.size())
        out.bytes.truncate(got);
    return out;
}

#else

DataFileKind KindOfDataFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return DataFileKind::Missing;
    return info.isFile() && info.size() <= kMaxDataFileSize ? DataFileKind::Regular : DataFileKind::Other;
}

DataFileContent ReadDataFile(const QString &path)
{
    DataFileContent out;
    out.kind = KindOfDataFile(path);
    if (out.kind != DataFileKind::Regular) {
        out.ok = out.kind == DataFileKind::Missing;
        return out;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        out.ok = false;
        return out;
    }
    out.bytes = QByteArray(in.size(), Qt::Uninitialized);
    const qint64 got = in.read(out.bytes.data(), out.bytes.size());
    out.ok = got >= 0;
    out.bytes.truncate(out.ok ? got : 0);
    return out;
}

#endif

} // namespace vv
