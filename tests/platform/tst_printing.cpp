// Printing through CUPS: the page lists a user may type, what a fake lp on
// PATH receives for the print dialog's choices, and how the printers are
// read from a fake lpstat.

#include "Printing.h"
#include "TestSupport.h"
#include "WebSupports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace vv;

namespace {

// A script that records its arguments one per line into <script>.args,
// using shell built-ins only.
void writeRecorder(const QString &script, const QByteArray &more = QByteArray())
{
    vvtest::WriteAll(script, "#!/bin/sh\n"
                             "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } >> '"
                                 + QFile::encodeName(script) + ".args'\n" + more);
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList recordedArgs(const QString &script)
{
    if (!QTest::qWaitFor([&] { return QFile::exists(script + ".args"); }, 20000))
        return {QStringLiteral("<did not run>")};
    QTest::qWait(50); // the script may still be writing
    QStringList lines = QString::fromUtf8(vvtest::ReadAll(script + ".args")).split('\n');
    lines.removeLast();
    return lines;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QByteArray m_savedPath;
    QString m_bin; // the fake print system, alone on PATH

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        vvtest::IsolateEnvironment(m_tmp.path());
        m_savedPath = qgetenv("PATH");
        m_bin = m_tmp.path() + "/druckbin";
        QVERIFY(QDir().mkpath(m_bin));
    }

    void init()
    {
        QDir(m_bin).removeRecursively();
        QDir().mkpath(m_bin);
        qputenv("PATH", QFile::encodeName(m_bin));
    }

    void cleanupTestCase() { qputenv("PATH", m_savedPath); }

    void pageList_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("normalized"); // null: refused
        QTest::newRow("all pages") << "" << "";
        QTest::newRow("blanks only: all pages") << "   " << "";
        QTest::newRow("one page") << "3" << "3";
        QTest::newRow("range") << "1-3" << "1-3";
        QTest::newRow("blanks around") << " 1 - 3 , 5 " << "1-3,5";
        QTest::newRow("sorted") << "7,2" << "2,7";
        QTest::newRow("overlaps joined") << "1-4,3-6" << "1-6";
        QTest::newRow("neighbours joined") << "1-2,3,4-5" << "1-5";
        QTest::newRow("inside another") << "2-9,4" << "2-9";
        QTest::newRow("range of one page") << "4-4" << "4";
        QTest::newRow("largest page") << "99999" << "99999";
        QTest::newRow("page 0") << "0" << QString();
        QTest::newRow("backwards") << "5-3" << QString();
        QTest::newRow("open range") << "5-" << QString();
        QTest::newRow("leading dash") << "-5" << QString();
        QTest::newRow("two dashes") << "1-2-3" << QString();
        QTest::newRow("empty part") << "1,,2" << QString();
        QTest::newRow("trailing comma") << "1," << QString();
        QTest::newRow("letters") << "1-a" << QString();
        QTest::newRow("plus sign") << "+3" << QString();
        QTest::newRow("semicolon") << "1;2" << QString();
        QTest::newRow("beyond any document") << "100000" << QString();
        QTest::newRow("number too large for int") << "99999999999999999999" << QString();
        QTest::newRow("option for lp") << "1 -o x" << QString();
    }
    void pageList()
    {
        QFETCH(QString, input);
        QFETCH(QString, normalized);
        QString out = "unchanged";
        QCOMPARE(NormalizePageList(input, &out), !normalized.isNull());
        QCOMPARE(out, normalized.isNull() ? QString("unchanged") : normalized);
    }

    // The print line of the double-click with the dialog's choices reaches
    // lp as these arguments, started through the program starter.
    void optionsReachLp_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("file"); // below the temporary folder
        QTest::addColumn<QStringList>("expected"); // %1 = the file
        QTest::newRow("everything") << "Buero_Laser" << 3 << "1-3,5" << "VVA1.pdf"
                                    << QStringList{"-d", "Buero_Laser", "-n", "3", "-P", "1-3,5", "--", "%1"};
        QTest::newRow("all pages") << "Laser" << 1 << "" << "VVA2.pdf" << QStringList{"-d", "Laser", "-n", "1", "--", "%1"};
        QTest::newRow("an instance") << "Laser/Entwurf" << 2 << "" << "VVA3.pdf"
                                     << QStringList{"-d", "Laser/Entwurf", "-n", "2", "--", "%1"};
        QTest::newRow("the print system's default") << "" << 1 << "2" << "VVA4.pdf"
                                                    << QStringList{"-n", "1", "-P", "2", "--", "%1"};
        QTest::newRow("no copies means one") << "Laser" << 0 << "" << "VVA5.pdf"
                                             << QStringList{"-d", "Laser", "-n", "1", "--", "%1"};
        QTest::newRow("a file that looks like an option, with shell characters")
            << "Laser" << 1 << "" << "-o x $(touch pwned) \"ä\".pdf"
            << QStringList{"-d", "Laser", "-n", "1", "--", "%1"};
    }
    void optionsReachLp()
    {
        QFETCH(QString, printer);
        QFETCH(int, copies);
        QFETCH(QString, pages);
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        const QString lp = m_bin + "/lp";
        writeRecorder(lp);
        const QString copy = m_tmp.path() + "/temp/" + file;
        vvtest::WriteAll(copy, "%PDF");
        PrintOptions options;
        options.printer = printer;
        options.copies = copies;
        options.pages = pages;

        QString error;
        const QString job = PrintJobCommandLine(BuildPrintCommandLine("/usr/bin/betrachter", copy), options, &error);
        QVERIFY2(!job.isEmpty(), qPrintable(error));
        QVERIFY2(SystemProcess().StartCommandLine(job, &error), qPrintable(error));
        for (QString &e : expected)
            e.replace("%1", copy);
        QCOMPARE(recordedArgs(lp), expected);
        QVERIFY(!QFile::exists(QDir::currentPath() + "/pwned"));
    }

    // Only a print line prints, and only with lp there.
    void noJob_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("withLp");
        QTest::addColumn<QString>("error");
        const QString none = "Es wurde kein Dokument zum Drucken angegeben.";
        QTest::newRow("open line") << "\"/usr/bin/v\" \"/tmp/a.pdf\"" << true << none;
        QTest::newRow("switch without file") << "\"/usr/bin/v\" /p" << true << none;
        QTest::newRow("switch with an empty file") << "\"/usr/bin/v\" /p \"\"" << true << none;
        QTest::newRow("lp missing") << "\"/usr/bin/v\" /p \"/tmp/a.pdf\"" << false << PrintCommandMissingText();
    }
    void noJob()
    {
        QFETCH(QString, line);
        QFETCH(bool, withLp);
        QFETCH(QString, error);
        if (withLp)
            writeRecorder(m_bin + "/lp");
        QString message;
        QCOMPARE(PrintJobCommandLine(line, PrintOptions(), &message), QString());
        QCOMPARE(message, error);
    }

    // The printers a fake lpstat reports, in the C locale.
    void printers_data()
    {
        QTest::addColumn<QByteArray>("list");     // what lpstat -e prints; null: no lpstat
        QTest::addColumn<QByteArray>("standard"); // what lpstat -d prints
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("defaultPrinter");
        QTest::newRow("two and a default") << QByteArray("Buero\nLaser\n") << QByteArray("system default destination: Laser\n")
                                           << 0 << QStringList{"Buero", "Laser"} << "Laser";
        QTest::newRow("no default") << QByteArray("Buero\n") << QByteArray("no system default destination\n") << 0
                                    << QStringList{"Buero"} << "";
        QTest::newRow("a default that is not listed") << QByteArray("Buero\n")
                                                      << QByteArray("system default destination: Weg\n") << 0
                                                      << QStringList{"Buero"} << "";
        QTest::newRow("instances, blank lines, no final line end")
            << QByteArray("Laser\n\nLaser/Entwurf\r\nBuero") << QByteArray("system default destination: Laser/Entwurf")
            << 0 << QStringList{"Laser", "Laser/Entwurf", "Buero"} << "Laser/Entwurf";
        QTest::newRow("no printers") << QByteArray("") << QByteArray("no system default destination\n") << 0
                                     << QStringList{} << "";
        QTest::newRow("no scheduler") << QByteArray("Buero\n") << QByteArray() << 1 << QStringList{} << "";
        QTest::newRow("no lpstat") << QByteArray() << QByteArray() << 0 << QStringList{} << "";
    }
    void printers()
    {
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, standard);
        QFETCH(int, exitCode);
        QFETCH(QStringList, printers);
        QFETCH(QString, defaultPrinter);
        if (!list.isNull()) {
            const QString lpstat = m_bin + "/lpstat";
            vvtest::WriteAll(m_bin + "/e.txt", list);
            vvtest::WriteAll(m_bin + "/d.txt", standard);
            // Answers in German unless the C locale is asked for, as lpstat does.
            writeRecorder(lpstat, "[ \"$LC_ALL\" = C ] || { echo 'Drucker:'; exit 0; }\n"
                                  "case \"$1\" in -e) f=e;; -d) f=d;; *) exit 2;; esac\n"
                                  "while IFS= read -r l || [ -n \"$l\" ]; do printf '%s\\n' \"$l\"; done < '"
                                      + QFile::encodeName(m_bin) + "'/$f.txt\n"
                                  "exit " + QByteArray::number(exitCode) + "\n");
        }
        QString chosen = "unchanged";
        QCOMPARE(CupsPrinters(&chosen), printers);
        QCOMPARE(chosen, defaultPrinter);
    }
};

QTEST_GUILESS_MAIN(TestPrinting)
#include "tst_printing.moc"
