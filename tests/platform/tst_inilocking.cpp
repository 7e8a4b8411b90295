// Several processes write one profile file: none may lose another's change,
// and a writer killed at any moment must leave the old or the new file,
// never a torn one. The test program starts copies of itself as the writers;
// the ones it kills, hundreds of them, are forked, which takes far less time.

#include "FileLock.h"
#include "IniFiles.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace vv;
using vvtest::ReadAll;

namespace {

// What a started copy does, chosen by its first argument.
int RunChild(const QStringList &args)
{
    const QString &mode = args[1], &file = args[2];
    if (mode == "--write") { // <count> keys <prefix>0..; exit code = failures
        int failures = 0;
        for (int i = 0; i < args[4].toInt(); ++i) {
            const QString key = args[3] + QString::number(i);
            failures += WriteIniValue(file, "Shared", key, "Wert " + key) == 0;
        }
        return failures;
    }
    FileLock lock(file);
    if (!lock.Lock(5000))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (;;) // until killed
        QThread::sleep(1);
}

QByteArray Filler(const char *section, int count)
{
    QByteArray out = QByteArray("[") + section + "]\r\n";
    for (int i = 0; i < count; ++i)
        out += "Eintrag" + QByteArray::number(i) + "=Hilfetext Nummer " + QByteArray::number(i) + "\r\n";
    return out;
}

} // namespace

class TestIniLocking : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    QProcess *Start(const QStringList &arguments)
    {
        auto *p = new QProcess(this);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), arguments);
        return p;
    }

    // A child that runs until killed is under way.
    static bool Ready(QProcess *p) { return p->waitForReadyRead(10000) && p->readAll().trimmed() == "ready"; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path()); // the writers inherit it
    }

    void concurrentWritersLoseNothing()
    {
        const QString file = m_root.filePath("shared.dat");
        const int count = 200;
        QList<QProcess *> writers{Start({"--write", file, "a", QString::number(count)}),
                                  Start({"--write", file, "b", QString::number(count)})};
        for (QProcess *w : writers) {
            QVERIFY(w->waitForFinished(60000));
            QCOMPARE(w->exitStatus(), QProcess::NormalExit);
            QCOMPARE(w->exitCode(), 0);
        }
        for (const QString prefix : {"a", "b"}) {
            for (int i = 0; i < count; ++i)
                QCOMPARE(ReadIniValue(file, "Shared", prefix + QString::number(i)), "Wert " + prefix + QString::number(i));
        }
        // One header and every key once: no section was started twice.
        const QByteArray bytes = ReadAll(file);
        QCOMPARE(bytes.count("\r\n"), 1 + 2 * count);
        QCOMPARE(bytes.count("[Shared]"), 1);
    }

    // The next writer takes the lock over and removes what the dead one left,
    // even when its own write changes nothing.
    void lockOfKilledWriterIsTakenOver()
    {
        const QString file = m_root.filePath("stale.dat"), leftover = m_root.filePath(".stale.dat.5eed.part");
        vvtest::WriteAll(file, "[S]\r\nk=2\r\n");
        QProcess *holder = Start({"--hold", file});
        QVERIFY(Ready(holder));
        QVERIFY(QFile::exists(file + ".lock"));
        vvtest::WriteAll(leftover, "[S]\r\nk=halb");
        const int oldTimeout = FileLockTimeoutMs();
        SetFileLockTimeoutMs(300);
        const int whileHeld = WriteIniValue(file, "S", "k", "1");
        holder->kill();
        QVERIFY(holder->waitForFinished(10000));
        QVERIFY(QFile::exists(file + ".lock")); // left behind by the dead writer
        QVERIFY(QFile::exists(leftover));
        const int afterDeath = WriteIniValue(file, "S", "k", "2");
        SetFileLockTimeoutMs(oldTimeout);

        QCOMPARE(whileHeld, 0);
        QVERIFY(afterDeath != 0);
        QCOMPARE(ReadIniValue(file, "S", "k"), QStringLiteral("2"));
        QVERIFY(!QFile::exists(file + ".lock"));
        QVERIFY(!QFile::exists(leftover));
    }

    void killedWriterNeverTearsFile()
    {
        const QString file = m_root.filePath("User.dat");
        const QByteArray head = Filler("INFO", 3000) + "[Target]\r\nValue=", tail = "\r\n" + Filler("DIR", 300);
        const QRegularExpression allowed("^(old|new\\d+)$");
        constexpr int kKills = 200;
        int changed = 0;
        for (int round = 0; round < kKills; ++round) {
            vvtest::WriteAll(file, head + "old" + tail);
            const pid_t writer = fork();
            QVERIFY(writer >= 0);
            if (writer == 0) {
                // Rewrites one key over and over until killed.
                for (int i = 0;; ++i)
                    WriteIniValue(file, "Target", "Value", "new" + QString::number(i));
            }
            // A write takes a few milliseconds: the kills fall all over it,
            // before the first one too.
            QThread::usleep(QRandomGenerator::global()->bounded(8000));
            QCOMPARE(kill(writer, SIGKILL), 0);
            int status = 0;
            QCOMPARE(waitpid(writer, &status, 0), writer);
            QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

            const QByteArray bytes = ReadAll(file);
            QVERIFY2(bytes.startsWith(head) && bytes.endsWith(tail),
                     qPrintable(QStringLiteral("round %1: file of %2 bytes is torn").arg(round).arg(bytes.size())));
            const QByteArray value = bytes.mid(head.size(), bytes.size() - head.size() - tail.size());
            QVERIFY2(allowed.match(QString::fromLatin1(value)).hasMatch(), value.left(80).constData());
            changed += value != "old";
        }
        // Else no kill could have torn anything; nor could one that always came after the end of a write.
        QVERIFY(changed > 0 && changed < kKills);
        QVERIFY(WriteIniValue(file, "Target", "Value", "zuletzt") != 0);
        QCOMPARE(ReadIniValue(file, "Target", "Value"), QStringLiteral("zuletzt"));
        QCOMPARE(ReadIniValue(file, "DIR", "Eintrag299"), QStringLiteral("Hilfetext Nummer 299"));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && QStringList{"--write", "--hold"}.contains(args[1]))
        return RunChild(args);
    TestIniLocking test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inilocking.moc"
