// Finding, asking for and storing the PDF program.

#include "PdfReader.h"
#include "Registry.h"
#include "Seams.h"
#include "TestSupport.h"
#include "WebSupports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using vv::Registry;
using vvtest::WriteAll;

namespace {

const QString kKey = QStringLiteral("Software\\Veltrano\\Ordinalis");

// Answers the file dialog from a script and records what it was asked.
class ScriptedFileDialog : public vv::FileDialogSeam {
public:
    struct Request {
        QString title, folder, initialName, filter, defaultExt;
        int mode = -1;
    };

    QString ShowFileDialog(QWidget *, const QString &title, QString &folder, const QString &initialName,
                           const QString &filter, const QString &defaultExt, int mode) override
    {
        requests.push_back({title, folder, initialName, filter, defaultExt, mode});
        if (answers.empty())
            return QString();
        const auto [name, chosenFolder] = answers.front(); // name "" = Cancel
        answers.pop_front();
        if (!name.isEmpty())
            folder = chosenFolder;
        return name;
    }

    std::deque<std::pair<QString, QString>> answers;
    std::vector<Request> requests;
};

} // namespace

class TestPdfReader : public QObject {
    Q_OBJECT

    QString Path(const QString &rel) const { return m_work->path() + u'/' + rel; }
    QString StoreFile() const { return Path("home/.config/Veltrano/Ordinalis.conf"); }
    Registry MakeRegistry() const { return Registry(StoreFile(), {}, m_xdg); }
    QString Stored(const Registry &reg) const
    {
        QString v = "<none>";
        reg.ReadRegistryValue(kKey, "PdfEditor", v);
        return v;
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
        QTest::newRow("unquoted program, unquoted %1") << "C:\\Leser\\Leser.exe %1" << "C:\\Leser\\Leser.exe";
        QTest::newRow("quoted program, unquoted %1") << "\"C:\\Leser.exe\" %1" << "C:\\Leser.exe";
        QTest::newRow("unquoted program, quoted %1") << "/usr/bin/viewer \"%1\"" << "/usr/bin/viewer";
        QTest::newRow("middle arguments stay") << "\"C:\\Leser.exe\" /s /o \"%1\"" << "C:\\Leser.exe\" /s /o";
        QTest::newRow("no %1, quoted") << "\"C:\\Leser.exe\"" << "C:\\Leser.exe";
        QTest::newRow("no %1, unquoted") << "/usr/bin/viewer" << "/usr/bin/viewer";
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
        QTest::addColumn<QString>("answer"); // of the dialog, in /opt/leser/; "" = Cancel
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("after");

        const QString chosen = "/opt/leser/chosen";
        QTest::newRow("association: program on PATH")
            << "<none>" << "org.example.Viewer.desktop" << "viewer %U" << "chosen" << 1 << false << "bin/viewer";
        QTest::newRow("PDFDummy asks") << "<none>" << "PDFDummy.desktop" << "viewer %f" << "chosen" << 1 << true
                                       << chosen;
        QTest::newRow("pdfdummy in lower case asks")
            << "<none>" << "pdfdummy.desktop" << "viewer %f" << "chosen" << 1 << true << chosen;
        QTest::newRow("PdfDummy inside the name asks")
            << "<none>" << "org.AcroPdfDUMMY.Reader.desktop" << "viewer %f" << "chosen" << 1 << true << chosen;
        QTest::newRow("program missing asks")
            << "<none>" << "v.desktop" << "not-installed %f" << "chosen" << 1 << true << chosen;
        QTest::newRow("odd quoting asks") << "<none>" << "v.desktop" << "viewer \"%f" << "chosen" << 1 << true << chosen;
        QTest::newRow("no Exec line asks") << "<none>" << "v.desktop" << "" << "chosen" << 1 << true << chosen;
        QTest::newRow("cancel keeps the stored value")
            << "bin/deinstalliert" << "PDFDummy.desktop" << "viewer %f" << "" << 0 << true << "bin/deinstalliert";
        // The association would give another program; it must not be looked at.
        QTest::newRow("existing program is trusted")
            << "bin/other viewer" << "v.desktop" << "viewer %f" << "chosen" << 1 << false << "bin/other viewer";
        QTest::newRow("vanished program is searched again")
            << "bin/removed-viewer" << "v.desktop" << "viewer %f" << "chosen" << 1 << false << "bin/viewer";
        QTest::newRow("no association does not ask") << "<none>" << "" << "" << "chosen" << 0 << false << "<none>";
        QTest::newRow("unwritable store still finds")
            << "<folder>" << "v.desktop" << "viewer %f" << "chosen" << 1 << false << "<none>";
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

        auto inCase = [this](const QString &p) { return p.startsWith("bin/") ? Path(p) : p; };
        if (!id.isEmpty()) {
            WriteAll(Path("usr-share/applications/" + id),
                     ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n").toUtf8());
            WriteAll(Path("home/.config/mimeapps.list"), ("[Default Applications]\napplication/pdf=" + id + "\n").toUtf8());
        }
        Registry reg = MakeRegistry();
        if (before == "<folder>")
            QVERIFY(QDir().mkpath(StoreFile()));
        else if (before != "<none>")
            QVERIFY(reg.WriteRegistryValue(kKey, "PdfEditor", inCase(before)));

        ScriptedFileDialog dialog;
        dialog.answers.push_back({answer, "/opt/leser/"});
        QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), result);
        QCOMPARE(dialog.requests.size(), size_t(asked ? 1 : 0));
        QCOMPARE(Stored(reg), inCase(after));
        if (before == "<none>" && after == "<none>")
            QVERIFY(!QFileInfo::exists(StoreFile()));
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
        WriteAll(Path("usr-share/applications/v.desktop"),
                 ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n").toUtf8());
        WriteAll(Path("home/.config/mimeapps.list"), "[Default Applications]\napplication/pdf=v.desktop\n");

        Registry reg = MakeRegistry();
        ScriptedFileDialog dialog;
        QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
        QCOMPARE(Stored(reg), Path(stored));
        const QString copy = Path("temp/Mein Ordner/VV 1.pdf");
        for (QString &s : started)
            s = s == "COPY" ? copy : s.startsWith("bin/") ? Path(s) : s;
        QCOMPARE(vv::ProgramAndArguments(vv::SplitCommandLine(vv::BuildOpenCommandLine(Stored(reg), copy))), started);
    }

    void dialogAnswers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder"); // the dialog's folder after the call
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("stored");

        QTest::newRow("folder with separator") << "viewer" << "/usr/bin/" << 1 << "/usr/bin/viewer";
        QTest::newRow("separator added") << "viewer" << "/usr/bin" << 1 << "/usr/bin/viewer";
        QTest::newRow("umlauts and blanks") << QString::fromUtf8("Lesegerät 2") << QString::fromUtf8("/opt/Büro Programme/")
                                            << 1 << QString::fromUtf8("/opt/Büro Programme/Lesegerät 2");
        QTest::newRow("exactly five characters") << "c" << "/ab/" << 1 << "/ab/c";
        QTest::newRow("four characters are too short") << "c" << "/a/" << 0 << "<none>";
        QTest::newRow("cancel") << "" << "/usr/bin/" << 0 << "<none>";
    }

    void dialogAnswers()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(int, result);
        QFETCH(QString, stored);

        Registry reg = MakeRegistry();
        ScriptedFileDialog dialog;
        dialog.answers.push_back({name, folder});
        QCOMPARE(vv::GetPdfReader(reg, dialog, nullptr), result);
        QCOMPARE(Stored(reg), stored);

        QCOMPARE(dialog.requests.size(), size_t(1));
        const auto &r = dialog.requests.front();
        QCOMPARE(r.title, QString::fromUtf8("Datei öffnen"));
        QCOMPARE(r.folder, QDir::currentPath());
        QCOMPARE(r.initialName, QString());
        QCOMPARE(r.defaultExt, QString("exe"));
        QCOMPARE(r.mode, 0);
        const QStringList parts = r.filter.split(u'|');
        QCOMPARE(parts.size() % 2, 0);
        QVERIFY(parts.size() >= 6);
        QCOMPARE(parts.mid(0, 2), (QStringList{"Programme", "*.exe; *.com; *.bat"}));
        QCOMPARE(parts.mid(parts.size() - 2), (QStringList{"Alle Dateitypen", "*.*"}));
    }
};

QTEST_GUILESS_MAIN(TestPdfReader)
#include "tst_pdfreader.moc"
