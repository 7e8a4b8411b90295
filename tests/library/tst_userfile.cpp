// The user file as the windows see it: keys, help texts, the print switch.

#include "IniFiles.h"
#include "TestSupport.h"
#include "UserFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUserFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { vvtest::IsolateEnvironment(m_tmp.path()); }

    void numberAtTheStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("1") << "1" << 1.0;
        QTest::newRow("leading blank") << " 1" << 1.0;
        QTest::newRow("leading zero") << "01" << 1.0;
        QTest::newRow("decimal") << "1.0" << 1.0;
        QTest::newRow("trailing junk") << "1abc" << 1.0;
        QTest::newRow("no digits") << "ja" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative") << "-2" << -2.0;
    }
    void numberAtTheStart()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(vv::VbVal(text), value);
    }

    void helpTextsAndPrintSwitchRoundTrip()
    {
        const QString templates = m_tmp.path() + "/Vorlagen";
        QDir().mkpath(templates);
        const vv::UserFile user(templates);
        QCOMPARE(vv::UserFile::CategoryKey(0), QStringLiteral("00"));
        QCOMPARE(vv::UserFile::CategoryKey(7), QStringLiteral("07"));

        // A read never creates the file.
        QVERIFY(!user.PrintDoc());
        QCOMPARE(user.DocumentInfo("Antrag.pdf"), QString());
        QVERIFY(!QFile::exists(user.path()));

        const QString text = QStringLiteral("Größe € „Zitat“ – ") + QString(290, QChar('x'));
        QVERIFY(user.WriteDocumentInfo("Antrag.pdf", text) != 0);
        QVERIFY(user.WritePrintDoc(true) != 0);
        QCOMPARE(vv::ReadIniValue(user.path(), "SET", "PrintDoc"), QStringLiteral("1"));
        QVERIFY(user.PrintDoc());
        // Shown cut to what a profile read returns, stored whole in Windows-1252.
        QCOMPARE(user.DocumentInfo("ANTRAG.PDF"), text.left(254));
        QFile raw(user.path());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY(bytes.contains("Antrag.pdf=Gr\xF6\xDF" "e \x80 \x84Zitat\x93 \x96 " + QByteArray(290, 'x')));

        QVERIFY(user.Backup());
        QFile bak(user.backupPath());
        QVERIFY(bak.open(QIODevice::ReadOnly));
        QCOMPARE(bak.readAll(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestUserFile)
#include "tst_userfile.moc"
