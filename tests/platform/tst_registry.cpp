// The settings store and the ".pdf" association it presents.

#include "Registry.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using vv::Registry;
using vvtest::MakeProgram;
using vvtest::ReadAll;
using vvtest::WriteAll;

namespace {

const QString kKey = QStringLiteral("Software\\Veltrano\\Ordinalis");
const QString kPdf = QStringLiteral("Software\\Classes\\.pdf");

QByteArray Section(const QByteArray &body)
{
    return "[Software\\Veltrano\\Ordinalis]\n" + body;
}

QString Command(const QString &id)
{
    return "Software\\Classes\\" + id + "\\Shell\\Open\\Command";
}

// "path below the case folder\ncontent" of a .desktop file that runs viewer.
QString App(const QString &id, const QString &extra = QString(), const QString &folder = "usr-share/applications/")
{
    return folder + id + "\n[Desktop Entry]\nType=Application\nExec=viewer %U\n" + extra;
}

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT

    Registry MakeRegistry() const { return Registry(m_user, {m_system1, m_system2}, m_xdg); }
    QString Path(const QString &rel) const { return m_work->path() + u'/' + rel; }
    // Reads a value; "<none>" when it is not found (and then untouched).
    QString Read(const Registry &reg, const QString &key, const QString &name = QString()) const
    {
        QString v = "<none>";
        const bool found = reg.ReadRegistryValue(key, name, v);
        return found == (v != "<none>") ? v : "<found flag and value disagree>";
    }
    void WriteFiles(const QStringList &files) const
    {
        for (const QString &f : files) {
            const qsizetype nl = f.indexOf(u'\n');
            WriteAll(Path(f.left(nl)), f.mid(nl + 1).toUtf8());
        }
    }
    // lists: "<file> <group> <ids>": file user, sys, sys2 (config folders),
    // dataHome, data (applications folders), optionally with "/<desktop>";
    // group D, A, R (default, added, removed) or C (the data folder's cache);
    // ids short for "<id>.desktop", separated by ';'.
    void WriteLists(const QStringList &lists) const
    {
        const QHash<QString, QString> folders{{"user", "home/.config/"}, {"sys", "etc-xdg/"}, {"sys2", "etc-xdg2/"},
                                              {"dataHome", "home/.local/share/applications/"},
                                              {"data", "usr-share/applications/"}};
        const QHash<QString, QString> groups{{"D", "Default Applications"}, {"A", "Added Associations"},
                                             {"R", "Removed Associations"}, {"C", "MIME Cache"}};
        QMap<QString, QString> content;
        for (const QString &l : lists) {
            const QStringList w = l.split(u' ');
            const QStringList where = w[0].split(u'/');
            QStringList ids = w[2].split(u';');
            for (QString &id : ids)
                if (!id.isEmpty())
                    id += ".desktop";
            const QString file = folders[where[0]] + (where.size() > 1 ? where[1] + "-" : QString())
                                 + (w[1] == "C" ? "mimeinfo.cache" : "mimeapps.list");
            content[file] += "[" + groups[w[1]] + "]\napplication/pdf=" + ids.join(u';') + "\n";
        }
        for (auto it = content.cbegin(); it != content.cend(); ++it)
            WriteAll(Path(it.key()), it.value().toUtf8());
    }

    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_user, m_system1, m_system2;
    vv::XdgFolders m_xdg;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path());
    }

    void init()
    {
        m_work = std::make_unique<QTemporaryDir>(m_root.path() + "/case-XXXXXX");
        QVERIFY(m_work->isValid());
        m_user = Path("home/.config/Veltrano/Ordinalis.conf");
        m_system1 = Path("etc-xdg/Veltrano/Ordinalis.conf");
        m_system2 = Path("etc-xdg2/Veltrano/Ordinalis.conf");
        m_xdg = vv::XdgFolders();
        m_xdg.configHome = Path("home/.config");
        m_xdg.configDirs = QStringList{Path("etc-xdg"), Path("etc-xdg2")};
        m_xdg.dataHome = Path("home/.local/share");
        m_xdg.dataDirs = QStringList{Path("usr-local-share"), Path("usr-share")};
        m_xdg.searchPath = QStringList{Path("bin"), Path("bin2")};
        MakeProgram(Path("bin/viewer"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("storedLine"); // empty: not checked

        QTest::newRow("windows path with umlauts")
            << "PdfEditor" << QString::fromUtf8("C:\\Programme\\Übersicht\\Lesegerät.exe")
            << QByteArray("PdfEditor=C:\\Programme\\\xC3\x9C" "bersicht\\Leseger\xC3\xA4t.exe");
        QTest::newRow("unc folder with trailing backslash")
            << "Database" << "\\\\server\\vorlagen\\" << QByteArray("Database=\\\\server\\vorlagen\\");
        QTest::newRow("value with equals and semicolon")
            << "PdfEditor" << "/usr/bin/env A=1 ;x" << QByteArray("PdfEditor=/usr/bin/env A=1 ;x");
        QTest::newRow("leading quote")
            << "PdfEditor" << "\"C:\\a b\\v.exe\" /s" << QByteArray("PdfEditor=\"\\\"C:\\\\a b\\\\v.exe\\\" /s\"");
        QTest::newRow("blanks at both ends") << "PdfEditor" << "  x  " << QByteArray("PdfEditor=\"  x  \"");
        QTest::newRow("line breaks") << "PdfEditor" << "a\nb\r\nc" << QByteArray();
        QTest::newRow("empty value") << "PdfEditor" << "" << QByteArray("PdfEditor=");
        QTest::newRow("default value") << "" << "standard" << QByteArray("@=standard");
        QTest::newRow("name that is the default marker") << "@" << "at" << QByteArray("\"@\"=at");
        QTest::newRow("name with equals sign") << "a=b" << "v" << QByteArray("\"a=b\"=v");
        QTest::newRow("name with backslash") << "Pfad\\Teil" << "v" << QByteArray("Pfad\\Teil=v");
    }

    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QByteArray, storedLine);

        QVERIFY(MakeRegistry().WriteRegistryValue(kKey, name, value));
        // A fresh object reads the file, not anything remembered.
        const Registry reg = MakeRegistry();
        QCOMPARE(Read(reg, kKey, name), value);
        // The other value names of the key are not answered by this one.
        QCOMPARE(Read(reg, kKey, name + "X"), QString("<none>"));

        const QByteArray stored = ReadAll(m_user);
        QVERIFY(stored.startsWith("[Software\\Veltrano\\Ordinalis]\n"));
        if (!storedLine.isEmpty())
            QVERIFY2(stored.split('\n').contains(storedLine), stored.constData());
    }

    void lookupOrder_data()
    {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("system1");
        QTest::addColumn<QByteArray>("system2");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // of InstallDir

        const QByteArray none, eins = Section("InstallDir=/opt/eins\n"), zwei = Section("InstallDir=/opt/zwei\n");

        QTest::newRow("user value wins") << Section("InstallDir=/home/meine\n") << eins << none << kKey
                                         << "/home/meine";
        QTest::newRow("first system store wins") << none << eins << zwei << kKey << "/opt/eins";
        QTest::newRow("second system store when the first lacks the value")
            << none << Section("Database=/x/\n") << zwei << kKey << "/opt/zwei";
        QTest::newRow("user key without the value falls through")
            << Section("PdfEditor=/usr/bin/x\n") << eins << none << kKey << "/opt/eins";
        QTest::newRow("same name in another key does not count")
            << QByteArray("[Software\\Andere]\nInstallDir=/falsch\n") << none << none << kKey << "<none>";
        QTest::newRow("key and name in other letter case")
            << none << QByteArray("[software\\VELTRANO\\ordinalis]\ninstalldir=/opt/klein\n") << none << kKey
            << "/opt/klein";
        QTest::newRow("key path with outer backslashes")
            << none << eins << none << "\\Software\\Veltrano\\Ordinalis\\" << "/opt/eins";
        QTest::newRow("hand-written: blanks, comments, CRLF, first duplicate")
            << QByteArray("; vom Installationsprogramm\r\n# auch Kommentar\r\n"
                          "[ Software\\Veltrano\\Ordinalis ]\r\n  InstallDir  =  /opt/mit blank  \r\n"
                          "InstallDir=/opt/zweiter\r\n")
            << none << none << kKey << "/opt/mit blank";
        QTest::newRow("hand-written quoted value")
            << Section("InstallDir=\"C:\\Programme\\Veltrano\"\n") << none << none << kKey
            << "C:\\Programme\\Veltrano";
        QTest::newRow("utf-8 byte order mark")
            << "\xEF\xBB\xBF" + Section("InstallDir=/opt/b\xC3\xBCro\n") << none << none << kKey
            << QString::fromUtf8("/opt/büro");
        QTest::newRow("entry before any section is no entry")
            << QByteArray("InstallDir=/lose\n[Software\\Veltrano\\Ordinalis]\n") << none << none << kKey << "<none>";
    }

    void lookupOrder()
    {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, system1);
        QFETCH(QByteArray, system2);
        QFETCH(QString, key);
        QFETCH(QString, value);

        const std::pair<QString, QByteArray> stores[] = {{m_user, user}, {m_system1, system1}, {m_system2, system2}};
        for (const auto &[path, content] : stores)
            if (!content.isNull())
                WriteAll(path, content);
        QCOMPARE(Read(MakeRegistry(), key, "InstallDir"), value);
    }

    void writeKeepsTheRestOfTheStore_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("after");

        const QByteArray store = "; Einstellungen\r\n[Software\\Veltrano\\Ordinalis]\r\nPdfEditor=/alt\r\n"
                                 "Database=/db/\r\n\r\n[Software\\Andere]\r\nPdfEditor=/fremd\r\n";
        QTest::newRow("replace in place, spelling of the name kept")
            << store << "PDFEDITOR" << QByteArray(store).replace("/alt", "/neu");
        QTest::newRow("new name after the last entry of its key")
            << store << "InstallDir" << QByteArray(store).replace("/db/\r\n", "/db/\r\nInstallDir=/neu\r\n");
        QTest::newRow("new key appended, unterminated last line ended")
            << QByteArray("[Software\\Andere]\nX=1") << "PdfEditor"
            << QByteArray("[Software\\Andere]\nX=1\n\n") + Section("PdfEditor=/neu\n");
        QTest::newRow("only the first duplicate is replaced")
            << Section("PdfEditor=/a\nPdfEditor=/b\n") << "PdfEditor" << Section("PdfEditor=/neu\nPdfEditor=/b\n");
        QTest::newRow("first write creates the store and its folders")
            << QByteArray() << "PdfEditor" << Section("PdfEditor=/neu\n");
    }

    void writeKeepsTheRestOfTheStore()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(QByteArray, after);

        if (!before.isNull())
            WriteAll(m_user, before);
        Registry reg = MakeRegistry();
        QVERIFY(reg.WriteRegistryValue(kKey, name, "/neu"));
        QCOMPARE(ReadAll(m_user), after);
        QCOMPARE(Read(reg, kKey, name), QString("/neu"));
        // Nothing beside it is left over from the replacement, and only the user's store is written.
        QCOMPARE(QDir(QFileInfo(m_user).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Ordinalis.conf"});
        QVERIFY(!QFileInfo::exists(m_system1));
    }

    // A write of what is stored already leaves the file as it is: no
    // replacement (a new inode), no flush to the disk.
    void sameValueLeavesTheStore_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("same value") << Section("PdfEditor=/alt\n") << "PdfEditor" << "/alt" << false;
        QTest::newRow("name in other case") << Section("PdfEditor=/alt\n") << "pdfeditor" << "/alt" << false;
        QTest::newRow("Windows line ends") << Section("PdfEditor=/alt\r\n").replace("]\n", "]\r\n") << "PdfEditor"
                                           << "/alt" << false;
        QTest::newRow("other value") << Section("PdfEditor=/alt\n") << "PdfEditor" << "/neu" << true;
        QTest::newRow("other letter case of the value") << Section("PdfEditor=/alt\n") << "PdfEditor" << "/Alt" << true;
        QTest::newRow("same value under another key")
            << QByteArray("[Software\\Andere]\nPdfEditor=/alt\n") << "PdfEditor" << "/alt" << true;
    }

    void sameValueLeavesTheStore()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(bool, replaced);

        WriteAll(m_user, before);
        struct stat was, is;
        QCOMPARE(stat(QFile::encodeName(m_user).constData(), &was), 0);
        QVERIFY(MakeRegistry().WriteRegistryValue(kKey, name, value));
        QCOMPARE(stat(QFile::encodeName(m_user).constData(), &is), 0);
        QCOMPARE(is.st_ino != was.st_ino, replaced);
        QCOMPARE(Read(MakeRegistry(), kKey, name), value);
        if (!replaced)
            QCOMPARE(ReadAll(m_user), before);
    }

    void writeRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("store"); // "file", "read-only" or "folder"

        QTest::newRow("read-only store") << kKey << "read-only";
        QTest::newRow("folder in the store's place") << kKey << "folder";
        QTest::newRow("association command") << Command("org.gnome.Evince.desktop").toLower() << "file";
        QTest::newRow("empty key") << "\\" << "file";
    }

    void writeRefused()
    {
        QFETCH(QString, key);
        QFETCH(QString, store);

        const QByteArray before = Section("PdfEditor=/alt\n");
        if (store == "folder") {
            QVERIFY(QDir().mkpath(m_user));
        } else {
            WriteAll(m_user, before);
            if (store == "read-only") {
                QVERIFY(QFile::setPermissions(m_user, QFile::ReadOwner | QFile::ReadUser));
                if (QFileInfo(m_user).isWritable())
                    QSKIP("running with rights that ignore file modes");
            }
        }

        QVERIFY(!MakeRegistry().WriteRegistryValue(key, "PdfEditor", "/neu"));
        if (store == "folder")
            QVERIFY(QFileInfo(m_user).isDir());
        else
            QCOMPARE(ReadAll(m_user), before);
        QFile::setPermissions(m_user, QFile::ReadOwner | QFile::WriteOwner);
    }

    void fromEnvironmentUsesConfigFolders()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("envhome")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path("envsys1") + ":relative:" + Path("envsys2")));
        const Registry reg = Registry::FromEnvironment();
        vvtest::IsolateEnvironment(m_root.path());
        QCOMPARE(reg.UserStorePath(), Path("envhome/Veltrano/Ordinalis.conf"));
        QCOMPARE(reg.SystemStorePaths(), (QStringList{Path("envsys1/Veltrano/Ordinalis.conf"),
                                                      Path("envsys2/Veltrano/Ordinalis.conf")}));
    }

    void defaultApplication_data()
    {
        QTest::addColumn<QStringList>("lists"); // see WriteLists; installed are a, b and c
        QTest::addColumn<QStringList>("files"); // more, see WriteFiles
        QTest::addColumn<QStringList>("desktops");
        QTest::addColumn<QString>("expected");
        using L = QStringList;

        QTest::newRow("user default over system default") << L{"user D b", "sys D a"} << L{} << L{} << "b";
        QTest::newRow("default over added in the same file") << L{"user A a;", "user D c"} << L{} << L{} << "c";
        QTest::newRow("a system default beats a user addition") << L{"user A a;", "data D b"} << L{} << L{} << "b";
        QTest::newRow("uninstalled default: next one of the list") << L{"user D gone;c;"} << L{} << L{} << "c";
        QTest::newRow("uninstalled default in the user file: system default")
            << L{"user D gone", "sys D a"} << L{} << L{} << "a";
        QTest::newRow("added associations in file order") << L{"dataHome A c;a;", "data A b;"} << L{} << L{} << "c";
        QTest::newRow("user removal drops a system addition") << L{"user R a;", "sys A a;b;"} << L{} << L{} << "b";
        QTest::newRow("user removal drops a system default")
            << L{"user R a;", "user A c;", "sys D a"} << L{} << L{} << "c";
        QTest::newRow("removal in the same file drops its addition")
            << L{"user A a;b;", "user R a;"} << L{} << L{} << "b";
        QTest::newRow("a removal in a less important file does not count")
            << L{"user A a;", "sys R a;"} << L{} << L{} << "a";
        QTest::newRow("cache is the last resort") << L{"data C b;a;"} << L{} << L{} << "b";
        QTest::newRow("removal drops a cache entry") << L{"user R b;", "data C b;a;"} << L{} << L{} << "a";
        QTest::newRow("other mime types do not count")
            << L{} << L{"home/.config/mimeapps.list\n[Default Applications]\napplication/postscript=a.desktop\n"
                        "text/pdf=b.desktop\n"} << L{} << "<none>";
        QTest::newRow("desktop-specific list first") << L{"user D a", "user/xfce D c"} << L{} << L{"gnome", "xfce"}
                                                     << "c";
        QTest::newRow("desktop-specific list of another desktop ignored")
            << L{"user D a", "user/kde D c"} << L{} << L{"gnome"} << "a";
        QTest::newRow("config folders before data folders") << L{"dataHome D a", "sys2 D b"} << L{} << L{} << "b";
        QTest::newRow("hidden user copy shadows the installed file")
            << L{"user D a;b"} << L{App("a.desktop", "Hidden=true\n", "home/.local/share/applications/")}
            << L{} << "b";
        QTest::newRow("TryExec not found: not installed")
            << L{"user D a;b"} << L{App("a.desktop", "TryExec=not-there\n")} << L{} << "b";
        QTest::newRow("not an application")
            << L{"user D a;b"} << L{"usr-share/applications/a.desktop\n[Desktop Entry]\nType=Link\nURL=x\n"} << L{}
            << "b";
        QTest::newRow("file in a subfolder") << L{"user D kde4-okular"} << L{App("kde4/okular.desktop")} << L{}
                                             << "kde4-okular";
        QTest::newRow("unusable Exec still names the type")
            << L{"user D a"} << L{App("a.desktop").replace("viewer %U", "missing %U")} << L{} << "a";
    }

    void defaultApplication()
    {
        QFETCH(QStringList, lists);
        QFETCH(QStringList, files);
        QFETCH(QStringList, desktops);
        QFETCH(QString, expected);

        WriteFiles(QStringList{App("a.desktop"), App("b.desktop"), App("c.desktop")} + files);
        WriteLists(lists);
        m_xdg.desktops = desktops;
        QCOMPARE(Read(MakeRegistry(), kPdf), expected == "<none>" ? expected : expected + ".desktop");
    }

    void openCommand_data()
    {
        QTest::addColumn<QString>("exec");    // as it stands in the file; BIN = the program folder
        QTest::addColumn<QString>("command"); // "<none>" = the read fails

        QTest::newRow("program on PATH, %U") << "viewer %U" << "BIN/viewer \"%1\"";
        QTest::newRow("%u with middle arguments") << "viewer --page 1 %u" << "BIN/viewer --page 1 \"%1\"";
        QTest::newRow("absolute program") << "BIN/viewer %f" << "BIN/viewer \"%1\"";
        QTest::newRow("second PATH folder") << "other %f" << "BIN2/other \"%1\"";
        QTest::newRow("quoted program with a blank") << "\"BIN/my viewer\" %f" << "\"BIN/my viewer\" \"%1\"";
        QTest::newRow("no field code") << "viewer" << "BIN/viewer";
        QTest::newRow("icon, caption and location codes dropped")
            << "viewer %i --x %c %k %f" << "BIN/viewer --x \"%1\"";
        QTest::newRow("percent sign") << "viewer 100%% %f" << "BIN/viewer 100% \"%1\"";
        QTest::newRow("field code inside an argument") << "viewer --file=%f" << "BIN/viewer --file=%1";
        QTest::newRow("quoted argument with blank")
            << "viewer --title=\"Zwei Worte\" %f" << "BIN/viewer \"--title=Zwei Worte\" \"%1\"";
        QTest::newRow("escaped dollar in quotes") << "viewer \"--x=\\\\$HOME\" %f" << "BIN/viewer --x=$HOME \"%1\"";
        QTest::newRow("literal backslash needs four") << "viewer \"a\\\\\\\\b\" %f" << "BIN/viewer a\\b \"%1\"";
        QTest::newRow("\\s is a blank between arguments") << "viewer\\s%f" << "BIN/viewer \"%1\"";
        QTest::newRow("open quote") << "viewer \"%f" << "<none>";
        QTest::newRow("unknown escape in quotes") << "viewer \"\\q\" %f" << "<none>";
        QTest::newRow("shell separator") << "viewer %f; rm -rf /" << "<none>";
        QTest::newRow("pipe") << "viewer %f | lp" << "<none>";
        QTest::newRow("command substitution") << "viewer $(id) %f" << "<none>";
        QTest::newRow("unescaped dollar in quotes") << "viewer \"$HOME\" %f" << "<none>";
        QTest::newRow("unknown field code") << "viewer %x" << "<none>";
        QTest::newRow("%U inside an argument") << "viewer --files=%U" << "<none>";
        QTest::newRow("two file codes") << "viewer %f %u" << "<none>";
        QTest::newRow("field code as program") << "%f" << "<none>";
        QTest::newRow("program missing") << "not-installed %f" << "<none>";
        QTest::newRow("program not executable") << "plainfile %f" << "<none>";
        QTest::newRow("relative folder") << "bin/viewer %f" << "<none>";
        QTest::newRow("empty Exec") << "" << "<none>";
    }

    void openCommand()
    {
        QFETCH(QString, exec);
        QFETCH(QString, command);

        const QString bin = Path("bin"), bin2 = Path("bin2");
        MakeProgram(bin + "/my viewer");
        MakeProgram(bin2 + "/other");
        WriteAll(bin + "/plainfile", "data");
        WriteFiles({App("org.example.Viewer.desktop").replace("viewer %U", exec.replace("BIN", bin))});
        WriteLists({"user D org.example.Viewer"});

        const Registry reg = MakeRegistry();
        QCOMPARE(Read(reg, kPdf), QString("org.example.Viewer.desktop"));
        QCOMPARE(Read(reg, Command("org.example.Viewer.desktop")), command.replace("BIN2", bin2).replace("BIN", bin));
    }

    void associationIsOnlyForClasses()
    {
        WriteFiles({App("v.desktop"), App("w.desktop").replace("%U", "--w %u")});
        WriteLists({"user D v"});
        // A store entry under the association path is not what the desktop says.
        WriteAll(m_user, "[Software\\Classes\\.pdf]\n@=AcroExch.Document\n" + Section("@=x\n"));
        const Registry reg = MakeRegistry();

        QCOMPARE(Read(reg, "SOFTWARE\\CLASSES\\.PDF"), QString("v.desktop"));
        QCOMPARE(Read(reg, kPdf, "Content Type"), QString("<none>"));
        QCOMPARE(Read(reg, Command("v.desktop"), "x"), QString("<none>"));
        QCOMPARE(Read(reg, Command("")), QString("<none>"));
        QCOMPARE(Read(reg, Command("none.desktop")), QString("<none>"));
        QCOMPARE(Read(reg, Command("v.desktop").toLower()), Path("bin/viewer") + " \"%1\"");
        // Any other desktop file id answers with its own command.
        QCOMPARE(Read(reg, Command("w.desktop")), Path("bin/viewer") + " --w \"%1\"");
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
