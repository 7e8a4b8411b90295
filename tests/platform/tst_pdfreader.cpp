// Finding, asking for and storing the PDF program.

#include "PdfReader.h"
#include "Registry.h"
#include "Seams.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using vv::Registry;
using vv::XdgFolders;

using vvtest::WriteAll;

using vvtest::MakeProgram;

namespace {

const QString kKey = QStringLiteral("Software\\Veltrano\\Ordinalis");

// Answers the file dialog from a script and records what it was asked.
class ScriptedFileDialog : public vv::FileDialogSeam {
public:
    struct Answer {
        QString name;   // "" = Cancel
        QString folder; // given back on a choice
    };
    struct Request {
        QString title, folder, initialName, filter, defaultExt;
        int mode = -1;
        bool busyPointer = false;
    };

    QString ShowFileDialog(QWidget *, const QString &title, QString &folder, const QString &initialName,
                           const QString &filter, const QString &defaultExt, int mode) override
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        requests.push_back({title, folder, initialName, filter, defaultExt, mode,
                            cursor && cursor->shape() == Qt::BusyCursor});
        if (answers.empty())
            return QString();
        const Answer a = answers.front();
        answers.pop_front();
        if (!a.name.isEmpty())
            folder = a.folder;
        return a.name;
    }

    std::deque<Answer> answers;
    std::vector<Request> requests;
};

} // namespace

class TestPdfReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void trimming_data();
    void trimming();
    void associationGivesTheProgram_data();
    void associationGivesTheProgram();
    void unusableAssociationAsks_data();
    void unusableAssociationAsks();
    void existingProgramIsTrusted();
    void vanishedProgramIsSearchedAgain();
    void noAssociationDoesNotAsk();
    void cancelKeepsTheStoredValue();
    void unwritableStoreStillFinds();
    void dialogAnswers_data();
    void dialogAnswers();
    void dialogRequest();

private:
    QString Path(const QString &rel) const { return m_work->path() + u'/' + rel; }
    QString StoreFile() const { return Path("home/.config/Veltrano/Ordinalis.conf"); }
    Registry MakeRegistry() const { return Registry(StoreFile(), {}, m_xdg); }
    // Installs a desktop file and makes it the PDF default.
    void Associate(const QString &id, const QString &exec);
    QString Stored(const Registry &reg) const;

    QTemporaryDir m_root;
    std::unique_ptr<QTemporaryDir> m_work;
    XdgFolders m_xdg;
};

void TestPdfReader::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
}

void TestPdfReader::init()
{
    m_work = std::make_unique<QTemporaryDir>(m_root.path() + "/case-XXXXXX");
    QVERIFY(m_work->isValid());
    m_xdg = XdgFolders();
    m_xdg.configHome = Path("home/.config");
    m_xdg.configDirs = QStringList{Path("etc-xdg")};
    m_xdg.dataHome = Path("home/.local/share");
    m_xdg.dataDirs = QStringList{Path("usr-share")};
    m_xdg.searchPath = QStringList{Path("bin")};
    MakeProgram(Path("bin/viewer"));
    MakeProgram(Path("bin/other viewer"));
    QVERIFY(QDir::setCurrent(m_work->path()));
}

void TestPdfReader::Associate(const QString &id, const QString &exec)
{
    WriteAll(Path("usr-share/applications/" + id),
              ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n").toUtf8());
    WriteAll(Path("home/.config/mimeapps.list"), ("[Default Applications]\napplication/pdf=" + id + "\n").toUtf8());
}

QString TestPdfReader::Stored(const Registry &reg) const
{
    QString v = "<none>";
    reg.ReadRegistryValue(kKey, "PdfEditor", v);
    return v;
}

void TestPdfReader::trimming_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program");

    QTest::newRow("quoted program, quoted %1")
        << "\"C:\\Programme\\Leser\\Leser.exe\" \"%1\"" << "C:\\Programme\\Leser\\Leser.exe";
    QTest::newRow("unquoted program, unquoted %1") << "C:\\Leser\\Leser.exe %1" << "C:\\Leser\\Leser.exe";
    QTest::newRow("quoted program, unquoted %1") << "\"C:\\Leser.exe\" %1" << "C:\\Leser.exe";
    QTest::newRow("unquoted program, quoted %1") << "/usr/bin/viewer \"%1\"" << "/usr/bin/viewer";
    QTest::newRow("middle arguments stay")
        << "\"C:\\Leser.exe\" /s /o \"%1\"" << "C:\\Leser.exe\" /s /o";
    QTest::newRow("middle arguments of a linux command")
        << "/usr/bin/flatpak run org.x.Viewer \"%1\"" << "/usr/bin/flatpak run org.x.Viewer";
    QTest::newRow("no %1, quoted") << "\"C:\\Leser.exe\"" << "C:\\Leser.exe";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("quoted %1 right after the program") << "x\"%1\"" << "";
    QTest::newRow("only a quoted %1 is too short to cut") << "\"%1\"" << "%1";
    QTest::newRow("only %1 is too short to cut") << "%1" << "%1";
    QTest::newRow("a blank after %1 stops the cut") << "\"C:\\a b\\v.exe\" \"%1\" " << "C:\\a b\\v.exe\" \"%1\" ";
    QTest::newRow("%2 is not cut") << "viewer \"%2\"" << "viewer \"%2";
    QTest::newRow("%1 inside an argument") << "viewer --file=%1" << "viewer --file";
}

void TestPdfReader::trimming()
{
    QFETCH(QString, command);
    QFETCH(QString, program);
    QCOMPARE(vv::TrimOpenCommand(command), program);
}

void TestPdfReader::associationGivesTheProgram_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("program"); // relative to the case folder

    QTest::newRow("program on PATH") << "org.example.Viewer.desktop" << "viewer %U" << "bin/viewer";
    QTest::newRow("program with a blank")
        << "org.example.Other.desktop" << "\"other viewer\" %f" << "bin/other viewer";
    QTest::newRow("no field code") << "v.desktop" << "viewer" << "bin/viewer";
    QTest::newRow("middle arguments kept")
        << "v.desktop" << "viewer --fullscreen %u" << "bin/viewer --fullscreen";
}

void TestPdfReader::associationGivesTheProgram()
{
    QFETCH(QString, id);
    QFETCH(QString, exec);
    QFETCH(QString, program);

    Associate(id, exec);
    Registry reg = MakeRegistry();
    ScriptedFileDialog dialog;
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
    QCOMPARE(Stored(reg), Path(program));
    QCOMPARE(dialog.requests.size(), size_t(0));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestPdfReader::unusableAssociationAsks_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("exec");

    QTest::newRow("PDFDummy") << "PDFDummy.desktop" << "viewer %f";
    QTest::newRow("pdfdummy in lower case") << "pdfdummy.desktop" << "viewer %f";
    QTest::newRow("PdfDummy inside the name") << "org.AcroPdfDUMMY.Reader.desktop" << "viewer %f";
    QTest::newRow("program missing") << "v.desktop" << "not-installed %f";
    QTest::newRow("odd quoting") << "v.desktop" << "viewer \"%f";
    QTest::newRow("no Exec line") << "v.desktop" << "";
}

void TestPdfReader::unusableAssociationAsks()
{
    QFETCH(QString, id);
    QFETCH(QString, exec);

    Associate(id, exec);
    Registry reg = MakeRegistry();
    ScriptedFileDialog dialog;
    dialog.answers.push_back({"chosen", "/opt/leser/"});
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
    QCOMPARE(dialog.requests.size(), size_t(1));
    QVERIFY2(dialog.requests.front().busyPointer, "the busy pointer stays up across the dialog");
    QCOMPARE(Stored(reg), QString("/opt/leser/chosen"));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestPdfReader::existingProgramIsTrusted()
{
    // The association would give another program; it must not be looked at.
    Associate("v.desktop", "viewer %f");
    Registry reg = MakeRegistry();
    const QString mine = Path("bin/other viewer");
    QVERIFY(reg.WriteRegistryValue(kKey, "PdfEditor", mine));

    ScriptedFileDialog dialog;
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
    QCOMPARE(Stored(reg), mine);
    QCOMPARE(dialog.requests.size(), size_t(0));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestPdfReader::vanishedProgramIsSearchedAgain()
{
    Associate("v.desktop", "viewer %f");
    Registry reg = MakeRegistry();
    QVERIFY(reg.WriteRegistryValue(kKey, "PdfEditor", Path("bin/removed-viewer")));

    ScriptedFileDialog dialog;
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
    QCOMPARE(Stored(reg), Path("bin/viewer"));
    QCOMPARE(dialog.requests.size(), size_t(0));
}

void TestPdfReader::noAssociationDoesNotAsk()
{
    Registry reg = MakeRegistry();
    ScriptedFileDialog dialog;
    dialog.answers.push_back({"chosen", "/opt/leser/"});
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 0);
    QCOMPARE(dialog.requests.size(), size_t(0));
    QCOMPARE(Stored(reg), QString("<none>"));
    QVERIFY(!QFileInfo::exists(StoreFile()));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestPdfReader::cancelKeepsTheStoredValue()
{
    Associate("PDFDummy.desktop", "viewer %f");
    Registry reg = MakeRegistry();
    const QString stale = Path("bin/deinstalliert");
    QVERIFY(reg.WriteRegistryValue(kKey, "PdfEditor", stale));

    ScriptedFileDialog dialog;
    dialog.answers.push_back({"", "/nicht/benutzt/"});
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 0);
    QCOMPARE(dialog.requests.size(), size_t(1));
    QCOMPARE(Stored(reg), stale);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestPdfReader::unwritableStoreStillFinds()
{
    // A folder in the store's place makes every write fail, whatever our rights.
    Associate("v.desktop", "viewer %f");
    QVERIFY(QDir().mkpath(StoreFile()));

    Registry reg = MakeRegistry();
    ScriptedFileDialog dialog;
    QCOMPARE(vv::LoadPdfReader(reg, dialog, nullptr), 1);
    QCOMPARE(Stored(reg), QString("<none>"));
    QCOMPARE(dialog.requests.size(), size_t(0));
}

void TestPdfReader::dialogAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder"); // the dialog's folder after the call
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("stored");

    QTest::newRow("folder with separator") << "viewer" << "/usr/bin/" << 1 << "/usr/bin/viewer";
    QTest::newRow("separator added") << "viewer" << "/usr/bin" << 1 << "/usr/bin/viewer";
    QTest::newRow("umlauts and blanks")
        << QString::fromUtf8("Lesegerät 2") << QString::fromUtf8("/opt/Büro Programme/") << 1
        << QString::fromUtf8("/opt/Büro Programme/Lesegerät 2");
    QTest::newRow("exactly five characters") << "c" << "/ab/" << 1 << "/ab/c";
    QTest::newRow("four characters are too short") << "c" << "/a/" << 0 << "<none>";
    QTest::newRow("cancel") << "" << "/usr/bin/" << 0 << "<none>";
}

void TestPdfReader::dialogAnswers()
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
}

void TestPdfReader::dialogRequest()
{
    Registry reg = MakeRegistry();
    ScriptedFileDialog dialog;
    vv::GetPdfReader(reg, dialog, nullptr);
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

QTEST_MAIN(TestPdfReader)
#include "tst_pdfreader.moc"
