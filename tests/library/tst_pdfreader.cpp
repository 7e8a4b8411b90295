// Finding, asking for and storing the PDF program.

#include "Fakes.h"
#include "PdfReader.h"
#include "Registry.h"
#include "TestSupport.h"
#include "WebSupports.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using vv::Registry;
using vvtest::WriteAll;

class TestPdfReader : public QObject {
    Q_OBJECT

    QString Path(const QString &rel) const { return m_work->path() + u'/' + rel; }
    QString StoreFile() const { return Path("home/.config/Veltrano/Ordinalis.conf"); }
    Registry MakeRegistry() const { return Registry(StoreFile(), {}, m_xdg); }
    QString Stored(const Registry &reg) const
    {
        QString v = "<none>";
        reg.ReadRegistryValue(vv::kProductKey, "PdfEditor", v);
        return v;
    }
    // Makes id the desktop's default for PDF documents, running exec.
    void Associate(const QString &id, const QString &exec) const
    {
        WriteAll(Path("usr-share/applications/" + id),
                 ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n").toUtf8());
        WriteAll(Path("home/.config/mimeapps.list"), ("[Default Applications]\napplication/pdf=" + id + "\n").toUtf8());
    }

    // "bin/…" names a program of the test's own folder.
    QString InCase(const QString &p) const { return p.startsWith("bin/") ? Path(p) : p; }
    // The store made to hold before ("<none>": no value, "<folder>": a folder
    // in its place, so nothing can be written), id the desktop's default.
    bool Prepare(const QString &id, const QString &exec, const QString &before, Registry &reg) const
    {
        if (!id.isEmpty())
            Associate(id, exec);
        if (before == "<folder>")
            return QDir().mkpath(StoreFile());
        return before == "<none>" || reg.WriteRegistryValue(vv::kProductKey, "PdfEditor", InCase(before));
    }

    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_work;
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
        m_xdg = vv::XdgFolders();
        m_xdg.configHome = Path("home/.config");
        m_xdg.configDirs = QStringList{Path("etc-xdg")};
        m_xdg.dataHome = Path("home/.local/share");
        m_xdg.dataDirs = QStringList{Path("usr-share")};
        m_xdg.searchPath = QStringList{Path("bin")};
        vvtest::MakeProgram(Path("bin/viewer"));
        vvtest::MakeProgram(Path("bin/other viewer"));
        QVERIFY(QDir::setCurrent(m_work->path()));
    }

    void trimming_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("program");

        QTest::newRow("quoted program, quoted %1")
            << "\"C:\\Programme\\Leser\\Leser.exe\" \"%1\"" << "C:\\Programme\\Leser\\Leser.exe";
        QTest::newRow("quoted program, unquoted %1") << "\"C:\\Leser.exe\" %1" << "C:\\Leser.exe";
        QTest::newRow("middle arguments stay") << "\"C:\\Leser.exe\" /s /o \"%1\"" << "C:\\Leser.exe\" /s /o";
        QTest::newRow("no %1, quoted") << "\"C:\\Leser.exe\"" << "C:\\Leser.exe";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("quoted %1 right after the program") << "x\"%1\"" << "";
        QTest::newRow("only a quoted %1 is too short to cut") << "\"%1\"" << "%1";
        QTest::newRow("only %1 is too short to cut") << "%1" << "%1";
        QTest::newRow("a blank after %1 stops the cut") << "\"C:\\a b\\v.exe\" \"%1\" " << "C:\\a b\\v.exe\" \"%1\" ";
        QTest::newRow("%2 is not cut") << "viewer \"%2\"" << "viewer \"%2";
        QTest::newRow("%1 inside an argument") << "viewer --file=%1" << "viewer --file";
    }

    void trimming()
    {
        QFETCH(QString, command);
        QFETCH(QString, program);
        QCOMPARE(vv::TrimOpenCommand(command), program);
    }

    // Paths in before and after lie below the case folder; "<none>" is no
    // stored value, "<folder>" a folder in the store's place, which makes
    // every write fail whatever our rights.
    void load_data()
    {
        QTest::addColumn<QString>("before"); // stored "PdfEditor"
        QTest::addColumn<QString>("id");     // the PDF default; "" = none
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("answer"); // of the dialog; "" = Cancel
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("after");

        const QString chosen = "/opt/leser/chosen";
        QTest::newRow("PdfDummy inside the name, any case, asks")
            << "<none>" << "org.AcroPdfDUMMY.Reader.desktop" << "viewer %f" << chosen << 1 << true << chosen;
        QTest::newRow("unusable association asks")
            << "<none>" << "v.desktop" << "not-installed %f" << chosen << 1 << true << chosen;
        QTest::newRow("cancel keeps the stored value")
            << "bin/deinstalliert" << "PDFDummy.desktop" << "viewer %f" << "" << 0 << true << "bin/deinstalliert";
        // The association would give another program; it must not be looked at.
        QTest::newRow("existing program is trusted")
            << "bin/other viewer" << "v.desktop" << "viewer %f" << chosen << 1 << false << "bin/other viewer";
        QTest::newRow("vanished program is searched again")
            << "bin/removed-viewer" << "v.desktop" << "viewer %f" << chosen << 1 << false << "bin/viewer";
        QTest::newRow("no association does not ask") << "<none>" << "" << "" << chosen << 0 << false << "<none>";
        QTest::newRow("chosen path of exactly five characters")
            << "<none>" << "PDFDummy.desktop" << "viewer %f" << "/ab/c" << 1 << true << "/ab/c";
        QTest::newRow("chosen path of four characters is too short")
            << "<none>" << "PDFDummy.desktop" << "viewer %f" << "/a/c" << 0 << true << "<none>";
        QTest::newRow("unwritable store still finds")
            << "<folder>" << "v.desktop" << "viewer %f" << chosen << 1 << false << "<none>";
    }

    void load()
    {
        QFETCH(QString, before);
        QFETCH(QString, id);
        QFETCH(QString, exec);
        QFETCH(QString, answer);
        QFETCH(int, result);
        QFETCH(bool, asked);
        QFETCH(QString, after);

        Registry reg = MakeRegistry();
        QVERIFY(Prepare(id, exec, before, reg));

        vvtest::FakeFileDialog dialog;
        dialog.choices << answer;
        QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), result);
        QCOMPARE(dialog.requests.size(), asked ? 1 : 0);
        QCOMPARE(Stored(reg), InCase(after));
        if (asked) {
            QCOMPARE(dialog.requests[0].title, QString::fromUtf8("Datei öffnen"));
            QCOMPARE(dialog.requests[0].folder, QDir::currentPath());
            // Linux programs have no extension: the list must offer every file.
            QVERIFY(dialog.requests[0].filter.endsWith("|Alle Dateitypen|*.*"));
        }
        if (before == "<none>" && after == "<none>")
            QVERIFY(!QFileInfo::exists(StoreFile()));
    }

    // The desktop default taken on request: it replaces a stored program
    // that still exists (which LoadPdfReader would trust); without a usable
    // default the stored value stays.
    void useDesktopDefault_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("used");
        QTest::addColumn<QString>("after");
        QTest::newRow("replaces an existing program") << "v.desktop" << "viewer %f" << "bin/other viewer" << true
                                                      << "bin/viewer";
        QTest::newRow("options stay with it") << "v.desktop" << "viewer --fullscreen %u" << "<none>" << true
                                              << "bin/viewer --fullscreen";
        QTest::newRow("no default") << "" << "" << "bin/other viewer" << false << "bin/other viewer";
        QTest::newRow("PDFDummy") << "PdfDummy.desktop" << "viewer %f" << "<none>" << false << "<none>";
        QTest::newRow("program not installed") << "v.desktop" << "not-installed %f" << "bin/other viewer" << false
                                               << "bin/other viewer";
        QTest::newRow("unwritable store") << "v.desktop" << "viewer %f" << "<folder>" << false << "<none>";
    }
    void useDesktopDefault()
    {
        QFETCH(QString, id);
        QFETCH(QString, exec);
        QFETCH(QString, before);
        QFETCH(bool, used);
        QFETCH(QString, after);
        Registry reg = MakeRegistry();
        QVERIFY(Prepare(id, exec, before, reg));
        QCOMPARE(vv::UseAssociatedPdfProgram(reg), used);
        QCOMPARE(Stored(reg), InCase(after));
        QCOMPARE(vv::AssociatedPdfProgram(reg).status == vv::AssociatedProgram::Found, used || before == "<folder>");
    }

    // From the desktop's Exec line through the stored value to what the
    // start runs: options stay stored, the copy lands where the file belongs.
    void associationStarts_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("stored");      // bin/ = the case's program folder
        QTest::addColumn<QStringList>("started"); // program and arguments; COPY = the copy

        QTest::newRow("program with a blank")
            << "\"other viewer\" %f" << "bin/other viewer" << QStringList{"bin/other viewer", "COPY"};
        QTest::newRow("options before the file") << "viewer --fullscreen %u" << "bin/viewer --fullscreen"
                                                 << QStringList{"bin/viewer", "--fullscreen", "COPY"};
        QTest::newRow("Flatpak application")
            << "flatpak run --branch=stable --arch=x86_64 --command=evince --file-forwarding org.gnome.Evince @@ %U @@"
            << "bin/flatpak run --branch=stable --arch=x86_64 --command=evince --file-forwarding org.gnome.Evince "
               "@@ \"%1\" @@"
            << QStringList{"bin/flatpak", "run", "--branch=stable", "--arch=x86_64", "--command=evince",
                           "--file-forwarding", "org.gnome.Evince", "@@", "COPY", "@@"};
    }

    void associationStarts()
    {
        QFETCH(QString, exec);
        QFETCH(QString, stored);
        QFETCH(QStringList, started);
        vvtest::MakeProgram(Path("bin/flatpak"));
        Associate("v.desktop", exec);

        Registry reg = MakeRegistry();
        vvtest::FakeFileDialog dialog; // cancels, should it be asked
        QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
        QCOMPARE(Stored(reg), Path(stored));
        const QString copy = Path("temp/Mein Ordner/VV 1.pdf");
        for (QString &s : started)
            s = s == "COPY" ? copy : s.startsWith("bin/") ? Path(s) : s;
        QCOMPARE(vv::ProgramAndArguments(vv::SplitCommandLine(vv::BuildOpenCommandLine(Stored(reg), copy))), started);
    }
};

QTEST_GUILESS_MAIN(TestPdfReader)
#include "tst_pdfreader.moc"
