#pragma once
// The link through which a host (and a second start of the program) talks to
// the running program of one installation folder: a local socket that only
// the same user can reach, named after the installation folder so that two
// installations never collide.
//
// A POSIX local stream socket served from the Qt event loop, so the program
// needs no more of Qt than its core for it.
//
// One message per connection: "VVHL", version byte 1, type byte ('T' text
// for Text1, 'A' activate), payload length as 4 bytes big-endian, then the
// payload in UTF-8 (empty for 'A'). The server answers a single 'K' once it
// has taken the message; anything else, too long or too slow is dropped
// without effect and without answer. Each side hangs up on a peer of another
// user.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vv {

// Longest payload the link takes, in UTF-8 bytes.
constexpr int kHostLinkMaxTextBytes = 4096;

// Full path of the socket for an installation folder. Spellings of one
// folder (trailing separator, "..", symbolic links) give one path. Lies in
// $XDG_RUNTIME_DIR when that is the user's own folder with mode 0700, else
// in veltrano-vorlagen-<uid>/ in the temporary folder ($TMPDIR, else /tmp).
// Creates nothing.
QString HostLinkSocketPath(const QString &installDir);

// Makes sure path is a folder of our own that nobody else can enter: creates
// it with mode 0700 when missing, refuses a symbolic link, a non-folder, a
// folder of another user or one that others may open. German error text.
bool EnsurePrivateFolder(const QString &path, QString *error = nullptr);

class HostLinkServer : public QObject {
    Q_OBJECT
public:
    explicit HostLinkServer(QObject *parent = nullptr);
    ~HostLinkServer() override;

    // Listens for the installation folder. Fails (German error text) when a
    // program of that folder already answers on the socket; a socket file
    // nobody answers on is left over from a crash and taken over.
    bool listen(const QString &installDir, QString *error = nullptr);
    // Closing (and the destructor) removes the socket file: an orderly end
    // leaves nothing behind. Only a process ended at once leaves it.
    void close();
    bool isListening() const;
    QString socketPath() const;

    // A connection that has not sent its whole message by then is dropped.
    // Connections are served side by side, so a slow one delays no other.
    void setReadTimeout(int ms);
    int readTimeout() const;

signals:
    // Posted to the server's event loop (so they also arrive while a modal box
    // runs its own loop), after the sender has been answered.
    void textReceived(const QString &text);
    void activateRequested();

private:
    void acceptPending();
    bool dropOldestConnection();

    int m_listenFd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QString m_path;
    // The socket file we made: close() removes no other.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    int m_readTimeoutMs = 1000;
    QObject *m_connections = nullptr; // parent of the open connections
};

enum class HostSendResult { Delivered, NotRunning, Failed };

// Sends text for Text1 and waits for the answer. Blocks; timeoutMs bounds the
// whole exchange. A text longer than kHostLinkMaxTextBytes is not sent (Failed).
// A listener of another user counts as no program (NotRunning).
HostSendResult SendHostText(const QString &installDir, const QString &text, int timeoutMs = 3000);

// Asks a running program of the folder to bring its window to the front.
// True when it answered: the asking start should then end.
bool RequestActivation(const QString &installDir, int timeoutMs = 1000);

// Whether a program of the folder still listens on its link. Connects and
// hangs up without sending, which the program drops without effect. A program
// too busy to take the connection within timeoutMs counts as listening.
bool HostLinkAnswers(const QString &installDir, int timeoutMs = 500);

} // namespace vv
