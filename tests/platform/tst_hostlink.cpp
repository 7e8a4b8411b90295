// The host link: what a host sends reaches the program of exactly its
// installation folder, and nothing else (too long, malformed, too slow, from
// another folder) has any effect.

#include "HostLink.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <memory>

using namespace vv;

Q_DECLARE_METATYPE(vv::HostSendResult)

namespace {

const QString kSender = QStringLiteral(VV_INSTALL_DIR "/vorlagen-host");

// The sender blocks until answered, so it runs beside the event loop that
// serves the link, just as a host process would.
HostSendResult sendBeside(const QString &installDir, const QString &text)
{
    HostSendResult result = HostSendResult::Failed;
    std::unique_ptr<QThread> t(QThread::create([&] { result = SendHostText(installDir, text); }));
    t->start();
    // The sender has its own time limit, so wait() below cannot hang.
    static_cast<void>(QTest::qWaitFor([&] { return t->isFinished(); }, 20000));
    t->wait();
    return result;
}

bool activateBeside(const QString &installDir)
{
    bool result = false;
    std::unique_ptr<QThread> t(QThread::create([&] { result = RequestActivation(installDir); }));
    t->start();
    static_cast<void>(QTest::qWaitFor([&] { return t->isFinished(); }, 20000));
    t->wait();
    return result;
}

QByteArray frame(char type, const QByteArray &payload, char version = 1)
{
    QByteArray f("VVHL");
    f.append(version);
    f.append(type);
    const quint32 n = static_cast<quint32>(payload.size());
    f.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return f + payload;
}

// Leaves a socket file nobody listens on, as a crashed program does.
bool leaveStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    if (fd < 0 || native.size() >= int(sizeof addr.sun_path))
        return false;
    memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}

struct SenderRun {
    int exitCode = -1;
    QString err;
};

SenderRun runSender(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    SenderRun r;
    if (!p.waitForStarted(10000))
        return r;
    // The server answering the sender lives in this thread's event loop.
    static_cast<void>(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000));
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList received(const QSignalSpy &spy)
{
    QStringList texts;
    for (const auto &args : spy)
        texts << args.at(0).toString();
    return texts;
}

} // namespace

class TestHostLink : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void samePathForSameFolder_data();
    void samePathForSameFolder();
    void runtimeFolderChoice_data();
    void runtimeFolderChoice();
    void privateFolder_data();
    void privateFolder();

    void sendText_data();
    void sendText();
    void activation();
    void malformedInputIsDropped_data();
    void malformedInputIsDropped();
    void slowSenderIsDropped();
    void twoInstallationsDoNotMix();
    void secondServerIsRefused();
    void staleSocketIsTakenOver();
    void fallbackFolderIsFoundFromAnotherEnvironment();
    void answeredBeforeReceiverEndsProgram();
    void oddFolderNames_data();
    void oddFolderNames();

    void sender_data();
    void sender();
    void senderDefaultsToItsOwnFolder();

private:
    QString makeInstall(const QString &name);

    QTemporaryDir m_root;
    QString m_runtime;
};

void TestHostLink::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
    m_runtime = m_root.path() + "/run";
    QVERIFY(QDir().mkpath(m_runtime));
    QVERIFY(QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
    QVERIFY2(QFile::exists(kSender), qPrintable(kSender));
}

void TestHostLink::cleanup()
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
}

QString TestHostLink::makeInstall(const QString &name)
{
    const QString dir = m_root.path() + "/inst/" + name;
    QDir().mkpath(dir);
    return dir;
}

void TestHostLink::samePathForSameFolder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");

    const QString base = makeInstall("Kanzlei");
    makeInstall("KanzleiB");
    makeInstall("kanzlei");
    QFile::link(base, m_root.path() + "/inst/Verknüpfung");

    QTest::newRow("trailing slash") << base << base + "/" << true;
    QTest::newRow("dot segments") << base << m_root.path() + "/inst/./KanzleiB/../Kanzlei" << true;
    QTest::newRow("symbolic link") << base << m_root.path() + "/inst/Verknüpfung" << true;
    QTest::newRow("other folder") << base << m_root.path() + "/inst/KanzleiB" << false;
    QTest::newRow("letter case") << base << m_root.path() + "/inst/kanzlei" << false;
}

void TestHostLink::samePathForSameFolder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);

    const QString pa = HostLinkSocketPath(a);
    const QString pb = HostLinkSocketPath(b);
    QCOMPARE(pa == pb, same);
    QVERIFY(pa.startsWith(m_runtime + "/"));
    QVERIFY(QFile::encodeName(pa).size() < 100);
}

void TestHostLink::runtimeFolderChoice_data()
{
    QTest::addColumn<QByteArray>("runtime");
    QTest::addColumn<bool>("usesRuntime");

    const QString longRuntime = m_root.path() + "/" + QString(90, 'r');
    QDir().mkpath(longRuntime);
    QFile file(m_root.path() + "/runtime-file");
    file.open(QIODevice::WriteOnly);

    QTest::newRow("usable") << QFile::encodeName(m_runtime) << true;
    QTest::newRow("unset") << QByteArray() << false;
    QTest::newRow("relative") << QByteArray("run") << false;
    QTest::newRow("missing") << QFile::encodeName(m_root.path() + "/nowhere") << false;
    QTest::newRow("a file") << QFile::encodeName(file.fileName()) << false;
    QTest::newRow("path too long") << QFile::encodeName(longRuntime) << false;
}

void TestHostLink::runtimeFolderChoice()
{
    QFETCH(QByteArray, runtime);
    QFETCH(bool, usesRuntime);

    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", runtime);
    const QString path = HostLinkSocketPath(makeInstall("Kanzlei"));
    const QString fallback = QStringLiteral("/tmp/veltrano-vorlagen-%1/").arg(geteuid());
    if (!runtime.isEmpty())
        QCOMPARE(path.startsWith(QFile::decodeName(runtime) + "/"), usesRuntime);
    QCOMPARE(path.startsWith(fallback), !usesRuntime);
    QVERIFY(QFile::encodeName(path).size() < 100);
}

void TestHostLink::privateFolder_data()
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

void TestHostLink::privateFolder()
{
    QFETCH(QString, setup);
    QFETCH(bool, accepted);

    const QString path = m_root.path() + "/private-" + setup;
    const QByteArray native = QFile::encodeName(path);
    if (setup == "own0700" || setup == "own0755" || setup == "foreign") {
        QCOMPARE(mkdir(native.constData(), setup == "own0755" ? 0755 : 0700), 0);
        chmod(native.constData(), setup == "own0755" ? 0755 : 0700);
    }
    if (setup == "foreign") {
        if (geteuid() != 0)
            QSKIP("needs root to give a folder away");
        QCOMPARE(chown(native.constData(), 65534, 65534), 0);
    }
    if (setup == "symlink") {
        const QString target = m_root.path() + "/private-target";
        QCOMPARE(mkdir(QFile::encodeName(target).constData(), 0700), 0);
        QVERIFY(QFile::link(target, path));
    }
    if (setup == "file") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    QString error;
    QCOMPARE(EnsurePrivateFolder(path, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
    if (accepted) {
        struct stat st;
        QCOMPARE(lstat(native.constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(int(st.st_mode & 0777), 0700);
    } else {
        QVERIFY(error.contains(path));
    }
}

void TestHostLink::sendText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("plain") << "Mitgliedsantrag.pdf" << true;
    QTest::newRow("end marker") << "$Ende$" << true;
    QTest::newRow("umlauts and euro") << "Grüße aus Köln – 5 € Gebühr, Maß" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("line feed and tab") << "a\nb\tc\r\n" << true;
    QTest::newRow("longest ascii") << QString(4096, 'x') << true;
    QTest::newRow("longest in bytes, two per character") << QString(2048, QChar(0xE4)) << true;
    QTest::newRow("one byte too long") << QString(4097, 'x') << false;
    QTest::newRow("one umlaut too long") << QString(2049, QChar(0xE4)) << false;
}

void TestHostLink::sendText()
{
    QFETCH(QString, text);
    QFETCH(bool, delivered);

    const QString dir = makeInstall("Kanzlei");
    HostLinkServer server;
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QSignalSpy activations(&server, &HostLinkServer::activateRequested);

    QCOMPARE(sendBeside(dir, text), delivered ? HostSendResult::Delivered : HostSendResult::Failed);
    // A probe behind it: once it is in, anything the first could cause is in too.
    QCOMPARE(sendBeside(dir, "probe"), HostSendResult::Delivered);
    QTRY_VERIFY(received(texts).contains("probe"));
    const QStringList expected = delivered ? QStringList{text, "probe"} : QStringList{"probe"};
    QCOMPARE(received(texts), expected);
    QCOMPARE(activations.count(), 0);
}

void TestHostLink::activation()
{
    const QString dir = makeInstall("Kanzlei");
    QVERIFY(!activateBeside(dir));
    QCOMPARE(sendBeside(dir, "x"), HostSendResult::NotRunning);

    HostLinkServer server;
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QSignalSpy activations(&server, &HostLinkServer::activateRequested);
    QVERIFY(activateBeside(dir));
    QTRY_COMPARE(activations.count(), 1);
    QCOMPARE(texts.count(), 0);
}

void TestHostLink::malformedInputIsDropped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");

    QByteArray tooLong = frame('T', QByteArray(5000, 'x'));
    QByteArray lyingLength = frame('T', "kurz");
    lyingLength[6] = char(0x7f); // claims about 2 GB

    QTest::newRow("valid frame") << frame('T', "Hallo") << true;
    QTest::newRow("valid activate") << frame('A', QByteArray()) << true;
    QTest::newRow("garbage line") << QByteArray("GET / HTTP/1.0\r\n\r\n") << false;
    QTest::newRow("binary junk") << QByteArray::fromHex("00ff13377f80c3280a") << false;
    QTest::newRow("wrong magic") << QByteArray("VVHX").append(frame('T', "Hallo").mid(4)) << false;
    QTest::newRow("wrong version") << frame('T', "Hallo", 2) << false;
    QTest::newRow("unknown type") << frame('X', "Hallo") << false;
    QTest::newRow("activate with payload") << frame('A', "Hallo") << false;
    QTest::newRow("payload over 4096 bytes") << tooLong << false;
    QTest::newRow("length beyond any limit") << lyingLength << false;
    QTest::newRow("invalid UTF-8") << frame('T', QByteArray("Gr\xfc\xdf" "e")) << false;
    QTest::newRow("bytes after the message") << frame('T', "Hallo") + "X" << false;
    QTest::newRow("cut off, then closed") << frame('T', "Hallo").left(12) << false;
}

void TestHostLink::malformedInputIsDropped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);

    const QString dir = makeInstall("Kanzlei");
    HostLinkServer server;
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QSignalSpy activations(&server, &HostLinkServer::activateRequested);

    QLocalSocket raw;
    raw.connectToServer(server.socketPath());
    QVERIFY(raw.waitForConnected(5000));
    raw.write(bytes);
    raw.flush();
    if (QByteArray(QTest::currentDataTag()) == "cut off, then closed") {
        QTest::qWait(50);
        raw.abort();
    } else {
        // The server either answers and hangs up or just drops the connection.
        QTRY_COMPARE_WITH_TIMEOUT(raw.state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(raw.readAll(), accepted ? QByteArray("K") : QByteArray());
    }

    QCOMPARE(sendBeside(dir, "probe"), HostSendResult::Delivered);
    QTRY_VERIFY(received(texts).contains("probe"));
    const bool isActivate = QByteArray(QTest::currentDataTag()) == "valid activate";
    QStringList expected{"probe"};
    if (accepted && !isActivate)
        expected.prepend("Hallo");
    QCOMPARE(received(texts), expected);
    QCOMPARE(activations.count(), accepted && isActivate ? 1 : 0);
}

void TestHostLink::slowSenderIsDropped()
{
    const QString dir = makeInstall("Kanzlei");
    HostLinkServer server;
    server.setReadTimeout(200);
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);

    const QByteArray message = frame('T', "$Ende$");
    QLocalSocket raw;
    raw.connectToServer(server.socketPath());
    QVERIFY(raw.waitForConnected(5000));
    raw.write(message.left(7));
    raw.flush();
    QTRY_COMPARE_WITH_TIMEOUT(raw.state(), QLocalSocket::UnconnectedState, 10000);
    raw.write(message.mid(7));

    QCOMPARE(sendBeside(dir, "probe"), HostSendResult::Delivered);
    QTRY_VERIFY(received(texts).contains("probe"));
    QCOMPARE(received(texts), QStringList{"probe"});
}

void TestHostLink::twoInstallationsDoNotMix()
{
    const QString dirA = makeInstall("Kanzlei A");
    const QString dirB = makeInstall("Kanzlei B");
    QVERIFY(HostLinkSocketPath(dirA) != HostLinkSocketPath(dirB));

    HostLinkServer a, b;
    QVERIFY(a.listen(dirA));
    QVERIFY(b.listen(dirB));
    QSignalSpy textsA(&a, &HostLinkServer::textReceived);
    QSignalSpy textsB(&b, &HostLinkServer::textReceived);

    QCOMPARE(sendBeside(dirA, "an A"), HostSendResult::Delivered);
    QCOMPARE(sendBeside(dirB, "an B"), HostSendResult::Delivered);
    QCOMPARE(sendBeside(dirA, "wieder an A"), HostSendResult::Delivered);
    QTRY_COMPARE(textsA.count() + textsB.count(), 3);
    QCOMPARE(received(textsA), (QStringList{"an A", "wieder an A"}));
    QCOMPARE(received(textsB), QStringList{"an B"});

    b.close();
    QCOMPARE(sendBeside(dirB, "x"), HostSendResult::NotRunning);
}

void TestHostLink::secondServerIsRefused()
{
    const QString dir = makeInstall("Kanzlei");
    HostLinkServer first;
    QVERIFY(first.listen(dir));
    QSignalSpy texts(&first, &HostLinkServer::textReceived);

    HostLinkServer second;
    QSignalSpy secondTexts(&second, &HostLinkServer::textReceived);
    QString error;
    QVERIFY(!second.listen(dir + "/", &error));
    QVERIFY2(error.contains(QStringLiteral("läuft bereits")), qPrintable(error));

    // The refused start must not have taken the running program's socket away.
    QCOMPARE(sendBeside(dir, "noch da"), HostSendResult::Delivered);
    QTRY_COMPARE(received(texts), QStringList{"noch da"});
    QCOMPARE(secondTexts.count(), 0);
}

void TestHostLink::staleSocketIsTakenOver()
{
    const QString dir = makeInstall("Kanzlei");
    const QString path = HostLinkSocketPath(dir);
    QVERIFY(leaveStaleSocket(path));
    QCOMPARE(sendBeside(dir, "x"), HostSendResult::NotRunning);

    HostLinkServer server;
    QString error;
    QVERIFY2(server.listen(dir, &error), qPrintable(error));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QCOMPARE(sendBeside(dir, "$Ende$"), HostSendResult::Delivered);
    QTRY_COMPARE(received(texts), QStringList{"$Ende$"});
}

void TestHostLink::fallbackFolderIsFoundFromAnotherEnvironment()
{
    const QString dir = makeInstall("Ohne Laufzeitordner");
    qunsetenv("XDG_RUNTIME_DIR");
    HostLinkServer server;
    QString error;
    QVERIFY2(server.listen(dir, &error), qPrintable(error));
    const QString folder = QFileInfo(server.socketPath()).path();
    QCOMPARE(folder, QStringLiteral("/tmp/veltrano-vorlagen-%1").arg(geteuid()));
    struct stat st;
    QCOMPARE(lstat(QFile::encodeName(folder).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);

    // The host has a runtime folder the program did not see.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QCOMPARE(sendBeside(dir, "gefunden"), HostSendResult::Delivered);
    QTRY_COMPARE(received(texts), QStringList{"gefunden"});
}

void TestHostLink::answeredBeforeReceiverEndsProgram()
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
    QCOMPARE(sendBeside(dir, "$Ende$"), HostSendResult::Delivered);
    QTRY_COMPARE(got, QStringList{"$Ende$"});
    QVERIFY(!server);
    QCOMPARE(sendBeside(dir, "x"), HostSendResult::NotRunning);
}

void TestHostLink::oddFolderNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "Mein Büro/Vorlagen Ablage";
    QTest::newRow("quotes") << "Akte \"Alt\" 's";
    QTest::newRow("umlauts") << "Ärzte-Übersicht ßäöü";
    QTest::newRow("shell characters") << "a;b $(x) `y` & c";
}

void TestHostLink::oddFolderNames()
{
    QFETCH(QString, name);
    const QString dir = makeInstall(name);
    HostLinkServer server;
    QString error;
    QVERIFY2(server.listen(dir, &error), qPrintable(error));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);

    QCOMPARE(sendBeside(dir, "über die Schnittstelle"), HostSendResult::Delivered);
    const SenderRun run = runSender(kSender, {"--install", dir, "vom Host"});
    QCOMPARE(run.exitCode, 0);
    QTRY_COMPARE(received(texts), (QStringList{"über die Schnittstelle", "vom Host"}));
}

void TestHostLink::sender_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("arrives");
    QTest::addColumn<QString>("errorText");

    // {dir} is a running installation, {other} one that is not running.
    const QString usage = "Aufruf: vorlagen-host [--install ORDNER] TEXT";
    QTest::newRow("delivered") << QStringList{"--install", "{dir}", "Hallo"} << 0 << "Hallo" << "";
    QTest::newRow("end marker") << QStringList{"--install", "{dir}", "$Ende$"} << 0 << "$Ende$" << "";
    QTest::newRow("option after text") << QStringList{"Grüße", "--install", "{dir}"} << 0 << "Grüße" << "";
    QTest::newRow("joined option") << QStringList{"--install={dir}", "$Start$"} << 0 << "$Start$" << "";
    QTest::newRow("dash text after --") << QStringList{"--install", "{dir}", "--", "-5"} << 0 << "-5" << "";
    QTest::newRow("empty text") << QStringList{"--install", "{dir}", ""} << 0 << "" << "";
    QTest::newRow("not running")
        << QStringList{"--install", "{other}", "$Ende$"} << 1 << "<none>"
        << "Die Vorlagen-Bibliothek in {other} läuft nicht.";
    QTest::newRow("no text") << QStringList{"--install", "{dir}"} << 2 << "<none>" << usage;
    QTest::newRow("no arguments") << QStringList{} << 2 << "<none>" << usage;
    QTest::newRow("unknown option") << QStringList{"--verbose", "--install", "{dir}", "x"} << 2 << "<none>"
                                    << "Unbekannte Option: --verbose";
    QTest::newRow("too many arguments") << QStringList{"--install", "{dir}", "$Ende$", "x"} << 2 << "<none>" << usage;
    QTest::newRow("folder missing") << QStringList{"--install"} << 2 << "<none>" << usage;
    QTest::newRow("text too long") << QStringList{"--install", "{dir}", QString(4097, 'x')} << 2 << "<none>"
                                   << "zu lang";
}

void TestHostLink::sender()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, arrives);
    QFETCH(QString, errorText);

    const QString dir = makeInstall("Läuft");
    const QString other = makeInstall("Ruht");
    for (QString &a : args)
        a.replace("{dir}", dir).replace("{other}", other);
    errorText.replace("{other}", other);

    HostLinkServer server;
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);

    const SenderRun run = runSender(kSender, args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(errorText), qPrintable(run.err));
    if (exitCode == 0)
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));

    QCOMPARE(sendBeside(dir, "probe"), HostSendResult::Delivered);
    QTRY_VERIFY(received(texts).contains("probe"));
    const QStringList expected = arrives == "<none>" ? QStringList{"probe"} : QStringList{arrives, "probe"};
    QCOMPARE(received(texts), expected);
}

void TestHostLink::senderDefaultsToItsOwnFolder()
{
    // A copy of the sender in an installation folder of its own, so no
    // program of the build's folder is ever addressed.
    const QString dir = makeInstall("Eigene Installation");
    const QString copy = dir + "/vorlagen-host";
    QVERIFY(QFile::copy(kSender, copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QCOMPARE(runSender(copy, {"$Ende$"}).exitCode, 1);

    HostLinkServer server;
    QVERIFY(server.listen(dir));
    QSignalSpy texts(&server, &HostLinkServer::textReceived);
    QCOMPARE(runSender(copy, {"$Ende$"}).exitCode, 0);
    QTRY_COMPARE(received(texts), QStringList{"$Ende$"});
}

QTEST_GUILESS_MAIN(TestHostLink)
#include "tst_hostlink.moc"
