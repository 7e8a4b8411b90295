// The settings store and the ".pdf" association it presents.

#include "Registry.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using vv::Registry;
using vv::XdgFolders;

using vvtest::WriteAll;

using vvtest::ReadAll;

using vvtest::MakeProgram;

namespace {

const QString kKey = QStringLiteral("Software\\Veltrano\\Ordinalis");

QByteArray DesktopFile(const QString &exec, const QString &extra = QString())
{
    return ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n" + extra).toUtf8();
}

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void roundTrip_data();
    void roundTrip();
    void lookupOrder_data();
    void lookupOrder();
    void writeKeepsTheRestOfTheStore_data();
    void writeKeepsTheRestOfTheStore();
    void writeRefused_data();
    void writeRefused();
    void firstWriteCreatesTheStore();
    void fromEnvironmentUsesConfigFolders();

    void defaultApplication_data();
    void defaultApplication();
    void openCommand_data();
    void openCommand();
    void associationIsOnlyForClasses();

private:
    Registry MakeRegistry() const { return Registry(m_user, {m_system1, m_system2}, m_xdg); }
    QString Path(const QString &rel) const { return m_work->path() + u'/' + rel; }

    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_user, m_system1, m_system2;
    XdgFolders m_xdg;
};

void TestRegistry::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
}

void TestRegistry::init()
{
    m_work = std::make_unique<QTemporaryDir>(m_root.path() + "/case-XXXXXX");
    QVERIFY(m_work->isValid());
    m_user = Path("home/.config/Veltrano/Ordinalis.conf");
    m_system1 = Path("etc-xdg/Veltrano/Ordinalis.conf");
    m_system2 = Path("etc-xdg2/Veltrano/Ordinalis.conf");
    m_xdg = XdgFolders();
    m_xdg.configHome = Path("home/.config");
    m_xdg.configDirs = QStringList{Path("etc-xdg"), Path("etc-xdg2")};
    m_xdg.dataHome = Path("home/.local/share");
    m_xdg.dataDirs = QStringList{Path("usr-local-share"), Path("usr-share")};
    m_xdg.searchPath = QStringList{Path("bin"), Path("bin2")};
    QDir().mkpath(Path("bin"));
}

void TestRegistry::roundTrip_data()
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

void TestRegistry::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QByteArray, storedLine);

    Registry reg = MakeRegistry();
    QVERIFY(reg.WriteRegistryValue(kKey, name, value));

    // A fresh object reads the file, not anything remembered.
    QString read = "untouched";
    QVERIFY(MakeRegistry().ReadRegistryValue(kKey, name, read));
    QCOMPARE(read, value);

    const QByteArray stored = ReadAll(m_user);
    QVERIFY(stored.startsWith("[Software\\Veltrano\\Ordinalis]\n"));
    if (!storedLine.isEmpty())
        QVERIFY2(stored.split('\n').contains(storedLine), stored.constData());

    // The other value names of the key are not answered by this one.
    QString other = "untouched";
    QVERIFY(!reg.ReadRegistryValue(kKey, name + "X", other));
    QCOMPARE(other, QString("untouched"));
}

void TestRegistry::lookupOrder_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("system1");
    QTest::addColumn<QByteArray>("system2");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const QByteArray install1 = "[Software\\Veltrano\\Ordinalis]\nInstallDir=/opt/eins\n";
    const QByteArray install2 = "[Software\\Veltrano\\Ordinalis]\nInstallDir=/opt/zwei\n";

    QTest::newRow("installation value from the system store")
        << QByteArray() << install1 << QByteArray() << kKey << "InstallDir" << true << "/opt/eins";
    QTest::newRow("user value wins")
        << QByteArray("[Software\\Veltrano\\Ordinalis]\nInstallDir=/home/meine\n") << install1
        << QByteArray() << kKey << "InstallDir" << true << "/home/meine";
    QTest::newRow("first system store wins")
        << QByteArray() << install1 << install2 << kKey << "InstallDir" << true << "/opt/eins";
    QTest::newRow("second system store when the first lacks the value")
        << QByteArray() << QByteArray("[Software\\Veltrano\\Ordinalis]\nDatabase=/x/\n") << install2
        << kKey << "InstallDir" << true << "/opt/zwei";
    QTest::newRow("user key without the value falls through")
        << QByteArray("[Software\\Veltrano\\Ordinalis]\nPdfEditor=/usr/bin/x\n") << install1
        << QByteArray() << kKey << "InstallDir" << true << "/opt/eins";
    QTest::newRow("nowhere") << QByteArray() << QByteArray() << QByteArray() << kKey << "InstallDir"
                             << false << "untouched";
    QTest::newRow("same name in another key does not count")
        << QByteArray("[Software\\Andere]\nInstallDir=/falsch\n") << QByteArray() << QByteArray()
        << kKey << "InstallDir" << false << "untouched";
    QTest::newRow("key and name in other letter case")
        << QByteArray() << QByteArray("[software\\VELTRANO\\ordinalis]\ninstalldir=/opt/klein\n")
        << QByteArray() << kKey << "InstallDir" << true << "/opt/klein";
    QTest::newRow("key path with outer backslashes")
        << QByteArray() << install1 << QByteArray() << "\\Software\\Veltrano\\Ordinalis\\"
        << "InstallDir" << true << "/opt/eins";
    QTest::newRow("hand-written: blanks, comments, CRLF, first duplicate")
        << QByteArray("; vom Installationsprogramm\r\n# auch Kommentar\r\n"
                      "[ Software\\Veltrano\\Ordinalis ]\r\n  InstallDir  =  /opt/mit blank  \r\n"
                      "InstallDir=/opt/zweiter\r\n")
        << QByteArray() << QByteArray() << kKey << "InstallDir" << true << "/opt/mit blank";
    QTest::newRow("hand-written quoted value")
        << QByteArray("[Software\\Veltrano\\Ordinalis]\nInstallDir=\"C:\\Programme\\Veltrano\"\n")
        << QByteArray() << QByteArray() << kKey << "InstallDir" << true << "C:\\Programme\\Veltrano";
    QTest::newRow("utf-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF[Software\\Veltrano\\Ordinalis]\nInstallDir=/opt/b\xC3\xBCro\n")
        << QByteArray() << QByteArray() << kKey << "InstallDir" << true << QString::fromUtf8("/opt/büro");
    QTest::newRow("entry before any section is no entry")
        << QByteArray("InstallDir=/lose\n[Software\\Veltrano\\Ordinalis]\n") << QByteArray()
        << QByteArray() << kKey << "InstallDir" << false << "untouched";
    QTest::newRow("default value marker")
        << QByteArray("[Software\\Veltrano\\Ordinalis]\n@=standard\n") << QByteArray() << QByteArray()
        << kKey << "" << true << "standard";
}

void TestRegistry::lookupOrder()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, system1);
    QFETCH(QByteArray, system2);
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, value);

    if (!user.isNull())
        WriteAll(m_user, user);
    if (!system1.isNull())
        WriteAll(m_system1, system1);
    if (!system2.isNull())
        WriteAll(m_system2, system2);

    QString read = "untouched";
    QCOMPARE(MakeRegistry().ReadRegistryValue(key, name, read), found);
    QCOMPARE(read, value);
}

void TestRegistry::writeKeepsTheRestOfTheStore_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("after");

    const QByteArray store = "; Einstellungen\r\n[Software\\Veltrano\\Ordinalis]\r\nPdfEditor=/alt\r\n"
                             "Database=/db/\r\n\r\n[Software\\Andere]\r\nPdfEditor=/fremd\r\n";
    QTest::newRow("replace in place, spelling of the name kept")
        << store << "PDFEDITOR"
        << QByteArray("; Einstellungen\r\n[Software\\Veltrano\\Ordinalis]\r\nPdfEditor=/neu\r\n"
                      "Database=/db/\r\n\r\n[Software\\Andere]\r\nPdfEditor=/fremd\r\n");
    QTest::newRow("new name after the last entry of its key")
        << store << "InstallDir"
        << QByteArray("; Einstellungen\r\n[Software\\Veltrano\\Ordinalis]\r\nPdfEditor=/alt\r\n"
                      "Database=/db/\r\nInstallDir=/neu\r\n\r\n[Software\\Andere]\r\nPdfEditor=/fremd\r\n");
    QTest::newRow("new key appended, unterminated last line ended")
        << QByteArray("[Software\\Andere]\nX=1") << "PdfEditor"
        << QByteArray("[Software\\Andere]\nX=1\n\n[Software\\Veltrano\\Ordinalis]\nPdfEditor=/neu\n");
    QTest::newRow("only the first duplicate is replaced")
        << QByteArray("[Software\\Veltrano\\Ordinalis]\nPdfEditor=/a\nPdfEditor=/b\n") << "PdfEditor"
        << QByteArray("[Software\\Veltrano\\Ordinalis]\nPdfEditor=/neu\nPdfEditor=/b\n");
}

void TestRegistry::writeKeepsTheRestOfTheStore()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, name);
    QFETCH(QByteArray, after);

    WriteAll(m_user, before);
    Registry reg = MakeRegistry();
    QVERIFY(reg.WriteRegistryValue(kKey, name, "/neu"));
    QCOMPARE(ReadAll(m_user), after);
    QString read;
    QVERIFY(reg.ReadRegistryValue(kKey, name, read));
    QCOMPARE(read, QString("/neu"));
    QVERIFY(!QFileInfo::exists(m_user + ".lock"));
}

void TestRegistry::writeRefused_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("store"); // "file", "read-only" or "folder"

    QTest::newRow("read-only store") << kKey << "read-only";
    QTest::newRow("folder in the store's place") << kKey << "folder";
    QTest::newRow("association type") << "Software\\Classes\\.pdf" << "file";
    QTest::newRow("association command")
        << "software\\classes\\org.gnome.Evince.desktop\\Shell\\Open\\Command" << "file";
    QTest::newRow("empty key") << "\\" << "file";
}

void TestRegistry::writeRefused()
{
    QFETCH(QString, key);
    QFETCH(QString, store);

    const QByteArray before = "[Software\\Veltrano\\Ordinalis]\nPdfEditor=/alt\n";
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

void TestRegistry::firstWriteCreatesTheStore()
{
    QVERIFY(!QFileInfo::exists(QFileInfo(m_user).absolutePath()));
    QVERIFY(MakeRegistry().WriteRegistryValue(kKey, "PdfEditor", "/usr/bin/viewer"));
    QCOMPARE(ReadAll(m_user), QByteArray("[Software\\Veltrano\\Ordinalis]\nPdfEditor=/usr/bin/viewer\n"));
    // Nothing beside it is left over from the replacement.
    QCOMPARE(QDir(QFileInfo(m_user).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Ordinalis.conf"});
    QVERIFY(!QFileInfo::exists(m_system1));
}

void TestRegistry::fromEnvironmentUsesConfigFolders()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("envhome")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path("envsys1") + ":relative:" + Path("envsys2")));
    const Registry reg = Registry::FromEnvironment();
    QCOMPARE(reg.UserStorePath(), Path("envhome/Veltrano/Ordinalis.conf"));
    QCOMPARE(reg.SystemStorePaths(), (QStringList{Path("envsys1/Veltrano/Ordinalis.conf"),
                                                  Path("envsys2/Veltrano/Ordinalis.conf")}));
    vvtest::IsolateEnvironment(m_root.path());
}

void TestRegistry::defaultApplication_data()
{
    // files: "path relative to the case folder\ncontent"
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("desktops");
    QTest::addColumn<QString>("expected"); // "" = the ".pdf" read fails

    const QString userList = "home/.config/mimeapps.list\n";
    const QString sysList = "etc-xdg/mimeapps.list\n";
    const QString dataHomeList = "home/.local/share/applications/mimeapps.list\n";
    const QString dataList = "usr-share/applications/mimeapps.list\n";
    auto app = [](const QString &id, const QString &extra = QString()) {
        return "usr-share/applications/" + id + "\n[Desktop Entry]\nType=Application\nExec=viewer %U\n" + extra;
    };
    const QStringList apps{app("a.desktop"), app("b.desktop"), app("c.desktop")};

    QTest::newRow("no association at all") << apps << QStringList() << "";
    QTest::newRow("user default over system default")
        << apps + QStringList{userList + "[Default Applications]\napplication/pdf=b.desktop\n",
                              sysList + "[Default Applications]\napplication/pdf=a.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("default over added in the same file")
        << apps + QStringList{userList + "[Added Associations]\napplication/pdf=a.desktop;\n"
                                         "[Default Applications]\napplication/pdf=c.desktop\n"}
        << QStringList() << "c.desktop";
    QTest::newRow("a system default beats a user addition")
        << apps + QStringList{userList + "[Added Associations]\napplication/pdf=a.desktop;\n",
                              dataList + "[Default Applications]\napplication/pdf=b.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("uninstalled default: next one of the list")
        << apps + QStringList{userList + "[Default Applications]\napplication/pdf=gone.desktop;c.desktop;\n"}
        << QStringList() << "c.desktop";
    QTest::newRow("uninstalled default in the user file: system default")
        << apps + QStringList{userList + "[Default Applications]\napplication/pdf=gone.desktop\n",
                              sysList + "[Default Applications]\napplication/pdf=a.desktop\n"}
        << QStringList() << "a.desktop";
    QTest::newRow("added associations in file order")
        << apps + QStringList{dataHomeList + "[Added Associations]\napplication/pdf=c.desktop;a.desktop;\n",
                              dataList + "[Added Associations]\napplication/pdf=b.desktop;\n"}
        << QStringList() << "c.desktop";
    QTest::newRow("user removal drops a system addition")
        << apps + QStringList{userList + "[Removed Associations]\napplication/pdf=a.desktop;\n",
                              sysList + "[Added Associations]\napplication/pdf=a.desktop;b.desktop;\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("user removal drops a system default")
        << apps + QStringList{userList + "[Removed Associations]\napplication/pdf=a.desktop;\n"
                                         "[Added Associations]\napplication/pdf=c.desktop;\n",
                              sysList + "[Default Applications]\napplication/pdf=a.desktop\n"}
        << QStringList() << "c.desktop";
    QTest::newRow("removal in the same file drops its addition")
        << apps + QStringList{userList + "[Added Associations]\napplication/pdf=a.desktop;b.desktop;\n"
                                         "[Removed Associations]\napplication/pdf=a.desktop;\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("a removal in a less important file does not count")
        << apps + QStringList{userList + "[Added Associations]\napplication/pdf=a.desktop;\n",
                              sysList + "[Removed Associations]\napplication/pdf=a.desktop;\n"}
        << QStringList() << "a.desktop";
    QTest::newRow("cache is the last resort")
        << apps + QStringList{"usr-share/applications/mimeinfo.cache\n[MIME Cache]\n"
                              "application/pdf=b.desktop;a.desktop;\ntext/plain=c.desktop;\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("removal drops a cache entry")
        << apps + QStringList{userList + "[Removed Associations]\napplication/pdf=b.desktop;\n",
                              "usr-share/applications/mimeinfo.cache\n[MIME Cache]\n"
                              "application/pdf=b.desktop;a.desktop;\n"}
        << QStringList() << "a.desktop";
    QTest::newRow("other mime types do not count")
        << apps + QStringList{userList + "[Default Applications]\napplication/postscript=a.desktop\n"
                                         "text/pdf=b.desktop\n"}
        << QStringList() << "";
    QTest::newRow("desktop-specific list first")
        << apps + QStringList{userList + "[Default Applications]\napplication/pdf=a.desktop\n",
                              "home/.config/xfce-mimeapps.list\n[Default Applications]\napplication/pdf=c.desktop\n"}
        << QStringList{"gnome", "xfce"} << "c.desktop";
    QTest::newRow("desktop-specific list of another desktop ignored")
        << apps + QStringList{userList + "[Default Applications]\napplication/pdf=a.desktop\n",
                              "home/.config/kde-mimeapps.list\n[Default Applications]\napplication/pdf=c.desktop\n"}
        << QStringList{"gnome"} << "a.desktop";
    QTest::newRow("config folders before data folders")
        << apps + QStringList{dataHomeList + "[Default Applications]\napplication/pdf=a.desktop\n",
                              "etc-xdg2/mimeapps.list\n[Default Applications]\napplication/pdf=b.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("hidden user copy shadows the installed file")
        << apps + QStringList{"home/.local/share/applications/a.desktop\n[Desktop Entry]\nType=Application\n"
                              "Exec=viewer %U\nHidden=true\n",
                              userList + "[Default Applications]\napplication/pdf=a.desktop;b.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("TryExec not found: not installed")
        << QStringList{app("a.desktop", "TryExec=not-there\n"), app("b.desktop"),
                       userList + "[Default Applications]\napplication/pdf=a.desktop;b.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("not an application")
        << QStringList{"usr-share/applications/a.desktop\n[Desktop Entry]\nType=Link\nURL=x\n", app("b.desktop"),
                       userList + "[Default Applications]\napplication/pdf=a.desktop;b.desktop\n"}
        << QStringList() << "b.desktop";
    QTest::newRow("file in a subfolder")
        << QStringList{"usr-share/applications/kde4/okular.desktop\n[Desktop Entry]\nType=Application\n"
                       "Exec=viewer %U\n",
                       userList + "[Default Applications]\napplication/pdf=kde4-okular.desktop\n"}
        << QStringList() << "kde4-okular.desktop";
    QTest::newRow("unusable Exec still names the type")
        << QStringList{app("a.desktop").replace("Exec=viewer %U", "Exec=missing %U"),
                       userList + "[Default Applications]\napplication/pdf=a.desktop\n"}
        << QStringList() << "a.desktop";
}

void TestRegistry::defaultApplication()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, desktops);
    QFETCH(QString, expected);

    MakeProgram(Path("bin/viewer"));
    for (const QString &f : files) {
        const qsizetype nl = f.indexOf(u'\n');
        WriteAll(Path(f.left(nl)), f.mid(nl + 1).toUtf8());
    }
    m_xdg.desktops = desktops;

    QString type = "untouched";
    const bool found = MakeRegistry().ReadRegistryValue("Software\\Classes\\.pdf", "", type);
    QCOMPARE(found, !expected.isEmpty());
    QCOMPARE(type, expected.isEmpty() ? QString("untouched") : expected);
}

void TestRegistry::openCommand_data()
{
    QTest::addColumn<QString>("exec");    // as it stands in the file; BIN = the program folder
    QTest::addColumn<QString>("command"); // "" = the read fails

    QTest::newRow("program on PATH, %U") << "viewer %U" << "BIN/viewer \"%1\"";
    QTest::newRow("%f") << "viewer %f" << "BIN/viewer \"%1\"";
    QTest::newRow("%u with middle arguments")
        << "viewer --page 1 %u" << "BIN/viewer --page 1 \"%1\"";
    QTest::newRow("absolute program") << "BIN/viewer %f" << "BIN/viewer \"%1\"";
    QTest::newRow("second PATH folder") << "other %f" << "BIN2/other \"%1\"";
    QTest::newRow("quoted program with a blank")
        << "\"BIN/my viewer\" %f" << "\"BIN/my viewer\" \"%1\"";
    QTest::newRow("no field code") << "viewer" << "BIN/viewer";
    QTest::newRow("icon, caption and location codes dropped")
        << "viewer %i --x %c %k %f" << "BIN/viewer --x \"%1\"";
    QTest::newRow("percent sign") << "viewer 100%% %f" << "BIN/viewer 100% \"%1\"";
    QTest::newRow("field code inside an argument") << "viewer --file=%f" << "BIN/viewer --file=%1";
    QTest::newRow("quoted argument with blank")
        << "viewer --title=\"Zwei Worte\" %f" << "BIN/viewer \"--title=Zwei Worte\" \"%1\"";
    QTest::newRow("escaped dollar in quotes")
        << "viewer \"--x=\\\\$HOME\" %f" << "BIN/viewer --x=$HOME \"%1\"";
    QTest::newRow("literal backslash needs four")
        << "viewer \"a\\\\\\\\b\" %f" << "BIN/viewer a\\b \"%1\"";
    QTest::newRow("\\s is a blank between arguments") << "viewer\\s%f" << "BIN/viewer \"%1\"";
    QTest::newRow("open quote") << "viewer \"%f" << "";
    QTest::newRow("unknown escape in quotes") << "viewer \"\\q\" %f" << "";
    QTest::newRow("shell separator") << "viewer %f; rm -rf /" << "";
    QTest::newRow("command substitution") << "viewer $(id) %f" << "";
    QTest::newRow("unescaped dollar in quotes") << "viewer \"$HOME\" %f" << "";
    QTest::newRow("pipe") << "viewer %f | lp" << "";
    QTest::newRow("unknown field code") << "viewer %x" << "";
    QTest::newRow("%U inside an argument") << "viewer --files=%U" << "";
    QTest::newRow("two file codes") << "viewer %f %u" << "";
    QTest::newRow("field code as program") << "%f" << "";
    QTest::newRow("program missing") << "not-installed %f" << "";
    QTest::newRow("program not executable") << "plainfile %f" << "";
    QTest::newRow("relative folder") << "bin/viewer %f" << "";
    QTest::newRow("empty Exec") << "" << "";
}

void TestRegistry::openCommand()
{
    QFETCH(QString, exec);
    QFETCH(QString, command);

    const QString bin = Path("bin"), bin2 = Path("bin2");
    MakeProgram(bin + "/viewer");
    MakeProgram(bin + "/my viewer");
    MakeProgram(bin2 + "/other");
    WriteAll(bin + "/plainfile", "data");
    QString execLine = exec;
    execLine.replace("BIN", bin);
    WriteAll(Path("usr-share/applications/org.example.Viewer.desktop"), DesktopFile(execLine));
    WriteAll(Path("home/.config/mimeapps.list"),
              "[Default Applications]\napplication/pdf=org.example.Viewer.desktop\n");

    const Registry reg = MakeRegistry();
    QString type;
    QVERIFY(reg.ReadRegistryValue("Software\\Classes\\.pdf", "", type));
    QCOMPARE(type, QString("org.example.Viewer.desktop"));

    QString read = "untouched";
    const bool found = reg.ReadRegistryValue("Software\\Classes\\" + type + "\\Shell\\Open\\Command", "", read);
    QString expected = command;
    expected.replace("BIN2", bin2).replace("BIN", bin);
    QCOMPARE(found, !command.isEmpty());
    QCOMPARE(read, command.isEmpty() ? QString("untouched") : expected);
}

void TestRegistry::associationIsOnlyForClasses()
{
    MakeProgram(Path("bin/viewer"));
    WriteAll(Path("usr-share/applications/v.desktop"), DesktopFile("viewer %f"));
    WriteAll(Path("home/.config/mimeapps.list"), "[Default Applications]\napplication/pdf=v.desktop\n");
    // A store entry under the association path is not what the desktop says.
    WriteAll(m_user, "[Software\\Classes\\.pdf]\n@=AcroExch.Document\n[Software\\Veltrano\\Ordinalis]\n@=x\n");
    const Registry reg = MakeRegistry();

    QString v;
    QVERIFY(reg.ReadRegistryValue("SOFTWARE\\CLASSES\\.PDF", "", v));
    QCOMPARE(v, QString("v.desktop"));
    v = "untouched";
    QVERIFY(!reg.ReadRegistryValue("Software\\Classes\\.pdf", "Content Type", v));
    QVERIFY(!reg.ReadRegistryValue("Software\\Classes\\v.desktop\\Shell\\Open\\Command", "x", v));
    QVERIFY(!reg.ReadRegistryValue("Software\\Classes\\\\Shell\\Open\\Command", "", v));
    QVERIFY(!reg.ReadRegistryValue("Software\\Classes\\none.desktop\\Shell\\Open\\Command", "", v));
    QCOMPARE(v, QString("untouched"));
    QVERIFY(reg.ReadRegistryValue("software\\classes\\v.desktop\\shell\\open\\command", "", v));
    QCOMPARE(v, Path("bin/viewer") + " \"%1\"");
    // Any other desktop file id answers with its own command.
    WriteAll(Path("usr-share/applications/w.desktop"), DesktopFile("viewer --w %u"));
    QVERIFY(reg.ReadRegistryValue("Software\\Classes\\w.desktop\\Shell\\Open\\Command", "", v));
    QCOMPARE(v, Path("bin/viewer") + " --w \"%1\"");
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
