// Command lines keep their Windows form and are started without a shell: what
// a program receives, and that nothing inside a file name ever runs.

#include "WebSupports.h"

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vv;

namespace {

// Writes an executable script that records its arguments one per line into
// <folder>/<name>.args and then leaves <name>.done, using shell built-ins
// only, so it also runs with a PATH that holds nothing else.
QString writeRecorder(const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString script = folder + "/" + name;
    const QString out = folder + "/" + name;
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\n");
    f.write(QStringLiteral("{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '%1.args'\n")
                .arg(out).toUtf8());
    f.write(QStringLiteral(": > '%1.done'\n").arg(out).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

bool waitForRecord(const QString &recorder)
{
    return QTest::qWaitFor([&] { return QFile::exists(recorder + ".done"); }, 20000);
}

QStringList recordedArgs(const QString &recorder)
{
    QFile f(recorder + ".args");
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no record>")};
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    lines.removeLast(); // after the last line end
    return lines;
}

void forgetRecord(const QString &recorder)
{
    QFile::remove(recorder + ".args");
    QFile::remove(recorder + ".done");
}

QString makeFile(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("%PDF-1.4\n");
    return path;
}

const QString lpMissingText = QStringLiteral(
    "Der Druckbefehl „lp“ wurde nicht gefunden. Bitte installieren Sie CUPS "
    "(Paket cups-client), um Vorlagen direkt zu drucken.");

} // namespace

class TestWebSupports : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QByteArray savedPath;
    QString viewer;   // fake PDF viewer in a folder whose name needs quoting
    QString sentinel; // a second recorder, to know that earlier starts had their chance
    QString fakeLpDir;
    QString emptyDir;

    QStringList filesNamed(const QString &name) const
    {
        QStringList found;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileName() == name)
                found << it.filePath();
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        vvtest::IsolateEnvironment(root.path());
        // A shell would run $(touch pwned) here; the checks below look for it.
        QVERIFY(QDir().mkpath(root.path() + "/cwd"));
        QVERIFY(QDir::setCurrent(root.path() + "/cwd"));
        savedPath = qgetenv("PATH");
        viewer = writeRecorder(root.path() + "/PDF Leser ü", "leser");
        sentinel = writeRecorder(root.path() + "/sentinel", "sentinel");
        fakeLpDir = root.path() + "/fakebin";
        QVERIFY(!writeRecorder(fakeLpDir, "lp").isEmpty());
        emptyDir = root.path() + "/emptybin";
        QVERIFY(QDir().mkpath(emptyDir));
        QVERIFY(!viewer.isEmpty() && !sentinel.isEmpty());
    }

    void cleanup()
    {
        qputenv("PATH", savedPath);
        forgetRecord(viewer);
        forgetRecord(sentinel);
        forgetRecord(fakeLpDir + "/lp");
        QVERIFY2(filesNamed("pwned").isEmpty(), "a file name was run as a command");
    }

    void splitCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("plain") << "viewer file.pdf" << QStringList{"viewer", "file.pdf"};
        QTest::newRow("leading and trailing blanks")
            << "   viewer  a   " << QStringList{"viewer", "a"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks only") << " \t " << QStringList{};
        QTest::newRow("quoted program with blanks")
            << "\"/opt/PDF Leser/leser\" \"/tmp/a.pdf\""
            << QStringList{"/opt/PDF Leser/leser", "/tmp/a.pdf"};
        QTest::newRow("program quote is no escape")
            << "\"C:\\Programme\\Leser\\\" x" << QStringList{"C:\\Programme\\Leser\\", "x"};
        QTest::newRow("program quoted in the middle")
            << "C:\\Pro\" gramme\"\\x.exe a" << QStringList{"C:\\Pro gramme\\x.exe", "a"};
        QTest::newRow("Windows open line")
            << "\"C:\\Programme\\Leser\\leser.exe\" \"C:\\Temp\\VV1A2.pdf\""
            << QStringList{"C:\\Programme\\Leser\\leser.exe", "C:\\Temp\\VV1A2.pdf"};
        QTest::newRow("Windows print line")
            << "\"C:\\Programme\\Leser\\leser.exe\" /p \"C:\\Temp\\VV1A2.pdf\""
            << QStringList{"C:\\Programme\\Leser\\leser.exe", "/p", "C:\\Temp\\VV1A2.pdf"};
        QTest::newRow("quoted args with blanks")
            << "p \"a b\" c \"d  e\"" << QStringList{"p", "a b", "c", "d  e"};
        QTest::newRow("escaped quotes") << "p \"a \\\"b\\\" c\"" << QStringList{"p", "a \"b\" c"};
        QTest::newRow("escaped quote unquoted") << "p a\\\"b" << QStringList{"p", "a\"b"};
        QTest::newRow("2n backslashes before quote")
            << "p a\\\\\\\\\"b c\"" << QStringList{"p", "a\\\\b c"};
        QTest::newRow("2n+1 backslashes before quote")
            << "p a\\\\\\\"b" << QStringList{"p", "a\\\"b"};
        QTest::newRow("backslashes without quote literal")
            << "p C:\\dir\\\\file.pdf \\\\server\\share"
            << QStringList{"p", "C:\\dir\\\\file.pdf", "\\\\server\\share"};
        QTest::newRow("trailing backslash in quoted path")
            << "\"prog\" \"C:\\dir\\\" next" << QStringList{"prog", "C:\\dir\" next"};
        QTest::newRow("doubled trailing backslash")
            << "\"prog\" \"C:\\dir\\\\\" next" << QStringList{"prog", "C:\\dir\\", "next"};
        // The rule since the 2008 runtime: quoting stays on after "".
        QTest::newRow("doubled quote inside quotes")
            << "p \"a\"\"b c\" d" << QStringList{"p", "a\"b c", "d"};
        QTest::newRow("doubled quote outside quotes") << "p a\"\"b" << QStringList{"p", "ab"};
        QTest::newRow("empty quoted argument") << "p \"\" x" << QStringList{"p", "", "x"};
        QTest::newRow("unterminated quote") << "p \"a b" << QStringList{"p", "a b"};
        QTest::newRow("tabs separate") << "p\ta\t\tb" << QStringList{"p", "a", "b"};
        QTest::newRow("tab inside quotes") << "p \"a\tb\"" << QStringList{"p", "a\tb"};
        QTest::newRow("umlauts")
            << "\"/home/jürgen/Öffner\" \"Übersicht ä ß.pdf\""
            << QStringList{"/home/jürgen/Öffner", "Übersicht ä ß.pdf"};
        QTest::newRow("semicolons") << "p a;b ; c" << QStringList{"p", "a;b", ";", "c"};
        QTest::newRow("command substitution unquoted")
            << "p $(touch x)" << QStringList{"p", "$(touch", "x)"};
        QTest::newRow("command substitution quoted")
            << "p \"$(touch x)\" `id`" << QStringList{"p", "$(touch x)", "`id`"};
        QTest::newRow("pipe and and")
            << "p a | b && c" << QStringList{"p", "a", "|", "b", "&&", "c"};
        QTest::newRow("single quotes are literal")
            << "p 'a b' '\"c d\"'" << QStringList{"p", "'a", "b'", "'c d'"};
    }

    void splitCommandLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(SplitCommandLine(line), expected);
    }

    void buildCommandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("print");

        QTest::newRow("Windows paths")
            << "C:\\Programme\\Leser\\leser.exe" << "C:\\DOKUME~1\\temp\\VVA1.pdf"
            << "\"C:\\Programme\\Leser\\leser.exe\" \"C:\\DOKUME~1\\temp\\VVA1.pdf\""
            << "\"C:\\Programme\\Leser\\leser.exe\" /p \"C:\\DOKUME~1\\temp\\VVA1.pdf\"";
        QTest::newRow("blanks and umlauts")
            << "/opt/PDF Leser/öffner" << "/tmp/Mein Ordner ä/VV 1.pdf"
            << "\"/opt/PDF Leser/öffner\" \"/tmp/Mein Ordner ä/VV 1.pdf\""
            << "\"/opt/PDF Leser/öffner\" /p \"/tmp/Mein Ordner ä/VV 1.pdf\"";
        QTest::newRow("shell characters stay as they are")
            << "/usr/bin/v" << "/tmp/a;b $(touch x) | c && 'd'.pdf"
            << "\"/usr/bin/v\" \"/tmp/a;b $(touch x) | c && 'd'.pdf\""
            << "\"/usr/bin/v\" /p \"/tmp/a;b $(touch x) | c && 'd'.pdf\"";
        QTest::newRow("empty program")
            << "" << "C:\\t.pdf" << "\"\" \"C:\\t.pdf\"" << "\"\" /p \"C:\\t.pdf\"";
        QTest::newRow("quote in copy")
            << "/usr/bin/v" << "/tmp/a\"b.pdf"
            << "\"/usr/bin/v\" \"/tmp/a\\\"b.pdf\"" << "\"/usr/bin/v\" /p \"/tmp/a\\\"b.pdf\"";
        QTest::newRow("backslash before quote in copy")
            << "/usr/bin/v" << "/tmp/a\\\"b.pdf"
            << "\"/usr/bin/v\" \"/tmp/a\\\\\\\"b.pdf\"" << "\"/usr/bin/v\" /p \"/tmp/a\\\\\\\"b.pdf\"";
    }

    void buildCommandLines()
    {
        QFETCH(QString, program);
        QFETCH(QString, copy);
        QFETCH(QString, open);
        QFETCH(QString, print);
        QCOMPARE(BuildOpenCommandLine(program, copy), open);
        QCOMPARE(BuildPrintCommandLine(program, copy), print);
    }

    void builtLinesSplitBack_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("copy");

        QTest::newRow("Windows") << "C:\\Programme\\Leser\\leser.exe" << "C:\\Temp\\VV1.pdf";
        QTest::newRow("blanks") << "/opt/a b/v" << "/tmp/x y/z.pdf";
        QTest::newRow("quotes") << "/usr/bin/v" << "/tmp/\"a\" \"\"b.pdf";
        QTest::newRow("backslash runs before quotes") << "/usr/bin/v" << "/tmp/a\\\\\"b\\\"c.pdf";
        QTest::newRow("trailing backslashes") << "/usr/bin/v" << "C:\\dir\\\\";
        QTest::newRow("shell characters") << "/usr/bin/v" << "/tmp/;$(touch pwned)|&&`id`'.pdf";
        QTest::newRow("tab") << "/usr/bin/v" << "/tmp/a\tb.pdf";
        QTest::newRow("looks like the switch") << "/usr/bin/v" << "/p";
    }

    void builtLinesSplitBack()
    {
        QFETCH(QString, program);
        QFETCH(QString, copy);
        QCOMPARE(SplitCommandLine(BuildOpenCommandLine(program, copy)), QStringList({program, copy}));
        QCOMPARE(SplitCommandLine(BuildPrintCommandLine(program, copy)),
                 QStringList({program, "/p", copy}));
    }

    void viewerGetsTheCopyAsOneArgument_data()
    {
        QTest::addColumn<QString>("name");

        QTest::newRow("plain") << "VV1A2.pdf";
        QTest::newRow("blanks") << "Mein Dokument  2.pdf";
        QTest::newRow("quotes") << "Antrag \"neu\".pdf";
        QTest::newRow("semicolon") << "a; touch pwned; b.pdf";
        QTest::newRow("command substitution") << "$(touch pwned).pdf";
        QTest::newRow("backticks and pipe") << "`touch pwned` | touch pwned && x.pdf";
        QTest::newRow("umlauts") << "Vollmacht Müller ÄÖÜ ß.pdf";
        QTest::newRow("everything") << "Ä \"x\"; $(touch pwned) 'y' \\\".pdf";
    }

    void viewerGetsTheCopyAsOneArgument()
    {
        QFETCH(QString, name);
        const QString copy = makeFile(root.path() + "/temp/Ordner ä; $(touch pwned)/" + name);
        QVERIFY(QFile::exists(copy));

        SystemProcess process;
        QString error;
        QVERIFY2(process.StartCommandLine(BuildOpenCommandLine(viewer, copy), &error),
                 qPrintable(error));
        QVERIFY(waitForRecord(viewer));
        QCOMPARE(recordedArgs(viewer), QStringList{copy});
    }

    void programFoundOnPath()
    {
        qputenv("PATH", QFile::encodeName(QFileInfo(viewer).absolutePath() + ":" + emptyDir));
        SystemProcess process;
        QString error;
        QVERIFY2(process.StartCommandLine("leser \"a b\" c", &error), qPrintable(error));
        QVERIFY(waitForRecord(viewer));
        QCOMPARE(recordedArgs(viewer), QStringList({"a b", "c"}));
    }

    // Which program a command line reaches with a fake lp first on PATH.
    void printGoesToLp_data()
    {
        QTest::addColumn<QString>("arguments"); // after the quoted viewer; %1 = the file
        QTest::addColumn<bool>("toLp");
        QTest::addColumn<QStringList>("expected"); // %1 = the file

        QTest::newRow("print") << " /p \"%1\"" << true << QStringList{"--", "%1"};
        QTest::newRow("print, extra blanks") << "   /p    \"%1\"  " << true << QStringList{"--", "%1"};
        QTest::newRow("open") << " \"%1\"" << false << QStringList{"%1"};
        QTest::newRow("switch alone") << " /p" << false << QStringList{"/p"};
        QTest::newRow("switch with two files")
            << " /p \"%1\" \"%1\"" << false << QStringList{"/p", "%1", "%1"};
        QTest::newRow("switch after the file") << " \"%1\" /p" << false << QStringList{"%1", "/p"};
    }

    void printGoesToLp()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, toLp);
        QFETCH(QStringList, expected);
        const QString file = makeFile(root.path() + "/temp/Druck $(touch pwned); ä.pdf");
        qputenv("PATH", QFile::encodeName(fakeLpDir + ":" + emptyDir));

        SystemProcess process;
        QString error;
        QVERIFY2(process.StartCommandLine("\"" + viewer + "\"" + arguments.replace("%1", file), &error),
                 qPrintable(error));
        const QString reached = toLp ? fakeLpDir + "/lp" : viewer;
        const QString other = toLp ? viewer : fakeLpDir + "/lp";
        QVERIFY(waitForRecord(reached));
        for (QString &e : expected)
            e.replace("%1", file);
        QCOMPARE(recordedArgs(reached), expected);
        // Started after the call returned, so a stray second start had its chance by then.
        QVERIFY(process.StartCommandLine("\"" + sentinel + "\"", &error));
        QVERIFY(waitForRecord(sentinel));
        QVERIFY(!QFile::exists(other + ".args"));
    }

    void printWithoutLpFails()
    {
        const QString file = makeFile(root.path() + "/temp/VV9.pdf");
        qputenv("PATH", QFile::encodeName(emptyDir));
        QVERIFY(FindPrintCommand().isEmpty());

        SystemProcess process;
        QString error;
        QVERIFY(!process.StartCommandLine(BuildPrintCommandLine(viewer, file), &error));
        QCOMPARE(error, lpMissingText);
    }

    void printOfMissingFileFails()
    {
        qputenv("PATH", QFile::encodeName(fakeLpDir));
        const QString file = root.path() + "/temp/gibt es nicht.pdf";
        SystemProcess process;
        QString error;
        QVERIFY(!process.StartCommandLine(BuildPrintCommandLine(viewer, file), &error));
        QCOMPARE(error, QString("Die Datei „" + file + "“ zum Drucken wurde nicht gefunden."));
    }

    void unstartableProgramFails_data()
    {
        QTest::addColumn<QString>("commandLine"); // %1 = the test folder
        QTest::addColumn<QString>("error");

        QTest::newRow("missing absolute path")
            << "\"%1/nirgends/leser\" \"x.pdf\""
            << "Das Programm „%1/nirgends/leser“ wurde nicht gefunden.";
        QTest::newRow("Windows path")
            << "\"C:\\Programme\\Leser\\leser.exe\" \"x.pdf\""
            << "Das Programm „C:\\Programme\\Leser\\leser.exe“ wurde nicht gefunden.";
        QTest::newRow("not on PATH")
            << "gibtesnicht-leser x.pdf" << "Das Programm „gibtesnicht-leser“ wurde nicht gefunden.";
        QTest::newRow("not executable")
            << "\"%1/nichtausfuehrbar\" x.pdf"
            << "Das Programm „%1/nichtausfuehrbar“ kann nicht ausgeführt werden.";
        QTest::newRow("a folder")
            << "\"%1\" x.pdf" << "Das Programm „%1“ kann nicht ausgeführt werden.";
        QTest::newRow("empty line") << "" << "Es wurde kein Programm zum Starten angegeben.";
        QTest::newRow("empty program")
            << "\"\" \"x.pdf\"" << "Es wurde kein Programm zum Starten angegeben.";
    }

    void unstartableProgramFails()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, error);
        // A script that would record if it were run anyway, e.g. through a shell.
        const QString notExecutable = writeRecorder(root.path(), "nichtausfuehrbar");
        QVERIFY(QFile::setPermissions(notExecutable, QFile::ReadOwner | QFile::WriteOwner));
        qputenv("PATH", QFile::encodeName(emptyDir));

        SystemProcess process;
        QString message = "unchanged";
        QVERIFY(!process.StartCommandLine(QString(commandLine).replace("%1", root.path()), &message));
        QCOMPARE(message, error.replace("%1", root.path()));

        QVERIFY(process.StartCommandLine("\"" + sentinel + "\"", &message));
        QVERIFY(waitForRecord(sentinel));
        QVERIFY(!QFile::exists(notExecutable + ".args"));
    }

    void failureWithoutErrorTarget()
    {
        SystemProcess process;
        QVERIFY(!process.StartCommandLine("\"" + root.path() + "/nirgends\"", nullptr));
    }
};

QTEST_GUILESS_MAIN(TestWebSupports)
#include "tst_websupports.moc"
