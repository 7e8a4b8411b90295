// The real program in a temporary installation folder, talked to only the way
// a host does: through vorlagen-host.

#include "IniFiles.h"
#include "Installation.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vvtest;

class TestProcess : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_install;
    QString m_user;

    // Runs vorlagen-host the way a host would and returns its exit code.
    int sendAsHost(const QString &text, QString *errorText = nullptr)
    {
        QProcess host;
        host.start(m_install + "/vorlagen-host", {text});
        if (!host.waitForFinished(10000))
            return -1;
        if (errorText)
            *errorText = QString::fromLocal8Bit(host.readAllStandardError());
        return host.exitCode();
    }

    std::unique_ptr<QProcess> startProgram()
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(m_install + "/vorlagen", {});
        return p;
    }

    // The program is ready once a host text reaches it.
    bool waitUntilListening(QProcess &program)
    {
        for (int i = 0; i < 100; ++i) {
            if (program.state() == QProcess::NotRunning)
                return false;
            if (sendAsHost("$Start$") == 0)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    void endProgram(QProcess &program)
    {
        if (program.state() == QProcess::NotRunning)
            return;
        sendAsHost("$Ende$");
        if (!program.waitForFinished(5000))
            program.kill();
        program.waitForFinished(2000);
    }

private slots:
    void initTestCase()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        IsolateEnvironment(m_tmp->path());
        const QString runtime = m_tmp->path() + "/run";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("QT_QPA_PLATFORM", "offscreen");

        // A path with blanks, umlauts and quotes, as offices name their folders.
        m_install = m_tmp->path() + "/Geschäftsstelle \"Süd\" 'Vorlagen'";
        MakeInstallation(m_install);
        m_user = m_install + "/Vorlagen/User.dat";
        for (const char *program : {"vorlagen", "vorlagen-host"}) {
            const QString target = m_install + "/" + program;
            QVERIFY(QFile::copy(QStringLiteral(VV_INSTALL_DIR "/") + program, target));
        }
    }

    void hostTextsOtherThanTheMarkerChangeNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("other case") << "$ende$";
        QTest::newRow("trailing blank") << "$Ende$ ";
        QTest::newRow("plain text") << "Hallo";
        QTest::newRow("long text") << QString(3000, QChar('x'));
    }
    void hostTextsOtherThanTheMarkerChangeNothing()
    {
        QFETCH(QString, text);
        auto program = startProgram();
        QVERIFY(waitUntilListening(*program));
        QCOMPARE(sendAsHost(text), 0);
        QVERIFY(!program->waitForFinished(500));
        QCOMPARE(program->state(), QProcess::Running);
        endProgram(*program);
    }

    void endMarkerEndsAtOnceAndWritesNothing()
    {
        vv::WriteIniValue(m_user, "SET", "PrintDoc", "1");
        const QByteArray before = ReadAll(m_user);
        const QDateTime stamp = QFileInfo(m_user).lastModified();

        auto program = startProgram();
        QVERIFY(waitUntilListening(*program));
        QCOMPARE(sendAsHost("$Ende$"), 0);
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(ReadAll(m_user), before);
        QCOMPARE(QFileInfo(m_user).lastModified(), stamp);
    }

    void secondStartActivatesTheFirstAndEnds()
    {
        auto first = startProgram();
        QVERIFY(waitUntilListening(*first));
        auto second = startProgram();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(sendAsHost("Hallo"), 0); // the link still belongs to the first
        endProgram(*first);
        QCOMPARE(first->exitCode(), 0);
    }

    void senderWithoutProgramOrText()
    {
        QString error;
        QCOMPARE(sendAsHost("$Ende$", &error), 1);
        QVERIFY2(error.contains("läuft nicht"), qPrintable(error));

        QProcess host;
        host.start(m_install + "/vorlagen-host", {});
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(host.exitCode(), 2);
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
