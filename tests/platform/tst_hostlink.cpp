// The host link: what a host sends reaches the program of exactly its
// installation folder, and nothing else (too long, malformed, too slow, from
// another folder) has any effect.

#include "HostLink.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>
#include <vector>

using namespace vv;

namespace {

const QString kSender = QStringLiteral(VV_INSTALL_DIR "/vorlagen-host");

// The sender blocks until answered, so it runs beside the event loop that
// serves the link, just as a host process would. It has its own time limit,
// so wait() cannot hang.
template <typename F>
auto beside(F f)
{
    decltype(f()) result{};
    std::unique_ptr<QThread> t(QThread::create([&] { result = f(); }));
    t->start();
    static_cast<void>(QTest::qWaitFor([&] { return t->isFinished(); }, 20000));
    t->wait();
    return result;
}

HostSendResult send(const QString &dir, const QString &text)
{
    return beside([&] { return SendHostText(dir, text); });
}

QByteArray frame(char type, const QByteArray &payload, char version = 1)
{
    const quint32 n = static_cast<quint32>(payload.size());
    QByteArray f("VVHL");
    f.append(version).append(type);
    f.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return f + payload;
}

// A socket bound at path, or -1.
int boundSocket(const QString &path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    qstrncpy(addr.sun_path, QFile::encodeName(path).constData(), sizeof addr.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// Leaves a socket file nobody listens on.
bool leaveStaleSocket(const QString &path)
{
    const int fd = boundSocket(path);
    ::close(fd);
    return fd >= 0 && QFile::exists(path);
}

// Another user listening where the program would: a child process that binds
// at path, becomes "nobody" and then answers every connection as the program
// would. Only root can be someone else.
class ForeignListener {
public:
    enum State : char { Failed = 0, Listening = 'L', SameUser = 'U' };

    explicit ForeignListener(const QString &path)
    {
        int ready[2];
        const int fd = boundSocket(path);
        if (fd < 0 || pipe(ready) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            // The peer's user is the one in force at listen().
            const bool other = setgid(65534) == 0 && setuid(65534) == 0;
            const char state = !other ? SameUser : ::listen(fd, 16) == 0 ? Listening : Failed;
            if (::write(ready[1], &state, 1) != 1 || state != Listening)
                _exit(1);
            for (;;) {
                const int c = ::accept(fd, nullptr, nullptr);
                char buf[64];
                if (c >= 0 && ::read(c, buf, sizeof buf) > 0)
                    ::send(c, "K", 1, MSG_NOSIGNAL);
                ::close(c);
            }
        }
        ::close(fd);
        ::close(ready[1]);
        m_path = path;
        pollfd pfd{ready[0], POLLIN, 0};
        char state = Failed;
        if (m_pid > 0 && poll(&pfd, 1, 5000) == 1 && ::read(ready[0], &state, 1) == 1)
            m_state = State(state);
        ::close(ready[0]);
    }
    ~ForeignListener()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        QFile::remove(m_path);
    }
    State state() const { return m_state; }

private:
    QString m_path;
    pid_t m_pid = -1;
    State m_state = Failed;
};

// Exit code (-1 when it did not end normally) and error output of the sender.
std::pair<int, QString> runSender(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    // The server answering the sender lives in this thread's event loop.
    const bool ended = QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000);
    if (!ended) {
        p.kill();
        p.waitForFinished();
    }
    const bool ok = ended && p.error() == QProcess::UnknownError && p.exitStatus() == QProcess::NormalExit;
    return {ok ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}

// The running program's end of the link and what reached it.
struct Program {
    HostLinkServer server;
    QSignalSpy texts{&server, &HostLinkServer::textReceived};
    QSignalSpy activations{&server, &HostLinkServer::activateRequested};

    QStringList received() const
    {
        QStringList t;
        for (const auto &args : texts)
            t << args.at(0).toString();
        return t;
    }
};

// Once a probe sent behind earlier input is in, anything that input could
// cause is in too.
void expectOnly(const Program &p, const QString &dir, QStringList expected)
{
    QCOMPARE(send(dir, "probe"), HostSendResult::Delivered);
    QTRY_VERIFY(p.received().contains("probe"));
    QCOMPARE(p.received(), expected << "probe");
}

int mode(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) ? int(st.st_mode & 0777)
                                                                                       : -1;
}

} // namespace

class TestHostLink : public QObject {
    Q_OBJECT

    QString makeInstall(const QString &name)
    {
        const QString dir = m_root.path() + "/inst/" + name;
        QDir().mkpath(dir);
        return dir;
    }

    QTemporaryDir m_root;
    QString m_runtime;
    QString m_fallback;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path());
        m_runtime = m_root.path() + "/run"; // private, made by IsolateEnvironment
        m_fallback = m_root.path() + QStringLiteral("/tmp/veltrano-vorlagen-%1").arg(geteuid());
        QVERIFY2(QFile::exists(kSender), qPrintable(kSender));
        cleanup();
    }

    void cleanup()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
    }

    void socketPath_data()
    {
        QTest::addColumn<QByteArray>("runtime"); // "" = unset
        QTest::addColumn<QString>("other");      // another spelling or another folder
        QTest::addColumn<bool>("same");
        QTest::addColumn<bool>("inRuntime");     // else in the fallback folder

        const QString inst = m_root.path() + "/inst/";
        for (const char *name : {"Kanzlei", "KanzleiB", "kanzlei"})
            makeInstall(name);
        QFile::link(inst + "Kanzlei", inst + "Verknüpfung");
        const QString longRuntime = QString(90, 'r');
        QDir(m_root.path()).mkpath(longRuntime);
        vvtest::WriteAll(m_root.path() + "/runtime-file", "");
        for (const char *open : {"open0777", "open0770"}) {
            const QByteArray native = QFile::encodeName(m_root.path() + "/" + open);
            mkdir(native.constData(), 0700);
            chmod(native.constData(), QByteArray(open).endsWith("0777") ? 0777 : 0770);
        }
        const QByteArray run = QFile::encodeName(m_runtime);
        auto at = [this](const QString &rel) { return QFile::encodeName(m_root.path() + "/" + rel); };

        QTest::newRow("trailing slash") << run << inst + "Kanzlei/" << true << true;
        QTest::newRow("dot segments") << run << inst + "./KanzleiB/../Kanzlei" << true << true;
        QTest::newRow("symbolic link") << run << inst + "Verknüpfung" << true << true;
        QTest::newRow("other folder") << run << inst + "KanzleiB" << false << true;
        QTest::newRow("letter case") << run << inst + "kanzlei" << false << true;
        QTest::newRow("runtime unset") << QByteArray() << inst + "Kanzlei/" << true << false;
        QTest::newRow("runtime relative") << QByteArray("run") << inst + "Kanzlei" << true << false;
        QTest::newRow("runtime missing") << at("nowhere") << inst + "Kanzlei" << true << false;
        QTest::newRow("runtime is a file") << at("runtime-file") << inst + "Kanzlei" << true << false;
        QTest::newRow("runtime path too long") << at(longRuntime) << inst + "Kanzlei" << true << false;
        QTest::newRow("runtime open to everybody") << at("open0777") << inst + "Kanzlei" << true << false;
        QTest::newRow("runtime open to the group") << at("open0770") << inst + "Kanzlei" << true << false;
    }

    void socketPath()
    {
        QFETCH(QByteArray, runtime);
        QFETCH(QString, other);
        QFETCH(bool, same);
        QFETCH(bool, inRuntime);

        if (runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime);
        const QString path = HostLinkSocketPath(m_root.path() + "/inst/Kanzlei");
        QCOMPARE(path == HostLinkSocketPath(other), same);
        QCOMPARE(QFileInfo(path).path(), inRuntime ? QFile::decodeName(runtime) : m_fallback);
        QVERIFY(QFile::encodeName(path).size() < 100);
    }

    void privateFolder_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("missing is created") << "missing" << true;
        QTest::newRow("own 0700") << "own0700" << true;
        QTest::newRow("open to group and others") << "own0755" << false;
        QTest::newRow("symbolic link to own folder") << "symlink" << false;
        QTest::newRow("a file") << "file" << false;
        QTest::newRow("another user's folder") << "foreign" << false;
    }

    void privateFolder()
    {
        QFETCH(QString, setup);
        QFETCH(bool, accepted);

        const QString path = m_root.path() + "/private-" + setup;
        const QByteArray native = QFile::encodeName(path);
        if (setup.startsWith("own") || setup == "foreign")
            QCOMPARE(mkdir(native.constData(), 0700) | chmod(native.constData(), setup == "own0755" ? 0755 : 0700), 0);
        if (setup == "foreign" && (geteuid() != 0 || chown(native.constData(), 65534, 65534) != 0))
            QSKIP("needs root to give a folder away");
        if (setup == "symlink") // to a folder that would itself be accepted
            QVERIFY(QFile::link(m_runtime, path));
        if (setup == "file")
            vvtest::WriteAll(path, "");

        QString error;
        QCOMPARE(EnsurePrivateFolder(path, &error), accepted);
        QVERIFY2(accepted ? error.isEmpty() && mode(path) == 0700 : error.contains(path), qPrintable(error));
    }

    void sendText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("delivered");

        QTest::newRow("longest ascii") << QString(4096, 'x') << true;
        QTest::newRow("longest in bytes, two per character") << QString(2048, QChar(0xE4)) << true;
        QTest::newRow("one byte too long") << QString(4097, 'x') << false;
        QTest::newRow("one umlaut too long") << QString(2049, QChar(0xE4)) << false;
    }

    void sendText()
    {
        QFETCH(QString, text);
        QFETCH(bool, delivered);

        const QString dir = makeInstall("Kanzlei");
        Program p;
        QVERIFY(p.server.listen(dir));
        QCOMPARE(send(dir, text), delivered ? HostSendResult::Delivered : HostSendResult::Failed);
        expectOnly(p, dir, delivered ? QStringList{text} : QStringList());
        QCOMPARE(p.activations.count(), 0);
    }

    void malformedInputIsDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted"); // only the activation is valid
        QTest::addColumn<QString>("hangUp"); // "": waits for the server

        QByteArray lyingLength = frame('T', "kurz");
        lyingLength[6] = char(0x7f); // claims about 2 GB

        QTest::newRow("valid activate") << frame('A', QByteArray()) << true << "";
        // The answer then goes to nobody, which must not end the program (SIGPIPE).
        QTest::newRow("valid activate, sender gone at once") << frame('A', QByteArray()) << true << "at once";
        QTest::newRow("wrong magic") << QByteArray("VVHX").append(frame('T', "Hallo").mid(4)) << false << "";
        QTest::newRow("wrong version") << frame('T', "Hallo", 2) << false << "";
        QTest::newRow("unknown type") << frame('X', "Hallo") << false << "";
        QTest::newRow("activate with payload") << frame('A', "Hallo") << false << "";
        QTest::newRow("payload over 4096 bytes") << frame('T', QByteArray(5000, 'x')) << false << "";
        QTest::newRow("length beyond any limit") << lyingLength << false << "";
        QTest::newRow("invalid UTF-8") << frame('T', QByteArray("Gr\xfc\xdf" "e")) << false << "";
        QTest::newRow("bytes after the message") << frame('T', "Hallo") + "X" << false << "";
        QTest::newRow("too slow: header cut, sender waits") << frame('T', "$Ende$").left(7) << false << "";
        QTest::newRow("cut off, then closed") << frame('T', "Hallo").left(12) << false << "later";
    }

    void malformedInputIsDropped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        QFETCH(QString, hangUp);
        // Qt's sockets ignore SIGPIPE for the whole process; the program has none.
        const auto previous = std::signal(SIGPIPE, SIG_DFL);
        const auto restore = qScopeGuard([previous] { std::signal(SIGPIPE, previous); });

        const QString dir = makeInstall("Kanzlei");
        Program p;
        p.server.setReadTimeout(500);
        QVERIFY(p.server.listen(dir));

        QLocalSocket raw;
        raw.connectToServer(p.server.socketPath());
        QVERIFY(raw.waitForConnected(5000));
        raw.write(bytes);
        raw.flush();
        if (!hangUp.isEmpty()) {
            if (hangUp == "later")
                QTest::qWait(50);
            raw.abort();
        } else {
            // The server either answers and hangs up or just drops the connection.
            QTRY_COMPARE_WITH_TIMEOUT(raw.state(), QLocalSocket::UnconnectedState, 10000);
            QCOMPARE(raw.readAll(), accepted ? QByteArray("K") : QByteArray());
        }

        expectOnly(p, dir, {});
        QCOMPARE(p.activations.count(), accepted ? 1 : 0);
    }

    void oneProgramPerFolder()
    {
        const QString dirA = makeInstall("Kanzlei A"), dirB = makeInstall("Kanzlei B");
        Program a, again, b;
        QVERIFY(a.server.listen(dirA));
        QString error;
        QVERIFY(!again.server.listen(dirA + "/", &error));
        QVERIFY2(error.contains(QStringLiteral("läuft bereits")), qPrintable(error));
        QVERIFY(b.server.listen(dirB)); // another installation is no second start

        QCOMPARE(send(dirB, "an B"), HostSendResult::Delivered);
        // The refused start must not have taken the running program's socket away.
        expectOnly(a, dirA, {});
        QTRY_COMPARE(b.received(), QStringList{"an B"});
        QCOMPARE(again.texts.count(), 0);
        b.server.close();
        QCOMPARE(send(dirB, "x"), HostSendResult::NotRunning);
    }

    void staleSocketIsTakenOverAndActivated()
    {
        const QString dir = makeInstall("Kanzlei");
        auto activate = [&] { return beside([&] { return RequestActivation(dir); }); };
        QVERIFY(!activate());
        QVERIFY(leaveStaleSocket(HostLinkSocketPath(dir))); // as a crashed program leaves it
        QVERIFY(!activate());
        QCOMPARE(send(dir, "x"), HostSendResult::NotRunning);

        Program p;
        QString error;
        QVERIFY2(p.server.listen(dir, &error), qPrintable(error));
        QVERIFY(activate());
        QTRY_COMPARE(p.activations.count(), 1);
        expectOnly(p, dir, {});
    }

    void fallbackFolderIsFoundFromAnotherEnvironment()
    {
        const QString dir = makeInstall("Ohne Laufzeitordner");
        qunsetenv("XDG_RUNTIME_DIR");
        Program p;
        QString error;
        QVERIFY2(p.server.listen(dir, &error), qPrintable(error));
        const QString folder = QFileInfo(p.server.socketPath()).path();
        QCOMPARE(folder, m_fallback);
        QCOMPARE(mode(folder), 0700);

        // The host has a runtime folder the program did not see.
        cleanup();
        QCOMPARE(send(dir, "gefunden"), HostSendResult::Delivered);
        QTRY_COMPARE(p.received(), QStringList{"gefunden"});
    }

    void answeredBeforeReceiverEndsProgram()
    {
        const QString dir = makeInstall("Kanzlei");
        auto *server = new HostLinkServer;
        QVERIFY(server->listen(dir));
        QStringList got;
        // Like "$Ende$": the receiver takes the program (and the link) down at once.
        connect(server, &HostLinkServer::textReceived, this, [&](const QString &t) {
            got << t;
            delete server;
            server = nullptr;
        });
        QCOMPARE(send(dir, "$Ende$"), HostSendResult::Delivered);
        QTRY_COMPARE(got, QStringList{"$Ende$"});
        QVERIFY(!server);
        QCOMPARE(send(dir, "x"), HostSendResult::NotRunning);
    }

    void socketFileGoesWithTheServer_data()
    {
        QTest::addColumn<bool>("destroy"); // else closed
        QTest::newRow("closed") << false;
        QTest::newRow("destroyed") << true;
    }

    void socketFileGoesWithTheServer()
    {
        QFETCH(bool, destroy);
        auto server = std::make_unique<HostLinkServer>();
        QVERIFY(server->listen(makeInstall("Kanzlei")));
        const QString path = server->socketPath();
        QVERIFY(QFileInfo::exists(path));
        if (destroy)
            server.reset();
        else
            server->close();
        QVERIFY(!QFileInfo::exists(path));
    }

    void idleClientsDoNotHoldUpTheEnd_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("bytes"); // each sends, then waits

        QTest::newRow("eight silent") << 8 << QByteArray();
        QTest::newRow("eight with half a message") << 8 << frame('T', "Hallo").left(7);
        QTest::newRow("three hundred silent") << 300 << QByteArray();
    }

    void idleClientsDoNotHoldUpTheEnd()
    {
        QFETCH(int, count);
        QFETCH(QByteArray, bytes);

        const QString dir = makeInstall("Kanzlei");
        Program p;
        p.server.setReadTimeout(60000); // the idle ones stay for the whole test unless pushed out
        QVERIFY(p.server.listen(dir));
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < count; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(p.server.socketPath());
        }
        // More than the listen queue holds wait for the server to take them.
        QTRY_VERIFY(std::none_of(idle.begin(), idle.end(),
                                 [](const auto &s) { return s->state() == QLocalSocket::ConnectingState; }));
        for (const auto &s : idle) {
            if (s->state() == QLocalSocket::ConnectedState)
                s->write(bytes);
        }

        QCOMPARE(beside([&] { return SendHostText(dir, "$Ende$", 1000); }), HostSendResult::Delivered);
        QTRY_COMPARE(p.received(), QStringList{"$Ende$"});
    }

    // With the descriptor table full, the server gives up its oldest
    // connection for the newest instead of never taking it.
    void fullDescriptorTableCostsTheOldestConnection()
    {
        const QString dir = makeInstall("Kanzlei");
        Program p;
        p.server.setReadTimeout(60000);
        QVERIFY(p.server.listen(dir));
        QLocalSocket idle;
        idle.connectToServer(p.server.socketPath());
        QVERIFY(idle.waitForConnected(5000));
        QTest::qWait(100); // taken by the server

        rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
        std::vector<int> filler;
        const auto restore = qScopeGuard([&] {
            for (int fd : filler)
                ::close(fd);
            setrlimit(RLIMIT_NOFILE, &saved);
        });
        rlimit low = saved;
        const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        QVERIFY(probe >= 0);
        ::close(probe);
        low.rlim_cur = rlim_t(probe) + 8; // a little above what is open now
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &low), 0);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            filler.push_back(fd);
        QVERIFY(!filler.empty());
        ::close(filler.back()); // room for the host's end, none for the server's
        filler.pop_back();

        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(p.server.socketPath()).constData(), sizeof addr.sun_path);
        const int host = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(host >= 0);
        filler.push_back(host);
        QCOMPARE(::connect(host, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        const QByteArray message = frame('T', "$Ende$");
        QCOMPARE(::write(host, message.constData(), size_t(message.size())), ssize_t(message.size()));

        QTRY_COMPARE_WITH_TIMEOUT(p.received(), QStringList{"$Ende$"}, 5000);
        char answer = 0;
        QCOMPARE(::recv(host, &answer, 1, MSG_DONTWAIT), ssize_t(1));
        QCOMPARE(answer, 'K');
        QTRY_COMPARE(idle.state(), QLocalSocket::UnconnectedState);
    }

    // Qt's own local server in the program's place: what the sender puts on
    // the wire, and which answers it takes for delivered.
    void senderAgainstAnotherServer_data()
    {
        QTest::addColumn<bool>("activation"); // else the text "Grüße"
        QTest::addColumn<QByteArray>("answer"); // "": hangs up without one
        QTest::addColumn<bool>("keepOpen");     // says nothing and waits
        QTest::addColumn<bool>("delivered");

        QTest::newRow("text answered") << false << QByteArray("K") << false << true;
        QTest::newRow("activation answered") << true << QByteArray("K") << false << true;
        QTest::newRow("wrong answer") << false << QByteArray("X") << false << false;
        QTest::newRow("hung up without answer") << false << QByteArray() << false << false;
        QTest::newRow("never answers") << false << QByteArray() << true << false;
    }

    void senderAgainstAnotherServer()
    {
        QFETCH(bool, activation);
        QFETCH(QByteArray, answer);
        QFETCH(bool, keepOpen);
        QFETCH(bool, delivered);

        const QString dir = makeInstall("Kanzlei");
        QLocalServer server;
        QVERIFY(server.listen(HostLinkSocketPath(dir)));
        QByteArray got;
        const QByteArray expected = activation ? frame('A', QByteArray()) : frame('T', QString("Grüße").toUtf8());
        connect(&server, &QLocalServer::newConnection, this, [&] {
            QLocalSocket *c = server.nextPendingConnection();
            connect(c, &QLocalSocket::readyRead, c, [&, c] {
                got += c->readAll();
                if (got.size() < expected.size() || keepOpen)
                    return;
                c->write(answer);
                c->disconnectFromServer();
            });
        });
        const bool ok = beside([&] {
            return activation ? RequestActivation(dir, 500) : SendHostText(dir, "Grüße", 500) == HostSendResult::Delivered;
        });
        QCOMPARE(got, expected);
        QCOMPARE(ok, delivered);
    }

    // A program the user starts from ours (the PDF program) must not keep the
    // link open: "läuft bereits" and the relay would then see a program that
    // has long ended.
    void startedProgramsInheritNoSocket_data()
    {
        QTest::addColumn<bool>("withConnection");
        QTest::newRow("listening") << false;
        QTest::newRow("a connection open") << true;
    }

    void startedProgramsInheritNoSocket()
    {
        QFETCH(bool, withConnection);
        const QString dir = makeInstall("Kanzlei");
        Program p;
        p.server.setReadTimeout(60000);
        QVERIFY(p.server.listen(dir));
        QLocalSocket idle;
        if (withConnection) {
            idle.connectToServer(p.server.socketPath());
            QVERIFY(idle.waitForConnected(5000));
            QTest::qWait(100); // taken by the server
        }
        // The kernel lists the listener and every connection it accepted under the path.
        QStringList ours;
        const QByteArray path = QFile::encodeName(p.server.socketPath());
        for (const QByteArray &line : vvtest::ReadAll("/proc/net/unix").split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() >= 8 && f.at(7) == path)
                ours << QStringLiteral("socket:[%1]").arg(QString::fromLatin1(f.at(6)));
        }
        QCOMPARE(ours.size(), withConnection ? 2 : 1);

        QProcess child;
        child.start("/bin/sh", {"-c", "for f in /proc/$$/fd/*; do readlink \"$f\"; done"});
        QVERIFY(child.waitForFinished(10000));
        const QStringList held = QString::fromLatin1(child.readAllStandardOutput()).split('\n');
        for (const QString &socket : ours)
            QVERIFY2(!held.contains(socket), qPrintable(held.join(' ')));
    }

    // A socket file can vanish under a running program (a cleaner in /tmp); a
    // second start then listens anew, and the first must not take its file.
    void closingLeavesASuccessorsSocket()
    {
        const QString dir = makeInstall("Kanzlei");
        Program first, second;
        QVERIFY(first.server.listen(dir));
        QVERIFY(QFile::remove(first.server.socketPath()));
        QVERIFY(second.server.listen(dir));
        first.server.close();
        QVERIFY(QFileInfo::exists(second.server.socketPath()));
        expectOnly(second, dir, {});
    }

    void foreignListenerIsNotTheProgram_data()
    {
        QTest::addColumn<QString>("ask");
        for (const char *ask : {"text", "activation", "still running", "vorlagen-host"})
            QTest::newRow(ask) << ask;
    }

    void foreignListenerIsNotTheProgram()
    {
        QFETCH(QString, ask);
        if (geteuid() != 0)
            QSKIP("only root can listen as another user");
        const QString dir = makeInstall("Kanzlei");
        ForeignListener stranger(HostLinkSocketPath(dir));
        if (stranger.state() == ForeignListener::SameUser)
            QSKIP("user \"nobody\" (65534) is not available here");
        QCOMPARE(stranger.state(), ForeignListener::Listening);

        if (ask == "text") {
            QCOMPARE(SendHostText(dir, "$Ende$", 1000), HostSendResult::NotRunning);
        } else if (ask == "activation") {
            QVERIFY(!RequestActivation(dir));
        } else if (ask == "still running") {
            QVERIFY(!HostLinkAnswers(dir));
        } else {
            const auto [code, err] = runSender(kSender, {"--install", dir, "$Ende$"});
            QCOMPARE(code, 1);
            QVERIFY2(err.contains(QStringLiteral("läuft nicht")), qPrintable(err));
        }
    }

    void sender_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("arrives"); // on exit code 0
        QTest::addColumn<QString>("errorText");

        // {dir} is a running installation, {other} one that is not running.
        const QString usage = "Aufruf: vorlagen-host [--install ORDNER] TEXT";
        QTest::newRow("end marker") << QStringList{"--install", "{dir}", "$Ende$"} << 0 << "$Ende$" << "";
        QTest::newRow("its own folder by default") << QStringList{"Hallo"} << 0 << "Hallo" << "";
        QTest::newRow("option after text") << QStringList{"Grüße", "--install", "{dir}"} << 0 << "Grüße" << "";
        QTest::newRow("joined option") << QStringList{"--install={dir}", "$Start$"} << 0 << "$Start$" << "";
        QTest::newRow("dash text after --") << QStringList{"--install", "{dir}", "--", "-5"} << 0 << "-5" << "";
        QTest::newRow("empty text") << QStringList{"--install", "{dir}", ""} << 0 << "" << "";
        QTest::newRow("not running") << QStringList{"--install", "{other}", "$Ende$"} << 1 << ""
                                     << "Die Vorlagen-Bibliothek in {other} läuft nicht.";
        QTest::newRow("no text") << QStringList{"--install", "{dir}"} << 2 << "" << usage;
        QTest::newRow("unknown option") << QStringList{"--verbose", "--install", "{dir}", "x"} << 2 << ""
                                        << "Unbekannte Option: --verbose";
        QTest::newRow("too many arguments") << QStringList{"--install", "{dir}", "$Ende$", "x"} << 2 << "" << usage;
        QTest::newRow("folder missing") << QStringList{"--install"} << 2 << "" << usage;
        QTest::newRow("text too long") << QStringList{"--install", "{dir}", QString(4097, 'x')} << 2 << ""
                                       << "zu lang";
    }

    void sender()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, arrives);
        QFETCH(QString, errorText);

        // A folder name with blanks, quotes, umlauts and shell characters must
        // pass through the link and the sender's command line unchanged.
        const QString dir = makeInstall("Mein Büro/Akte \"Alt\" 's; $(x) `y` & Ärzte");
        const QString other = makeInstall("Ruht");
        for (QString &a : args)
            a.replace("{dir}", dir).replace("{other}", other);
        errorText.replace("{other}", other);

        // Without --install a copy inside the folder runs, so no program of the
        // build's folder is ever addressed.
        const QString program = args.join(' ').contains("--install") ? kSender : dir + "/vorlagen-host";
        if (program != kSender && !QFile::exists(program))
            QVERIFY(QFile::copy(kSender, program) && QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));

        Program p;
        QVERIFY(p.server.listen(dir));
        const auto [code, err] = runSender(program, args);
        QCOMPARE(code, exitCode);
        QVERIFY2(exitCode == 0 ? err.isEmpty() : err.contains(errorText), qPrintable(err));
        expectOnly(p, dir, exitCode == 0 ? QStringList{arrives} : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestHostLink)
#include "tst_hostlink.moc"
