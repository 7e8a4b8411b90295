// The real program in a temporary installation folder, talked to only the way
// a host does: through vorlagen-host.

#include "HostLink.h"
#include "IniFiles.h"
#include "Installation.h"
#include "PdfRender.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace vvtest;

class TestProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_install;
    std::vector<std::unique_ptr<QProcess>> m_programs;
    std::unique_ptr<QProcess> m_relay;

    // Runs vorlagen-host the way a host would and returns its exit code.
    int sendAsHost(const QStringList &args, QString *errorText = nullptr, QString *outputText = nullptr)
    {
        QProcess host;
        host.start(m_install + "/vorlagen-host", args);
        if (!host.waitForFinished(10000))
            return -1;
        if (errorText)
            *errorText = QString::fromLocal8Bit(host.readAllStandardError());
        if (outputText)
            *outputText = QString::fromLocal8Bit(host.readAllStandardOutput());
        return host.exitCode();
    }

    // Starts the program; it is ready once a host text reaches it.
    QProcess *startProgram()
    {
        QProcess *p = m_programs.emplace_back(std::make_unique<QProcess>()).get();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(m_install + "/vorlagen", {});
        // Without this the state may still read "Starting" when no event loop ran.
        if (!p->waitForStarted(10000))
            return nullptr;
        for (int i = 0; i < 100 && p->state() != QProcess::NotRunning; ++i, QTest::qWait(100))
            if (sendAsHost({"$Start$"}) == 0)
                return p;
        return nullptr;
    }

    // Ends whatever program of the installation answers, child or not.
    bool endProgramOnLink()
    {
        QElapsedTimer clock;
        clock.start();
        while (vv::HostLinkAnswers(m_install, 500)) {
            if (clock.elapsed() > 10000)
                return false;
            sendAsHost({"$Ende$"});
            QTest::qWait(100);
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        IsolateEnvironment(m_tmp.path());
        qputenv("QT_QPA_PLATFORM", "offscreen");

        // A path with blanks, umlauts and quotes, as offices name their folders.
        m_install = m_tmp.path() + "/Geschäftsstelle \"Süd\" 'Vorlagen'";
        MakeInstallation(m_install);
        for (const QString &program : QStringList{"vorlagen", "vorlagen-host", "APPRELAY.EXE", vv::PdfModule::FileName()})
            QVERIFY(QFile::copy(QStringLiteral(VV_INSTALL_DIR "/") + program, m_install + "/" + program));
    }

    // A failed test leaves no program behind.
    void cleanup()
    {
        // The relay first: left waiting, it would start the program again.
        if (m_relay && !m_relay->waitForFinished(0))
            m_relay->kill();
        m_relay.reset();
        for (auto &p : m_programs) {
            if (p->state() != QProcess::NotRunning)
                sendAsHost({"$Ende$"});
            if (!p->waitForFinished(5000))
                p->kill();
        }
        m_programs.clear();
        QVERIFY(endProgramOnLink());
    }

    // Only the exact marker ends the program, at once and without writing.
    void onlyTheEndMarkerEnds()
    {
        const QString user = m_install + "/Vorlagen/User.dat";
        vv::WriteIniValue(user, "SET", "PrintDoc", "1");
        const QByteArray before = ReadAll(user);
        const QDateTime stamp = QFileInfo(user).lastModified();
        QProcess *program = startProgram();
        QVERIFY(program);
        for (const QString &text : {QString("$ende$"), QString("$Ende$ "), QString("Hallo"), QString(3000, 'x')}) {
            QCOMPARE(sendAsHost({text}), 0);
            QVERIFY2(!program->waitForFinished(500), qPrintable(text.left(10)));
        }
        QCOMPARE(sendAsHost({"$Ende$"}), 0);
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(ReadAll(user), before);
        QCOMPARE(QFileInfo(user).lastModified(), stamp);
    }

    // Qt PDF waits until a page is drawn, though its module lies beside the
    // program: a start draws none.
    void startWithoutQtPdf()
    {
        QProcess *program = startProgram();
        QVERIFY(program);
        const QByteArray maps = ReadAll(QStringLiteral("/proc/%1/maps").arg(program->processId()));
        QVERIFY(maps.contains("libQt6Widgets"));
        QVERIFY(!maps.contains("libQt6Pdf"));
        QVERIFY(!maps.contains(vv::PdfModule::FileName().toUtf8()));
    }

    void secondStartActivatesTheFirstAndEnds()
    {
        QProcess *first = startProgram();
        QVERIFY(first);
        QProcess second;
        second.start(m_install + "/vorlagen", {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(sendAsHost({"$Ende$"}), 0); // the link still belongs to the first
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(first->exitCode(), 0);
    }

    // What the editor does after the favourites changed: start the relay and go.
    void relayRestartsTheProgramOnceItHasEnded()
    {
        QProcess *program = startProgram();
        QVERIFY(program);
        m_relay = std::make_unique<QProcess>();
        // The restarted program inherits the relay's output; a pipe of ours
        // would close with the relay and kill it on its first warning.
        m_relay->setProcessChannelMode(QProcess::ForwardedChannels);
        m_relay->start(m_install + "/APPRELAY.EXE", {"/Restart"});
        QVERIFY(m_relay->waitForStarted(10000));
        QVERIFY(!m_relay->waitForFinished(500));

        QCOMPARE(sendAsHost({"$Ende$"}), 0);
        QVERIFY(program->waitForFinished(5000));
        QVERIFY(m_relay->waitForFinished(10000));
        QCOMPARE(m_relay->exitCode(), 0);

        // The new program is no child of ours: it is found on its link only.
        bool answered = false;
        for (int i = 0; i < 100 && !answered; ++i, QTest::qWait(100))
            answered = sendAsHost({"$Start$"}) == 0;
        QVERIFY(answered);
        QCOMPARE(sendAsHost({"$Ende$"}), 0);
        QVERIFY(endProgramOnLink());
    }

    void relayUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("ohne Argument") << QStringList();
        QTest::newRow("ohne Schrägstrich") << QStringList{"restart"};
        QTest::newRow("zu viele") << QStringList{"/restart", "extra"};
    }

    // A call the editor would never make gets the usage, not a restart.
    void relayUsage()
    {
        QFETCH(QStringList, args);
        QProcess relay;
        relay.start(m_install + "/APPRELAY.EXE", args);
        QVERIFY(relay.waitForFinished(10000));
        QCOMPARE(relay.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(relay.readAllStandardError());
        QVERIFY2(error.contains("Aufruf: APPRELAY.EXE /restart"), qPrintable(error));
    }

    void senderWithoutProgramOrText()
    {
        QString error;
        QCOMPARE(sendAsHost({"$Ende$"}, &error), 1);
        QVERIFY2(error.contains("läuft nicht"), qPrintable(error));
        QCOMPARE(sendAsHost({}), 2);
        QCOMPARE(sendAsHost({"--favourites", "Text"}), 2);
    }

    // What a host integrator sees of VORLAGEN.DAT: only slots with label and
    // path, in slot order, and the ones whose file is gone marked.
    void favouritesAsTheHostReadsThem()
    {
        const QString dat = m_install + "/VORLAGEN.DAT";
        vv::WriteIniValue(dat, "DOCS", "3", "Mietvertrag");
        vv::WriteIniValue(dat, "DOCS", "1", "Weg");
        vv::WriteIniValue(dat, "DOCS", "5", "ohne Pfad");
        vv::WriteIniValue(dat, "PDFFILE", "3", "\\Vorlagen\\Verträge\\Mietvertrag.pdf");
        vv::WriteIniValue(dat, "PDFFILE", "1", "\\Vorlagen\\Steuern\\Weg.pdf");
        vv::WriteIniValue(dat, "PDFFILE", "7", "\\Vorlagen\\ohne Bezeichnung.pdf");
        QString out, error;
        QCOMPARE(sendAsHost({"--favourites"}, &error, &out), 1);
        QCOMPARE(out, "1\tWeg\t" + m_install + "/Vorlagen/Steuern/Weg.pdf\tfehlt\n"
                          "3\tMietvertrag\t" + m_install + "/Vorlagen/Verträge/Mietvertrag.pdf\n");
        QVERIFY2(error.contains("1 Favoriten"), qPrintable(error));
        QFile::remove(dat);
        QCOMPARE(sendAsHost({"--install", m_install, "--favourites"}, &error, &out), 0);
        QCOMPARE(out, QString());
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
