// Several processes write one profile file: none may lose another's change,
// and a writer killed at any moment must leave the old or the new file,
// never a torn one. The test program starts copies of itself as the writers.

#include "FileLock.h"
#include "IniFiles.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace vv;

using vvtest::ReadAll;

namespace {

const char kWriterMode[] = "--ini-writer";
const char kChurnMode[] = "--ini-churn";
const char kHoldMode[] = "--ini-hold-lock";

// Writes <count> keys <prefix>0.. into section "Shared"; exit code = failures.
int RunWriter(const QString &file, const QString &prefix, int count)
{
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (WriteIniValue(file, "Shared", prefix + QString::number(i), "Wert " + prefix + QString::number(i)) == 0)
            ++failures;
    }
    return failures;
}

// Rewrites one key over and over until killed.
int RunChurn(const QString &file)
{
    std::puts("go");
    std::fflush(stdout);
    for (int i = 0;; ++i)
        WriteIniValue(file, "Target", "Value", "new" + QString::number(i));
}

// Takes the lock, says so and waits to be killed.
int RunHold(const QString &file)
{
    FileLock lock(file);
    if (!lock.Lock(5000))
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
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

private slots:
    void initTestCase();
    void concurrentWritersLoseNothing();
    void lockOfKilledWriterIsTakenOver();
    void killedWriterNeverTearsFile();

private:
    QProcess *Start(const QStringList &arguments);

    QTemporaryDir m_root;
};

void TestIniLocking::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path()); // the writers inherit it
}

QProcess *TestIniLocking::Start(const QStringList &arguments)
{
    auto *p = new QProcess(this);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(), arguments);
    return p;
}

void TestIniLocking::concurrentWritersLoseNothing()
{
    const QString file = m_root.filePath("shared.dat");
    const int count = 200;
    QProcess *a = Start({kWriterMode, file, "a", QString::number(count)});
    QProcess *b = Start({kWriterMode, file, "b", QString::number(count)});
    QVERIFY(a->waitForFinished(60000));
    QVERIFY(b->waitForFinished(60000));
    QCOMPARE(a->exitStatus(), QProcess::NormalExit);
    QCOMPARE(b->exitStatus(), QProcess::NormalExit);
    QCOMPARE(a->exitCode(), 0);
    QCOMPARE(b->exitCode(), 0);

    for (const QString prefix : {"a", "b"}) {
        for (int i = 0; i < count; ++i) {
            const QString key = prefix + QString::number(i);
            QCOMPARE(ReadIniValue(file, "Shared", key), "Wert " + key);
        }
    }
    // One header and every key once: no section was started twice.
    const QByteArray bytes = ReadAll(file);
    QCOMPARE(bytes.count("\r\n"), 1 + 2 * count);
    QCOMPARE(bytes.count("[Shared]"), 1);
}

void TestIniLocking::lockOfKilledWriterIsTakenOver()
{
    const QString file = m_root.filePath("stale.dat");
    QProcess *holder = Start({kHoldMode, file});
    QVERIFY(holder->waitForReadyRead(10000));
    QCOMPARE(holder->readAll().trimmed(), QByteArray("locked"));
    QVERIFY(QFile::exists(file + ".lock"));

    const int oldTimeout = FileLockTimeoutMs();
    SetFileLockTimeoutMs(300);
    const int whileHeld = WriteIniValue(file, "S", "k", "1");
    holder->kill();
    QVERIFY(holder->waitForFinished(10000));
    QVERIFY(QFile::exists(file + ".lock")); // left behind by the dead writer
    const int afterDeath = WriteIniValue(file, "S", "k", "2");
    SetFileLockTimeoutMs(oldTimeout);

    QCOMPARE(whileHeld, 0);
    QVERIFY(afterDeath != 0);
    QCOMPARE(ReadIniValue(file, "S", "k"), QStringLiteral("2"));
    QVERIFY(!QFile::exists(file + ".lock"));
}

void TestIniLocking::killedWriterNeverTearsFile()
{
    const QString file = m_root.filePath("User.dat");
    const QByteArray head = Filler("INFO", 3000) + "[Target]\r\nValue=";
    const QByteArray tail = "\r\n" + Filler("DIR", 300);
    const QRegularExpression allowed("^(old|new\\d+)$");

    int changed = 0;
    for (int round = 0; round < 25; ++round) {
        QVERIFY(WriteBytes(file, head + "old" + tail));
        QProcess *writer = Start({kChurnMode, file});
        QVERIFY(writer->waitForReadyRead(10000));
        QThread::usleep(QRandomGenerator::global()->bounded(30000));
        writer->kill();
        QVERIFY(writer->waitForFinished(10000));
        delete writer;

        const QByteArray bytes = ReadAll(file);
        QVERIFY2(bytes.startsWith(head) && bytes.endsWith(tail),
                 qPrintable(QStringLiteral("round %1: file of %2 bytes is torn").arg(round).arg(bytes.size())));
        const QByteArray value = bytes.mid(head.size(), bytes.size() - head.size() - tail.size());
        QVERIFY2(allowed.match(QString::fromLatin1(value)).hasMatch(), value.left(80).constData());
        if (value != "old")
            ++changed;
    }
    QVERIFY(changed > 0); // else no kill could have torn anything
    QVERIFY(WriteIniValue(file, "Target", "Value", "zuletzt") != 0);
    QCOMPARE(ReadIniValue(file, "Target", "Value"), QStringLiteral("zuletzt"));
    QCOMPARE(ReadIniValue(file, "DIR", "Eintrag299"), QStringLiteral("Hilfetext Nummer 299"));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == kWriterMode)
        return RunWriter(args[2], args[3], args[4].toInt());
    if (args.size() == 3 && args[1] == kChurnMode)
        return RunChurn(args[2]);
    if (args.size() == 3 && args[1] == kHoldMode)
        return RunHold(args[2]);
    TestIniLocking test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inilocking.moc"
