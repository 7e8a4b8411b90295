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
// <script>.args and then leaves <script>.done, using shell built-ins only, so
// it also runs with a PATH that holds nothing else.
QString writeRecorder(const QString &script)
{
    vvtest::WriteAll(script, QStringLiteral("#!/bin/sh\n"
                                            "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '%1.args'\n"
                                            ": > '%1.done'\n")
                                 .arg(script)
                                 .toUtf8());
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

// The arguments the recorder was started with, once it has run.
QStringList recordedArgs(const QString &recorder)
{
    if (!QTest::qWaitFor([&] { return QFile::exists(recorder + ".done"); }, 20000))
        return {QStringLiteral("<did not run>")};
    QStringList lines = QString::fromUtf8(vvtest::ReadAll(recorder + ".args")).split('\n');
    lines.removeLast(); // after the last line end
    return lines;
}

QString makeFile(const QString &path)
{
    vvtest::WriteAll(path, "%PDF-1.4\n");
    return path;
}

} // namespace

class TestWebSupports : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QByteArray savedPath;
    QString viewer;   // fake PDF viewer in a folder whose name needs quoting
    QString sentinel; // started last, to know that earlier starts had their chance
    QString lp;       // fake print command, alone in its folder
    QString flatpak;  // fake flatpak, for programs stored with their options
    QString decoy;    // "PDF", the viewer folder's first word
    QString emptyDir;

    // After a start that must not have reached `unreached`.
    void expectNotStarted(const QString &unreached)
    {
        QString error;
        QVERIFY2(SystemProcess().StartCommandLine("\"" + sentinel + "\"", &error), qPrintable(error));
        QCOMPARE(recordedArgs(sentinel), QStringList());
        QVERIFY(!QFile::exists(unreached + ".args"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        vvtest::IsolateEnvironment(root.path());
        // A shell would run $(touch pwned) here; cleanup() looks for it.
        QVERIFY(QDir().mkpath(root.path() + "/cwd"));
        QVERIFY(QDir::setCurrent(root.path() + "/cwd"));
        savedPath = qgetenv("PATH");
        viewer = writeRecorder(root.path() + "/PDF Leser ü/leser");
        sentinel = writeRecorder(root.path() + "/sentinel/sentinel");
        lp = writeRecorder(root.path() + "/fakebin/lp");
        flatpak = writeRecorder(root.path() + "/bin/flatpak");
        decoy = writeRecorder(root.path() + "/PDF");
        vvtest::WriteAll(flatpak + " kaputt", "not a program");
        emptyDir = root.path() + "/emptybin";
        QVERIFY(QDir().mkpath(emptyDir));
    }

    void cleanup()
    {
        qputenv("PATH", savedPath);
        for (const QString &r : {viewer, sentinel, lp, flatpak, decoy}) {
            QFile::remove(r + ".args");
            QFile::remove(r + ".done");
        }
        QDirIterator it(root.path(), {"pwned"}, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        QVERIFY2(!it.hasNext(), "a file name was run as a command");
    }

    void splitCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("blanks and tabs around and between") << "  \tviewer  a\t\tb   " << QStringList{"viewer", "a", "b"};
        QTest::newRow("blanks only") << " \t " << QStringList{};
        QTest::newRow("quoted program with blanks")
            << "\"/opt/PDF Leser/leser\" \"/tmp/a.pdf\"" << QStringList{"/opt/PDF Leser/leser", "/tmp/a.pdf"};
        QTest::newRow("program quote is no escape")
            << "\"C:\\Programme\\Leser\\\" x" << QStringList{"C:\\Programme\\Leser\\", "x"};
        QTest::newRow("program quoted in the middle")
            << "C:\\Pro\" gramme\"\\x.exe a" << QStringList{"C:\\Pro gramme\\x.exe", "a"};
        QTest::newRow("quoted args with blanks") << "p \"a b\" c \"d  e\"" << QStringList{"p", "a b", "c", "d  e"};
        QTest::newRow("escaped quotes") << "p \"a \\\"b\\\" c\"" << QStringList{"p", "a \"b\" c"};
        QTest::newRow("2n backslashes before quote") << "p a\\\\\\\\\"b c\"" << QStringList{"p", "a\\\\b c"};
        QTest::newRow("2n+1 backslashes before quote") << "p a\\\\\\\"b" << QStringList{"p", "a\\\"b"};
        QTest::newRow("backslashes without quote literal")
            << "p C:\\dir\\\\file.pdf \\\\server\\share" << QStringList{"p", "C:\\dir\\\\file.pdf", "\\\\server\\share"};
        QTest::newRow("trailing backslash in quoted path")
            << "\"prog\" \"C:\\dir\\\" next" << QStringList{"prog", "C:\\dir\" next"};
        QTest::newRow("doubled trailing backslash")
            << "\"prog\" \"C:\\dir\\\\\" next" << QStringList{"prog", "C:\\dir\\", "next"};
        // The rule since the 2008 runtime: quoting stays on after "".
        QTest::newRow("doubled quote inside quotes") << "p \"a\"\"b c\" d" << QStringList{"p", "a\"b c", "d"};
        QTest::newRow("doubled quote outside quotes") << "p a\"\"b" << QStringList{"p", "ab"};
        QTest::newRow("empty quoted argument") << "p \"\" x" << QStringList{"p", "", "x"};
        QTest::newRow("unterminated quote") << "p \"a b" << QStringList{"p", "a b"};
        QTest::newRow("shell characters are plain")
            << "p a;b ; $(touch x) \"$(touch y)\" `id` | &&"
            << QStringList{"p", "a;b", ";", "$(touch", "x)", "$(touch y)", "`id`", "|", "&&"};
        QTest::newRow("single quotes are literal") << "p 'a b' '\"c d\"'" << QStringList{"p", "'a", "b'", "'c d'"};
    }

    void splitCommandLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(SplitCommandLine(line), expected);
    }

    // The exact form is what hosts and stored settings expect; any form must
    // split back into the program and the copy.
    void commandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("open"); // "" = only split back

        QTest::newRow("Windows paths") << "C:\\Programme\\Leser\\leser.exe" << "C:\\DOKUME~1\\temp\\VVA1.pdf"
                                       << "\"C:\\Programme\\Leser\\leser.exe\" \"C:\\DOKUME~1\\temp\\VVA1.pdf\"";
        QTest::newRow("shell characters stay as they are") << "/usr/bin/v" << "/tmp/;$(touch pwned)|&&`id`'.pdf"
                                                           << "\"/usr/bin/v\" \"/tmp/;$(touch pwned)|&&`id`'.pdf\"";
        QTest::newRow("empty program") << "" << "C:\\t.pdf" << "\"\" \"C:\\t.pdf\"";
        QTest::newRow("quote in copy") << "/usr/bin/v" << "/tmp/a\"b.pdf" << "\"/usr/bin/v\" \"/tmp/a\\\"b.pdf\"";
        QTest::newRow("backslash before quote in copy")
            << "/usr/bin/v" << "/tmp/a\\\"b.pdf" << "\"/usr/bin/v\" \"/tmp/a\\\\\\\"b.pdf\"";
        QTest::newRow("quotes") << "/usr/bin/v" << "/tmp/\"a\" \"\"b.pdf" << "";
        QTest::newRow("backslash runs before quotes") << "/usr/bin/v" << "/tmp/a\\\\\"b\\\"c.pdf" << "";
        QTest::newRow("trailing backslashes") << "/usr/bin/v" << "C:\\dir\\\\" << "";
        QTest::newRow("tab") << "/usr/bin/v" << "/tmp/a\tb.pdf" << "";
        QTest::newRow("looks like the switch") << "/usr/bin/v" << "/p" << "";
    }

    void commandLines()
    {
        QFETCH(QString, program);
        QFETCH(QString, copy);
        QFETCH(QString, open);

        const QString openLine = BuildOpenCommandLine(program, copy);
        const QString printLine = BuildPrintCommandLine(program, copy);
        if (!open.isEmpty()) {
            QCOMPARE(openLine, open);
            QCOMPARE(printLine, open.insert(program.size() + 2, " /p"));
        }
        QCOMPARE(SplitCommandLine(openLine), QStringList({program, copy}));
        QCOMPARE(SplitCommandLine(printLine), QStringList({program, "/p", copy}));
    }

    // What a line starts, checked once without and once with a real start.
    // PATH holds the viewer's and the fake flatpak's folders.
    void programAndArguments_data()
    {
        QTest::addColumn<QString>("line");         // %v the viewer, %f the flatpak, %c the copy
        QTest::addColumn<QStringList>("expected"); // program, then arguments; empty = nothing starts

        const QString evince = "run --branch=stable --arch=x86_64 --command=evince --file-forwarding "
                               "org.gnome.Evince @@ \"%1\" @@\" \"%c\"";
        const QStringList forwarded{"%f", "run", "--branch=stable", "--arch=x86_64", "--command=evince",
                                    "--file-forwarding", "org.gnome.Evince", "@@", "%c", "@@"};
        QTest::newRow("found on PATH") << "leser \"a b\" c" << QStringList{"%v", "a b", "c"};
        // "…/PDF" is a program too: a path with blanks that exists is never split.
        QTest::newRow("path with blanks") << "\"%v\" \"%c\"" << QStringList{"%v", "%c"};
        QTest::newRow("options before the file") << "\"%f --opt -x\" \"%c\"" << QStringList{"%f", "--opt", "-x", "%c"};
        QTest::newRow("Flatpak: file between the markers") << "\"%f " + evince << forwarded;
        QTest::newRow("Flatpak found on PATH") << "\"flatpak " + evince << forwarded;
        QTest::newRow("options of a missing program") << "\"gibtesnicht --opt\" \"%c\"" << QStringList{};
        QTest::newRow("a path that cannot run is not split") << "\"%f kaputt\" \"%c\"" << QStringList{};
    }

    void programAndArguments()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        const QString copy = root.path() + "/temp/Mein Ordner ä; $(touch pwned)/VV 1 `touch pwned` | && .pdf";
        auto fill = [&](QString s) { return s.replace("%v", viewer).replace("%f", flatpak).replace("%c", copy); };
        line = fill(line);
        for (QString &e : expected)
            e = fill(e);
        qputenv("PATH", QFile::encodeName(QFileInfo(viewer).path() + ":" + QFileInfo(flatpak).path()));

        QCOMPARE(ProgramAndArguments(SplitCommandLine(line)), expected);
        QString error;
        QCOMPARE(SystemProcess().StartCommandLine(line, &error), !expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(recordedArgs(expected.first()), expected.mid(1));
        expectNotStarted(decoy);
        for (const QString &r : {viewer, flatpak})
            QVERIFY(r == expected.value(0) || !QFile::exists(r + ".args"));
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
        QTest::newRow("switch with two files") << " /p \"%1\" \"%1\"" << false << QStringList{"/p", "%1", "%1"};
        QTest::newRow("switch after the file") << " \"%1\" /p" << false << QStringList{"%1", "/p"};
    }

    void printGoesToLp()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, toLp);
        QFETCH(QStringList, expected);
        const QString file = makeFile(root.path() + "/temp/Druck $(touch pwned); ä.pdf");
        qputenv("PATH", QFile::encodeName(QFileInfo(lp).absolutePath() + ":" + emptyDir));

        QString error;
        QVERIFY2(SystemProcess().StartCommandLine("\"" + viewer + "\"" + arguments.replace("%1", file), &error),
                 qPrintable(error));
        for (QString &e : expected)
            e.replace("%1", file);
        QCOMPARE(recordedArgs(toLp ? lp : viewer), expected);
        expectNotStarted(toLp ? viewer : lp);
    }

    void unstartableProgramFails_data()
    {
        QTest::addColumn<QString>("commandLine"); // %1 = the test folder, %v = the viewer
        QTest::addColumn<bool>("withLp");
        QTest::addColumn<QString>("error");

        QTest::newRow("missing absolute path") << "\"%1/nirgends/leser\" \"x.pdf\"" << true
                                               << "Das Programm „%1/nirgends/leser“ wurde nicht gefunden.";
        QTest::newRow("not on PATH") << "gibtesnicht-leser x.pdf" << true
                                     << "Das Programm „gibtesnicht-leser“ wurde nicht gefunden.";
        QTest::newRow("missing program with options") << "\"%1/nirgends/leser --opt\" \"x.pdf\"" << true
                                                      << "Das Programm „%1/nirgends/leser --opt“ wurde nicht gefunden.";
        QTest::newRow("not executable") << "\"%1/nichtausfuehrbar\" x.pdf" << true
                                        << "Das Programm „%1/nichtausfuehrbar“ kann nicht ausgeführt werden.";
        QTest::newRow("a folder") << "\"%1\" x.pdf" << true << "Das Programm „%1“ kann nicht ausgeführt werden.";
        QTest::newRow("empty line") << "" << true << "Es wurde kein Programm zum Starten angegeben.";
        QTest::newRow("empty program") << "\"\" \"x.pdf\"" << true << "Es wurde kein Programm zum Starten angegeben.";
        QTest::newRow("print without lp") << "\"%v\" /p \"%1/temp/VV9.pdf\"" << false
                                          << "Der Druckbefehl „lp“ wurde nicht gefunden. Bitte installieren Sie CUPS "
                                             "(Paket cups-client), um Vorlagen direkt zu drucken.";
        QTest::newRow("print of a missing file") << "\"%v\" /p \"%1/temp/gibt es nicht.pdf\"" << true
                                                 << "Die Datei „%1/temp/gibt es nicht.pdf“ zum Drucken wurde nicht "
                                                    "gefunden.";
    }

    void unstartableProgramFails()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, withLp);
        QFETCH(QString, error);
        // A script that would record if it were run anyway, e.g. through a shell.
        const QString notExecutable = writeRecorder(root.path() + "/nichtausfuehrbar");
        QVERIFY(QFile::setPermissions(notExecutable, QFile::ReadOwner | QFile::WriteOwner));
        makeFile(root.path() + "/temp/VV9.pdf");
        qputenv("PATH", QFile::encodeName(withLp ? QFileInfo(lp).absolutePath() : emptyDir));

        commandLine.replace("%1", root.path()).replace("%v", viewer);
        QString message = "unchanged";
        QVERIFY(!SystemProcess().StartCommandLine(commandLine, &message));
        QCOMPARE(message, error.replace("%1", root.path()));
        QVERIFY(!SystemProcess().StartCommandLine(commandLine, nullptr));
        expectNotStarted(notExecutable);
        QVERIFY(!QFile::exists(lp + ".args") && !QFile::exists(viewer + ".args"));
    }
};

QTEST_GUILESS_MAIN(TestWebSupports)
#include "tst_websupports.moc"
