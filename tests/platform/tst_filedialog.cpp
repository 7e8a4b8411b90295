// The file dialog: what callers get back through the seam, and how the real
// dialog is set up (checked on the configured dialog, never shown).

#include "ComDlgDll.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

#include <QWidget>

using namespace vv;

namespace {

class FakeFileDialog : public FileDialogSeam {
public:
    QString ShowFileDialog(QWidget *owner, const QString &title, QString &folder, const QString &initialName,
                           const QString &filter, const QString &defaultExt, int mode) override
    {
        ++calls;
        seenOwner = owner;
        seen = {title, folder, initialName, filter, defaultExt, QString::number(mode)};
        if (!folderToSet.isNull())
            folder = folderToSet;
        return answer;
    }

    QString answer;
    QString folderToSet; // null = leave the folder alone
    int calls = 0;
    QWidget *seenOwner = nullptr;
    QStringList seen;
};

} // namespace

class TestFileDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void wrapper_data();
    void wrapper();
    void openPassesEverythingWithModeZero();

    void convertFilter_data();
    void convertFilter();
    void firstExtension_data();
    void firstExtension();
    void configure_data();
    void configure();
    void takeChosenFile_data();
    void takeChosenFile();

private:
    QTemporaryDir m_root;
};

void TestFileDialog::initTestCase()
{
    QVERIFY(m_root.isValid());
    vvtest::IsolateEnvironment(m_root.path());
}

void TestFileDialog::wrapper_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("folderToSet");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("folderAfter");

    QTest::newRow("chosen") << "x.pdf" << "/home/a/" << "x.pdf" << "/home/a/";
    QTest::newRow("chosen in root") << "x.pdf" << "/" << "x.pdf" << "/";
    QTest::newRow("separator added") << "x.pdf" << "/home/a" << "x.pdf" << "/home/a/";
    QTest::newRow("cancel keeps folder") << "" << QString() << "" << "/start/";
    QTest::newRow("cancel undoes a touched folder") << "" << "/anderswo/" << "" << "/start/";
}

void TestFileDialog::wrapper()
{
    QFETCH(QString, answer);
    QFETCH(QString, folderToSet);
    QFETCH(QString, result);
    QFETCH(QString, folderAfter);

    FakeFileDialog fake;
    fake.answer = answer;
    fake.folderToSet = folderToSet;
    QString folder = "/start/";
    QCOMPARE(ShowFileDialog(fake, nullptr, "Datei öffnen", folder, "", "Pdf-Dokumente|*.pdf", "pdf", 2), result);
    QCOMPARE(folder, folderAfter);
    QCOMPARE(fake.calls, 1);
    QCOMPARE(fake.seen.value(5), QString("2"));
}

void TestFileDialog::openPassesEverythingWithModeZero()
{
    FakeFileDialog fake;
    fake.answer = "Antrag.pdf";
    fake.folderToSet = "/srv/Formulare/";
    QWidget owner;
    QString folder = "/start";
    const QString name = OpenFileDialog(fake, &owner, "Datei öffnen", folder, "vorgabe.pdf",
                                        "Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*", "pdf");
    QCOMPARE(name, QString("Antrag.pdf"));
    QCOMPARE(folder + name, QString("/srv/Formulare/Antrag.pdf"));
    QCOMPARE(fake.seenOwner, &owner);
    QCOMPARE(fake.seen, (QStringList{"Datei öffnen", "/start", "vorgabe.pdf", "Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*",
                                     "pdf", "0"}));
}

void TestFileDialog::convertFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("documents") << "Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*"
                               << QStringList{"Pdf-Dokumente (*.pdf)", "Alle Dateitypen (*)"};
    QTest::newRow("pictures") << "Bilder|*.jpg; *.gif|Alle Dateitypen|*.*"
                              << QStringList{"Bilder (*.jpg *.gif)", "Alle Dateitypen (*)"};
    QTest::newRow("programs") << "Programme|*.exe; *.com; *.bat|Alle Dateitypen|*.*"
                              << QStringList{"Programme (*.exe *.com *.bat)", "Alle Dateitypen (*)"};
    QTest::newRow("order kept") << "B|*.b|A|*.a|C|*.c" << QStringList{"B (*.b)", "A (*.a)", "C (*.c)"};
    QTest::newRow("trailing separator") << "A|*.a|" << QStringList{"A (*.a)"};
    QTest::newRow("empty element ends the list") << "A|*.a||*.b|C|*.c" << QStringList{"A (*.a)"};
    QTest::newRow("description without patterns") << "A|*.a|B" << QStringList{"A (*.a)"};
    QTest::newRow("empty pattern between semicolons") << "A|*.a;;*.b" << QStringList{"A (*.a *.b)"};
    QTest::newRow("other star patterns kept") << "A|Muster*.pdf" << QStringList{"A (Muster*.pdf)"};
    QTest::newRow("empty") << "" << QStringList();
}

void TestFileDialog::convertFilter()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(ConvertFilter(filter), expected);
}

void TestFileDialog::firstExtension_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("list") << "jpg, gif" << "jpg";
    QTest::newRow("single") << "pdf" << "pdf";
    QTest::newRow("semicolons") << " gif;jpg" << "gif";
    QTest::newRow("pattern form") << "*.pdf" << "pdf";
    QTest::newRow("dot form") << ".exe" << "exe";
    QTest::newRow("empty") << "" << "";
}

void TestFileDialog::firstExtension()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(FirstExtension(input), expected);
}

void TestFileDialog::configure_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("acceptMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::addColumn<QString>("suffix");

    const int open = QFileDialog::AcceptOpen, save = QFileDialog::AcceptSave;
    const int existing = QFileDialog::ExistingFile, any = QFileDialog::AnyFile;
    QTest::newRow("open") << 0 << "forms" << open << existing << true << "";
    QTest::newRow("open in default folder") << 0 << "" << open << existing << true << "";
    QTest::newRow("save with prompt") << 1 << "forms" << save << any << true << "jpg";
    QTest::newRow("save without prompt") << 2 << "forms" << save << any << false << "jpg";
    QTest::newRow("other mode saves without prompt") << 7 << "forms" << save << any << false << "jpg";
}

void TestFileDialog::configure()
{
    QFETCH(int, mode);
    QFETCH(QString, folder);
    QFETCH(int, acceptMode);
    QFETCH(int, fileMode);
    QFETCH(bool, confirmOverwrite);
    QFETCH(QString, suffix);

    const QString forms = m_root.filePath("forms");
    QVERIFY(QDir().mkpath(forms));
    const QString start = folder.isEmpty() ? QString() : forms;
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ConfigureFileDialog(dialog, "Datei öffnen", start, "", "Bilder|*.jpg; *.gif|Alle Dateitypen|*.*", "jpg, gif", mode);

    QCOMPARE(dialog.windowTitle(), QString("Datei öffnen"));
    QCOMPARE(int(dialog.acceptMode()), acceptMode);
    QCOMPARE(int(dialog.fileMode()), fileMode);
    QCOMPARE(!dialog.testOption(QFileDialog::DontConfirmOverwrite), confirmOverwrite);
    QCOMPARE(dialog.defaultSuffix(), suffix);
    QCOMPARE(dialog.nameFilters(), (QStringList{"Bilder (*.jpg *.gif)", "Alle Dateitypen (*)"}));
    QCOMPARE(dialog.selectedNameFilter(), QString("Bilder (*.jpg *.gif)"));
    // An empty folder opens in the (isolated) home folder.
    QCOMPARE(dialog.directory().absolutePath(), folder.isEmpty() ? QDir::homePath() : forms);
}

void TestFileDialog::takeChosenFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");

    QTest::newRow("file") << "/srv/Vorlagen/Antrag.pdf" << "Antrag.pdf" << "/srv/Vorlagen/";
    QTest::newRow("root") << "/x.pdf" << "x.pdf" << "/";
    QTest::newRow("blanks and umlauts") << "/srv/Über uns/Ä b.pdf" << "Ä b.pdf" << "/srv/Über uns/";
    QTest::newRow("nothing chosen") << "" << "" << "/vorher/";
    QTest::newRow("folder chosen") << "/srv/Vorlagen/" << "" << "/vorher/";
}

void TestFileDialog::takeChosenFile()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QString current = "/vorher/";
    QCOMPARE(TakeChosenFile(path, current), name);
    QCOMPARE(current, folder);
}

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
