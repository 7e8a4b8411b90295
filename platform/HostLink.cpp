#include "HostLink.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QTimer>

#ifndef Q_OS_UNIX
#error "The host link is built on POSIX local sockets."
#endif

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0 // SO_NOSIGPIPE on the socket instead
#endif

namespace vv {

namespace {

constexpr char kMagic[4] = {'V', 'V', 'H', 'L'};
constexpr char kVersion = 1;
constexpr char kTypeText = 'T';
constexpr char kTypeActivate = 'A';
constexpr char kAck = 'K';
constexpr int kHeaderSize = 10;
// Connections waiting for accept(); further ones wait in connect().
constexpr int kListenBacklog = 50;
// A host sends one message and goes. Past this many open connections the
// oldest is dropped for the newest, so clients that connect and wait can
// never shut the host out.
constexpr int kMaxOpenConnections = 64;
// sun_path holds 108 bytes; stay well below for every platform.
constexpr int kMaxSocketPathBytes = 100;

QString CanonicalFolder(const QString &installDir)
{
    const QFileInfo fi(installDir);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}

QString SocketFileName(const QString &installDir)
{
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(CanonicalFolder(installDir)),
                                                     QCryptographicHash::Sha1);
    return QStringLiteral("vorlagen-") + QString::fromLatin1(hash.toHex().left(16));
}

bool FitsSocketPath(const QString &path)
{
    return QFile::encodeName(path).size() < kMaxSocketPathBytes;
}

// Our own folder in the temporary folder ($TMPDIR, else /tmp) when there is
// no runtime folder. /tmp when $TMPDIR is unusable or too long for a socket.
QString FallbackSocketPath(const QString &name)
{
    const QString folder = QStringLiteral("/veltrano-vorlagen-%1/").arg(static_cast<qulonglong>(geteuid())) + name;
    const QString temp = QDir::tempPath();
    if (QDir::isAbsolutePath(temp) && FitsSocketPath(temp + folder))
        return temp + folder;
    return QStringLiteral("/tmp") + folder;
}

// The runtime folder is made by the session manager for us alone; still check
// that it is what it claims before putting a socket there: in a folder others
// may write to, anyone could put their own socket in place of ours.
QString UsableRuntimeFolder()
{
    const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !dir.startsWith('/'))
        return QString();
    struct stat st;
    if (stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()
        || (st.st_mode & 0777) != 0700)
        return QString();
    if (access(dir.constData(), W_OK | X_OK) != 0)
        return QString();
    return QFile::decodeName(dir);
}

// Checks (and with create, makes) a folder only we can enter.
bool CheckPrivateFolder(const QString &path, bool create, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Der Ordner %1 %2").arg(path, why);
        return false;
    };
    if (create && mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("kann nicht angelegt werden: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st;
    if (lstat(native.constData(), &st) != 0)
        return fail(QStringLiteral("fehlt."));
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        return fail(QStringLiteral("ist kein Ordner."));
    if (st.st_uid != geteuid())
        return fail(QStringLiteral("gehört einem anderen Benutzer."));
    if ((st.st_mode & 077) != 0)
        return fail(QStringLiteral("ist für andere Benutzer zugänglich."));
    return true;
}

// Owns one descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    // Not retried on EINTR: the descriptor is gone either way.
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Not inherited by the programs we start, and never a SIGPIPE when the peer
// has gone.
int NewSocket(int flags)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
#ifdef SO_NOSIGPIPE
    const int one = 1;
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
    return fd;
}

bool SocketAddress(const QString &path, sockaddr_un *addr)
{
    const QByteArray native = QFile::encodeName(path);
    *addr = {};
    addr->sun_family = AF_UNIX;
    if (native.isEmpty() || size_t(native.size()) >= sizeof addr->sun_path)
        return false;
    std::memcpy(addr->sun_path, native.constData(), size_t(native.size()));
    return true;
}

// The events that came on fd before the deadline; 0 when none did. A signal
// only interrupts the wait.
short WaitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(qMin<qint64>(deadline.remainingTime(), INT_MAX)));
        if (n >= 0)
            return n > 0 ? p.revents : short(0);
        if (errno != EINTR)
            return POLLERR;
    }
}

enum class Reach { Connected, Nobody, Unknown };

// Connects within the deadline. A full listen queue makes connect() wait,
// which the send timeout bounds. Only a missing socket or a refusal (left
// over from a crash) proves that nobody is there.
Reach Connect(const QString &path, const QDeadlineTimer &deadline, Fd *out)
{
    sockaddr_un addr;
    if (!SocketAddress(path, &addr))
        return Reach::Unknown;
    Fd fd(NewSocket(0));
    if (fd.get() < 0)
        return Reach::Unknown;
    for (;;) {
        const qint64 ms = qMax<qint64>(1, deadline.remainingTime());
        timeval limit{};
        limit.tv_sec = time_t(ms / 1000);
        limit.tv_usec = suseconds_t(ms % 1000 * 1000);
        setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(fd.get(), reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0)
            break;
        const int err = errno;
        if (err == EINTR && !deadline.hasExpired())
            continue;
        return err == ENOENT || err == ECONNREFUSED || err == EINVAL ? Reach::Nobody : Reach::Unknown;
    }
    out->reset(fd.release());
    return Reach::Connected;
}

// Whether the other end of a connected socket runs as our user. Both ways:
// only our own user may hand the program text, and a host hands "$Ende$"
// only to a program of its own user, never to whoever listens in its place.
// The folder modes already say so, the peer's credentials make sure.
bool PeerIsSameUser(int fd)
{
#ifdef SO_PEERCRED
    struct ucred cred;
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == geteuid();
#else
    uid_t uid;
    gid_t gid;
    return getpeereid(fd, &uid, &gid) == 0 && uid == geteuid();
#endif
}

bool SendAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && (WaitFor(fd, POLLOUT, deadline) & POLLOUT))
            continue;
        return false;
    }
    return true;
}

// The one-byte answer, 0 when none came. It may arrive together with the
// server's hang-up.
char ReadAnswer(int fd, const QDeadlineTimer &deadline)
{
    for (;;) {
        char answer = 0;
        const ssize_t n = ::recv(fd, &answer, 1, MSG_DONTWAIT);
        if (n >= 0)
            return n == 1 ? answer : char(0);
        if (errno == EINTR)
            continue;
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || WaitFor(fd, POLLIN, deadline) == 0)
            return 0;
    }
}

// Where a program of the folder may listen, preferred first. A host may run
// with another environment than the program, so senders try every place.
QStringList SocketCandidates(const QString &installDir)
{
    const QString name = SocketFileName(installDir);
    QStringList paths;
    const QString runtime = UsableRuntimeFolder();
    if (!runtime.isEmpty() && FitsSocketPath(runtime + QLatin1Char('/') + name))
        paths << runtime + QLatin1Char('/') + name;
    paths << FallbackSocketPath(name);
    return paths;
}

bool SocketFolderIsSafe(const QString &socketPath, bool create, QString *error)
{
    const QString folder = QFileInfo(socketPath).path();
    if (folder == UsableRuntimeFolder())
        return true;
    return CheckPrivateFolder(folder, create, error);
}

bool SomeoneAnswers(const QString &path)
{
    Fd fd;
    return Connect(path, QDeadlineTimer(500), &fd) == Reach::Connected && PeerIsSameUser(fd.get());
}

QByteArray Frame(char type, const QByteArray &payload)
{
    QByteArray frame(kMagic, sizeof kMagic);
    frame.append(kVersion);
    frame.append(type);
    const quint32 n = static_cast<quint32>(payload.size());
    frame.append(static_cast<char>((n >> 24) & 0xff));
    frame.append(static_cast<char>((n >> 16) & 0xff));
    frame.append(static_cast<char>((n >> 8) & 0xff));
    frame.append(static_cast<char>(n & 0xff));
    frame.append(payload);
    return frame;
}

HostSendResult SendFrameTo(const QString &path, const QByteArray &frame, const QDeadlineTimer &deadline)
{
    Fd fd;
    switch (Connect(path, deadline, &fd)) {
    case Reach::Connected:
        break;
    case Reach::Nobody:
        return HostSendResult::NotRunning;
    case Reach::Unknown:
        return HostSendResult::Failed;
    }
    if (!PeerIsSameUser(fd.get()))
        return HostSendResult::NotRunning;
    if (!SendAll(fd.get(), frame, deadline))
        return HostSendResult::Failed;
    return ReadAnswer(fd.get(), deadline) == kAck ? HostSendResult::Delivered : HostSendResult::Failed;
}

HostSendResult SendFrame(const QString &installDir, const QByteArray &frame, int timeoutMs)
{
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    for (const QString &path : SocketCandidates(installDir)) {
        if (!SocketFolderIsSafe(path, false, nullptr))
            continue;
        const HostSendResult r = SendFrameTo(path, frame, deadline);
        if (r != HostSendResult::NotRunning)
            return r;
    }
    return HostSendResult::NotRunning;
}

// One incoming message. Lives until the peer hangs up or is dropped.
class HostLinkConnection : public QObject {
public:
    HostLinkConnection(int fd, HostLinkServer *server, QObject *holder, int timeoutMs)
        : QObject(holder), m_fd(fd), m_notifier(fd, QSocketNotifier::Read), m_server(server)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Drop(); });
        QObject::connect(&m_notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
        m_timer.start(timeoutMs);
    }

    // Hangs up without effect; after an answer only the hang-up is left.
    void Drop()
    {
        m_done = true;
        m_timer.stop();
        HangUp();
        Finish();
    }

private:
    void OnReadable()
    {
        if (m_done)
            return;
        // Read no more than the largest message plus one byte, which is enough
        // to know it is too long.
        const qsizetype had = m_buffer.size();
        const qsizetype room = kHeaderSize + kHostLinkMaxTextBytes + 1 - had;
        m_buffer.resize(had + room);
        ssize_t n;
        do
            n = ::recv(m_fd.get(), m_buffer.data() + had, size_t(room), MSG_DONTWAIT);
        while (n < 0 && errno == EINTR);
        const int err = errno;
        m_buffer.resize(had + qMax<ssize_t>(n, 0));
        if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK))
            return;
        // A hang-up before the whole message has no effect.
        if (n <= 0 || !Parse())
            Drop();
    }

    // False when the bytes can never become a valid message.
    bool Parse()
    {
        const int magicSeen = qMin<int>(m_buffer.size(), sizeof kMagic);
        if (std::memcmp(m_buffer.constData(), kMagic, static_cast<size_t>(magicSeen)) != 0)
            return false;
        if (m_buffer.size() < kHeaderSize)
            return true;
        const char version = m_buffer.at(4);
        const char type = m_buffer.at(5);
        const auto *u = reinterpret_cast<const unsigned char *>(m_buffer.constData());
        const quint32 length = (quint32(u[6]) << 24) | (quint32(u[7]) << 16) | (quint32(u[8]) << 8) | quint32(u[9]);
        if (version != kVersion || (type != kTypeText && type != kTypeActivate))
            return false;
        if (length > quint32(kHostLinkMaxTextBytes) || (type == kTypeActivate && length != 0))
            return false;
        const int total = kHeaderSize + static_cast<int>(length);
        if (m_buffer.size() < total)
            return true;
        if (m_buffer.size() > total)
            return false;

        QString text;
        if (type == kTypeText) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            text = decoder(m_buffer.mid(kHeaderSize));
            if (decoder.hasError())
                return false;
        }
        Deliver(type, text);
        return true;
    }

    void Deliver(char type, const QString &text)
    {
        m_done = true;
        m_timer.stop();
        // Answer before handing the text on: "$Ende$" ends the process in the
        // receiver, and the host must still learn that it was delivered. One
        // byte always fits into the empty send buffer.
        static_cast<void>(::send(m_fd.get(), &kAck, 1, MSG_NOSIGNAL | MSG_DONTWAIT));
        HangUp();
        // Handed on from the event loop, not from inside this socket's
        // handler, so a receiver may even destroy the server.
        HostLinkServer *server = m_server;
        QMetaObject::invokeMethod(
            server,
            [server, type, text] {
                if (type == kTypeText)
                    emit server->textReceived(text);
                else
                    emit server->activateRequested();
            },
            Qt::QueuedConnection);
        Finish();
    }

    // The notifier goes first: the number may soon belong to a new connection.
    void HangUp()
    {
        m_notifier.setEnabled(false);
        m_fd.reset();
    }

    void Finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        // Out of the server's count at once, not only when deleted.
        setParent(nullptr);
        deleteLater();
    }

    Fd m_fd;
    QSocketNotifier m_notifier;
    HostLinkServer *m_server;
    QTimer m_timer;
    QByteArray m_buffer;
    bool m_done = false;
    bool m_finished = false;
};

} // namespace

QString HostLinkSocketPath(const QString &installDir)
{
    return SocketCandidates(installDir).constFirst();
}

bool EnsurePrivateFolder(const QString &path, QString *error)
{
    return CheckPrivateFolder(path, true, error);
}

HostLinkServer::HostLinkServer(QObject *parent) : QObject(parent), m_connections(new QObject(this)) {}

HostLinkServer::~HostLinkServer()
{
    close();
    // Connections point back at the server: let them go while it is whole.
    delete m_connections;
}

bool HostLinkServer::listen(const QString &installDir, QString *error)
{
    close();
    const QStringList candidates = SocketCandidates(installDir);
    const QString path = candidates.constFirst();
    if (!SocketFolderIsSafe(path, true, error))
        return false;

    // Two programs starting at once must not both take the socket over.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(3000)) {
        if (error)
            *error = QStringLiteral("Die Verbindung für den Host ist gesperrt: %1.lock").arg(path);
        return false;
    }
    for (const QString &p : candidates) {
        if (SocketFolderIsSafe(p, false, nullptr) && SomeoneAnswers(p)) {
            if (error)
                *error = QStringLiteral("Die Vorlagen-Bibliothek in %1 läuft bereits.")
                             .arg(QDir::toNativeSeparators(CanonicalFolder(installDir)));
            return false;
        }
    }

    auto fail = [&](int err) {
        if (error)
            *error = QStringLiteral("Die Verbindung für den Host konnte nicht geöffnet werden: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(err)));
        return false;
    };
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un addr;
    if (!SocketAddress(path, &addr))
        return fail(ENAMETOOLONG);
    Fd fd(NewSocket(SOCK_NONBLOCK));
    if (fd.get() < 0)
        return fail(errno);
    // Nobody answers: whatever lies there was left by a program that crashed.
    ::unlink(native.constData());
    if (::bind(fd.get(), reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
        return fail(errno);
    // Nobody can connect before listen(), so the mode is right from the start.
    struct stat st;
    if (::chmod(native.constData(), 0600) != 0 || ::lstat(native.constData(), &st) != 0
        || ::listen(fd.get(), kListenBacklog) != 0) {
        const int err = errno;
        ::unlink(native.constData());
        return fail(err);
    }
    m_listenFd = fd.release();
    m_path = path;
    m_device = quint64(st.st_dev);
    m_inode = quint64(st.st_ino);
    m_notifier = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HostLinkServer::acceptPending);
    return true;
}

void HostLinkServer::close()
{
    if (m_listenFd < 0)
        return;
    // Only our own file: once we are gone another program may have put its own there.
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && quint64(st.st_dev) == m_device && quint64(st.st_ino) == m_inode)
        ::unlink(native.constData());
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_listenFd);
    m_listenFd = -1;
    m_path.clear();
}

bool HostLinkServer::isListening() const
{
    return m_listenFd >= 0;
}

QString HostLinkServer::socketPath() const
{
    return m_path;
}

void HostLinkServer::setReadTimeout(int ms)
{
    m_readTimeoutMs = qMax(1, ms);
}

int HostLinkServer::readTimeout() const
{
    return m_readTimeoutMs;
}

// The newest is the likeliest host; the oldest has waited longest in vain.
bool HostLinkServer::dropOldestConnection()
{
    const QObjectList open = m_connections->children();
    if (open.isEmpty())
        return false;
    static_cast<HostLinkConnection *>(open.constFirst())->Drop();
    return true;
}

void HostLinkServer::acceptPending()
{
    // A batch at a time: a flood of connections must not starve the loop
    // that delivers and times out the others.
    for (int batch = 0; batch < kMaxOpenConnections && m_listenFd >= 0; ++batch) {
        Fd fd(::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (fd.get() < 0) {
            const int err = errno;
            if (err == EINTR || err == ECONNABORTED)
                continue;
            // Out of descriptors accept() fails even when nobody waits.
            const bool full = err == EMFILE || err == ENFILE || err == ENOBUFS || err == ENOMEM;
            if (!full || !(WaitFor(m_listenFd, POLLIN, QDeadlineTimer(0)) & POLLIN))
                return;
            if ((err == EMFILE || err == ENFILE) && dropOldestConnection())
                continue;
            // The waiting connection stays queued: try again soon instead of
            // spinning on it.
            m_notifier->setEnabled(false);
            QTimer::singleShot(100, m_notifier, [n = m_notifier] { n->setEnabled(true); });
            return;
        }
        if (!PeerIsSameUser(fd.get()))
            continue;
        if (m_connections->children().size() >= kMaxOpenConnections)
            dropOldestConnection();
        new HostLinkConnection(fd.release(), this, m_connections, m_readTimeoutMs);
    }
}

HostSendResult SendHostText(const QString &installDir, const QString &text, int timeoutMs)
{
    const QByteArray payload = text.toUtf8();
    if (payload.size() > kHostLinkMaxTextBytes)
        return HostSendResult::Failed;
    return SendFrame(installDir, Frame(kTypeText, payload), timeoutMs);
}

bool RequestActivation(const QString &installDir, int timeoutMs)
{
    return SendFrame(installDir, Frame(kTypeActivate, QByteArray()), timeoutMs) == HostSendResult::Delivered;
}

bool HostLinkAnswers(const QString &installDir, int timeoutMs)
{
    for (const QString &path : SocketCandidates(installDir)) {
        if (!SocketFolderIsSafe(path, false, nullptr))
            continue;
        Fd probe;
        const Reach reach = Connect(path, QDeadlineTimer(qMax(0, timeoutMs)), &probe);
        // Another user's listener is not the program; an unknown failure
        // (a full queue, no access) may well be.
        if (reach == Reach::Unknown || (reach == Reach::Connected && PeerIsSameUser(probe.get())))
            return true;
    }
    return false;
}

} // namespace vv
