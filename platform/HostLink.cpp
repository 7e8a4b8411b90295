#include "HostLink.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStringDecoder>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace vv {

namespace {

constexpr char kMagic[4] = {'V', 'V', 'H', 'L'};
constexpr char kVersion = 1;
constexpr char kTypeText = 'T';
constexpr char kTypeActivate = 'A';
constexpr char kAck = 'K';
constexpr int kHeaderSize = 10;
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

#ifdef Q_OS_UNIX
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

#endif

// Whether the other end of a connected socket runs as our user. Both ways:
// only our own user may hand the program text, and a host hands "$Ende$"
// only to a program of its own user, never to whoever listens in its place.
// The folder modes already say so, the peer's credentials make sure.
bool PeerIsSameUser(QLocalSocket *socket)
{
#ifdef Q_OS_LINUX
    struct ucred cred;
    socklen_t len = sizeof cred;
    if (getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

// Where a program of the folder may listen, preferred first. A host may run
// with another environment than the program, so senders try every place.
QStringList SocketCandidates(const QString &installDir)
{
    const QString name = SocketFileName(installDir);
#ifdef Q_OS_UNIX
    QStringList paths;
    const QString runtime = UsableRuntimeFolder();
    if (!runtime.isEmpty() && FitsSocketPath(runtime + QLatin1Char('/') + name))
        paths << runtime + QLatin1Char('/') + name;
    paths << FallbackSocketPath(name);
    return paths;
#else
    return {QStringLiteral("veltrano-") + name};
#endif
}

bool SocketFolderIsSafe(const QString &socketPath, bool create, QString *error)
{
#ifdef Q_OS_UNIX
    const QString folder = QFileInfo(socketPath).path();
    if (folder == UsableRuntimeFolder())
        return true;
    return CheckPrivateFolder(folder, create, error);
#else
    Q_UNUSED(socketPath);
    Q_UNUSED(create);
    Q_UNUSED(error);
    return true;
#endif
}

bool SomeoneAnswers(const QString &path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool connected = probe.waitForConnected(500) && PeerIsSameUser(&probe);
    probe.abort();
    return connected;
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

HostSendResult SendFrameTo(const QString &path, const QByteArray &frame, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    auto remaining = [&] { return qMax(0, timeoutMs - static_cast<int>(clock.elapsed())); };

    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(remaining())) {
        const auto err = socket.error();
        return (err == QLocalSocket::ServerNotFoundError || err == QLocalSocket::ConnectionRefusedError)
                   ? HostSendResult::NotRunning
                   : HostSendResult::Failed;
    }
    if (!PeerIsSameUser(&socket)) {
        socket.abort();
        return HostSendResult::NotRunning;
    }
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remaining()))
            return HostSendResult::Failed;
    }
    // The answer may arrive together with the server's hang-up.
    while (socket.bytesAvailable() < 1) {
        if (remaining() == 0 || socket.state() != QLocalSocket::ConnectedState)
            break;
        socket.waitForReadyRead(remaining());
    }
    char answer = 0;
    const bool answered = socket.read(&answer, 1) == 1 && answer == kAck;
    socket.abort();
    return answered ? HostSendResult::Delivered : HostSendResult::Failed;
}

HostSendResult SendFrame(const QString &installDir, const QByteArray &frame, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (const QString &path : SocketCandidates(installDir)) {
        if (!SocketFolderIsSafe(path, false, nullptr))
            continue;
        const int left = qMax(0, timeoutMs - static_cast<int>(clock.elapsed()));
        const HostSendResult r = SendFrameTo(path, frame, left);
        if (r != HostSendResult::NotRunning)
            return r;
    }
    return HostSendResult::NotRunning;
}

// One incoming message. Lives until the peer hangs up or is dropped.
class HostLinkConnection : public QObject {
public:
    HostLinkConnection(QLocalSocket *socket, HostLinkServer *server, QObject *holder, int timeoutMs)
        : QObject(holder), m_socket(socket), m_server(server)
    {
        socket->setParent(this);
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Drop(); });
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this] { OnReadyRead(); });
        QObject::connect(socket, &QLocalSocket::disconnected, this, [this] { Finish(); });
        m_timer.start(timeoutMs);
        // Bytes may have come with the connection itself.
        if (socket->bytesAvailable() > 0)
            QTimer::singleShot(0, this, [this] { OnReadyRead(); });
    }

    // Hangs up without effect; after an answer only the hang-up is left.
    void Drop()
    {
        m_done = true;
        m_timer.stop();
        m_socket->abort();
        Finish();
    }

private:
    void OnReadyRead()
    {
        if (m_done)
            return;
        // Read no more than the largest message plus one byte, which is enough
        // to know it is too long.
        const qint64 room = kHeaderSize + kHostLinkMaxTextBytes + 1 - m_buffer.size();
        m_buffer += m_socket->read(room);
        if (!Parse())
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
        // receiver, and the host must still learn that it was delivered.
        m_socket->write(&kAck, 1);
        m_socket->flush();
        m_socket->disconnectFromServer();
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

    QLocalSocket *m_socket;
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
#ifdef Q_OS_UNIX
    return CheckPrivateFolder(path, true, error);
#else
    Q_UNUSED(error);
    return QDir().mkpath(path);
#endif
}

HostLinkServer::HostLinkServer(QObject *parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_connections(new QObject(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HostLinkServer::onNewConnection);
}

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
    // Nobody answers: whatever lies there was left by a program that crashed.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        if (error)
            *error = QStringLiteral("Die Verbindung für den Host konnte nicht geöffnet werden: %1")
                         .arg(m_server->errorString());
        return false;
    }
    return true;
}

void HostLinkServer::close()
{
    if (m_server->isListening())
        m_server->close();
}

bool HostLinkServer::isListening() const
{
    return m_server->isListening();
}

QString HostLinkServer::socketPath() const
{
    return m_server->fullServerName();
}

void HostLinkServer::setReadTimeout(int ms)
{
    m_readTimeoutMs = qMax(1, ms);
}

int HostLinkServer::readTimeout() const
{
    return m_readTimeoutMs;
}

void HostLinkServer::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!PeerIsSameUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // The newest is the likeliest host; the oldest has waited longest in vain.
        const QObjectList open = m_connections->children();
        if (open.size() >= kMaxOpenConnections)
            static_cast<HostLinkConnection *>(open.constFirst())->Drop();
        new HostLinkConnection(socket, this, m_connections, m_readTimeoutMs);
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
        QLocalSocket probe;
        probe.connectToServer(path);
        const bool connected = probe.waitForConnected(timeoutMs);
        const auto err = probe.error();
        const bool ours = connected && PeerIsSameUser(&probe);
        probe.abort();
        // Only a missing socket or a refusal (left over from a crash) proves
        // that nobody is there; another user's listener is not the program.
        if (ours || (!connected && err != QLocalSocket::ServerNotFoundError
                     && err != QLocalSocket::ConnectionRefusedError))
            return true;
    }
    return false;
}

} // namespace vv
