// Path splitting, existence tests, temporary files, the copy, and the file
// dialog (through a fake seam; the real dialog is only configured, never shown).

#include "ComDlgDll.h"
#include "FileDialog.h"
#include "FileServices.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vv;
using vvtest::WriteAll;

namespace {

// Unlike vvtest::ReadAll, tells a missing or unreadable file from an empty one.
QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

class FakeFileDialog : public FileDialogSeam {
public:
    QString ShowFileDialog(QWidget *owner, const QString &title, QString &folder, const QString &initialName,
                           const QString &filter, const QString &defaultExt, int mode) override
    {
        seenOwner = owner;
        seen = QStringList{title, folder, initialName, filter, defaultExt, QString::number(mode)};
        if (!folderToSet.isNull())
            folder = folderToSet;
        return answer;
    }
    QString answer, folderToSet;
    QWidget *seenOwner = nullptr;
    QStringList seen;
};

} // namespace

class TestFileServices : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_fx;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        vvtest::IsolateEnvironment(m_root.path());
        m_fx = m_root.filePath("fixture");
        for (const char *f : {"pdfs/Antrag.pdf", "pdfs/Vollmacht [alt].pdf", "pdfs/LIESMICH",
                              "hidden/.versteckt.pdf", "noext/Makefile", "sub/inner/tief.pdf", "bilder/Antrag.JPG",
                              "bilder/Ärger.pdf", "Vorlagen/Steuern/Satzung.PDF", "beide/Brief.pdf",
                              "beide/brief.pdf", "beide/BRIEF.PDF"})
            WriteAll(m_fx + '/' + f, "x");
        QVERIFY(QDir().mkpath(m_fx + "/empty"));
        QVERIFY(QFile::link(m_fx + "/nirgends", m_fx + "/tot"));
    }

    // Stored Windows paths and a path the dialog hands back: the name and its folder.
    void splitPath_data()
    {
        QTest::addColumn<bool>("chosen"); // TakeChosenFile with folder "/vorher/", else GetFileName/GetFilePath
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("windows path") << false << "C:\\a\\b.pdf" << "b.pdf" << "C:\\a\\";
        QTest::newRow("bare name") << false << "b.pdf" << "b.pdf" << "";
        QTest::newRow("folder only") << false << "C:\\a\\" << "" << "C:\\a\\";
        QTest::newRow("slash after backslash") << false << "\\Vorlagen\\Kat/An trag.pdf" << "An trag.pdf" << "\\Vorlagen\\Kat/";
        QTest::newRow("backslash after slash") << false << "/srv/Über\\Antrag.pdf" << "Antrag.pdf" << "/srv/Über\\";
        QTest::newRow("root file") << false << "/x.pdf" << "x.pdf" << "/";
        QTest::newRow("empty") << false << "" << "" << "";
        QTest::newRow("chosen file") << true << "/srv/Über uns/Ä b.pdf" << "Ä b.pdf" << "/srv/Über uns/";
        QTest::newRow("chosen in root") << true << "/x.pdf" << "x.pdf" << "/";
        QTest::newRow("nothing chosen") << true << "" << "" << "/vorher/";
        QTest::newRow("folder chosen") << true << "/srv/Vorlagen/" << "" << "/vorher/";
    }

    void splitPath()
    {
        QFETCH(bool, chosen);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QString current = "/vorher/";
        QCOMPARE(chosen ? TakeChosenFile(path, current) : GetFileName(path), name);
        QCOMPARE(chosen ? current : GetFilePath(path), folder);
    }

    void fileExists_data()
    {
        QTest::addColumn<QString>("relative"); // null = the empty path
        QTest::addColumn<bool>("file"); // FileExists
        // DiskSpelling, "" = nothing; PathExists with it: no wildcards, a trailing "/" is fine
        QTest::addColumn<QString>("real");
        QTest::newRow("one pdf among others") << "pdfs/*.pdf" << true << "";
        QTest::newRow("empty folder") << "empty/*.pdf" << false << "";
        QTest::newRow("star in empty folder") << "empty/*" << false << "";
        QTest::newRow("wildcard ignores case of umlauts") << "bilder/ä*" << true << "";
        QTest::newRow("wildcard below a folder in other case") << "VORLAGEN/steuern/s*.pdf" << true << "";
        QTest::newRow("question mark is one char") << "pdfs/Antra?.pdf" << true << "";
        QTest::newRow("question mark is not zero chars") << "pdfs/Antrag?.pdf" << false << "";
        QTest::newRow("anchored at end") << "pdfs/*.pd" << false << "";
        QTest::newRow("anchored at start") << "pdfs/ntrag*" << false << "";
        QTest::newRow("brackets are literal") << "pdfs/*[alt].pdf" << true << "";
        QTest::newRow("star dot star finds names without dot") << "noext/*.*" << true << "";
        QTest::newRow("hidden names count") << "hidden/*.pdf" << true << "";
        QTest::newRow("no recursion") << "sub/*.pdf" << false << "";
        QTest::newRow("file") << "pdfs/Antrag.pdf" << true << "pdfs/Antrag.pdf";
        QTest::newRow("folder without separator") << "pdfs" << true << "pdfs";
        QTest::newRow("folder with separator") << "pdfs/" << false << "pdfs/";
        QTest::newRow("name in other case") << "pdfs/antrag.pdf" << true << "pdfs/Antrag.pdf";
        QTest::newRow("folders in other case") << "vorlagen/steuern/Satzung.pdf" << true << "Vorlagen/Steuern/Satzung.PDF";
        QTest::newRow("folder in other case with separator") << "vorlagen/STEUERN/" << false << "Vorlagen/Steuern/";
        QTest::newRow("exact name wins") << "beide/Brief.pdf" << true << "beide/Brief.pdf";
        QTest::newRow("no exact name: first in code-point order") << "beide/bRIEF.pdf" << true << "beide/BRIEF.PDF";
        QTest::newRow("other case, still missing") << "BILDER/antrag.png" << false << "";
        QTest::newRow("file in other case with separator") << "PDFS/ANTRAG.PDF/" << false << "";
        QTest::newRow("below a file") << "pdfs/Antrag.pdf/x" << false << "";
        QTest::newRow("missing folder") << "fehlt/*.pdf" << false << "";
        QTest::newRow("backslash is no separator") << "pdfs\\*.pdf" << false << "";
        QTest::newRow("dangling link is an entry") << "tot" << true << "tot";
        QTest::newRow("dangling link in other case") << "TOT" << true << "tot";
        QTest::newRow("empty path") << QString() << false << "";
    }

    void fileExists()
    {
        QFETCH(QString, relative);
        QFETCH(bool, file);
        QFETCH(QString, real);
        const QString full = relative.isNull() ? QString() : m_fx + '/' + relative;
        QCOMPARE(FileExists(full), file);
        QCOMPARE(PathExists(full), !real.isEmpty());
        QCOMPARE(DiskSpelling(full), real.isEmpty() ? QString() : m_fx + '/' + real);
    }

    // One pass over a folder: the files it keeps by suffix, and finding one
    // again in any letter case as DiskSpelling would, without a second pass.
    void listFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // "" none
        const QString list = "liste";
        QTest::newRow("exact") << list << "Antrag.jpg" << "Antrag.jpg";
        QTest::newRow("other case, no easy guess") << list << "aNTRAG.jpg" << "Antrag.jpg";
        QTest::newRow("umlaut in capitals") << list << "ärger.gif" << "ÄRGER.GIF";
        QTest::newRow("three-byte letter in other case") << list << "ⓐ.JPG" << "Ⓐ.jpg";
        QTest::newRow("missing in every case") << list << "Antrag.gif" << "";
        QTest::newRow("folder is no picture") << list << "ordner.jpg" << "";
        QTest::newRow("several spellings: first in code-point order") << "beide" << "bRIEF.pdf" << "BRIEF.PDF";
    }

    void listFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, found);
        const QString list = m_fx + "/liste";
        for (const char *f : {"Antrag.pdf", "BRIEF.PDF", ".versteckt.pdf", "Notiz.txt", "Antrag.jpg", "ÄRGER.GIF",
                              "Ⓐ.jpg", "Ordner.pdf/x", "Ordner.jpg/x"})
            WriteAll(list + '/' + QString::fromUtf8(f), "x");
        QFile::link(list + "/Antrag.pdf", list + "/Verweis.pdf");
        QFile::link(list + "/fehlt.pdf", list + "/Tot.pdf");

        const FolderListing listing = ListFolder(m_fx + '/' + folder, {".pdf"}, {".jpg", ".gif", ".pdf"});
        QCOMPARE(listing.find(name), found.isEmpty() ? QString() : m_fx + '/' + folder + '/' + found);
        if (folder != list.section('/', -1))
            return;
        QStringList names = listing.names;
        names.sort();
        QCOMPARE(names, (QStringList{".versteckt.pdf", "Antrag.pdf", "BRIEF.PDF", "Verweis.pdf"}));
    }

    void tempFile_data()
    {
        QTest::addColumn<QString>("temp"); // below the root; null = unset
        QTest::addColumn<QString>("expectedFolder"); // "" = no file
        QTest::newRow("temp set") << "eigenes" << "eigenes";
        QTest::newRow("temp unset uses TMPDIR") << QString() << "tmp";
        QTest::newRow("temp empty uses TMPDIR") << "" << "tmp";
        QTest::newRow("temp folder missing") << "fehlt" << "";
    }

    void tempFile()
    {
        QFETCH(QString, temp);
        QFETCH(QString, expectedFolder);
        const QByteArray saved = qgetenv("temp");
        QVERIFY(QDir(m_root.path()).mkpath("eigenes"));
        if (temp.isNull())
            qunsetenv("temp");
        else
            qputenv("temp", temp.isEmpty() ? QByteArray() : QFile::encodeName(m_root.filePath(temp)));
        const QString first = GetTempFile(), second = GetTempFile();
        qputenv("temp", saved);

        if (expectedFolder.isEmpty()) {
            QCOMPARE(first, QString());
            QVERIFY(!QFileInfo::exists(m_root.filePath(temp)));
            return;
        }
        QVERIFY(first != second);
        static const QRegularExpression windowsName(QStringLiteral("^[0-9A-F]{4}\\.tmp$"));
        for (const QString &path : {first, second}) {
            const QFileInfo info(path);
            QVERIFY2(info.isFile() && info.size() == 0, qPrintable(path));
            QCOMPARE(info.absolutePath(), m_root.filePath(expectedFolder));
            QVERIFY2(windowsName.match(info.fileName()).hasMatch(), qPrintable(path));
        }
    }

    void tempFileNumbers_data()
    {
        QTest::addColumn<QStringList>("taken"); // a trailing "/" makes a folder
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << QStringList() << 0x1A2B << "1A2B.tmp";
        QTest::newRow("run of taken names") << QStringList{"00FF.tmp", "0100.tmp/"} << 0xFF << "0101.tmp";
        QTest::newRow("wraps past FFFF, skips 0000") << QStringList{"FFFF.tmp"} << 0xFFFF << "0001.tmp";
        QTest::newRow("zero is no number") << QStringList() << 0 << "0001.tmp";
    }

    void tempFileNumbers()
    {
        QFETCH(QStringList, taken);
        QFETCH(int, start);
        QFETCH(QString, expected);
        QTemporaryDir dir(m_root.filePath("numbers-XXXXXX"));
        for (const QString &name : taken) {
            if (name.endsWith('/'))
                QVERIFY(QDir(dir.path()).mkdir(name.chopped(1)));
            else
                WriteAll(dir.filePath(name), "belegt");
        }
        const QString path = CreateTempFileIn(dir.path(), quint16(start));
        QCOMPARE(path, dir.filePath(expected));
        QCOMPARE(QFileInfo(path).size(), 0);
        if (!taken.isEmpty() && !taken.first().endsWith('/'))
            QCOMPARE(ReadBytes(dir.filePath(taken.first())), QByteArray("belegt"));
    }

    void copy_data()
    {
        QTest::addColumn<QByteArray>("source"); // "<none>" = missing
        // "<none>" = missing, "<dir>" = a folder, "<ro>" = read-only "alt", "<link>" = link to "alt" elsewhere
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("after");
        const QByteArray binary("%PDF\0\r\n\xE4\0", 9);
        QTest::newRow("new target") << QByteArray("Inhalt") << QByteArray("<none>") << true << QByteArray("Inhalt");
        QTest::newRow("longer target cut") << QByteArray("kurz") << QByteArray("langer alter Inhalt") << true << QByteArray("kurz");
        QTest::newRow("binary content") << binary << QByteArray("alt") << true << binary;
        QTest::newRow("missing source keeps target") << QByteArray("<none>") << QByteArray("alt") << false << QByteArray("alt");
        QTest::newRow("missing source makes nothing") << QByteArray("<none>") << QByteArray("<none>") << false << QByteArray("<none>");
        QTest::newRow("read-only target kept") << QByteArray("neu") << QByteArray("<ro>") << false << QByteArray("alt");
        QTest::newRow("target is a folder") << QByteArray("neu") << QByteArray("<dir>") << false << QByteArray("<none>");
        QTest::newRow("written through a link") << QByteArray("neu") << QByteArray("<link>") << true << QByteArray("neu");
    }

    void copy()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, target);
        QFETCH(bool, ok);
        QFETCH(QByteArray, after);
        QTemporaryDir dir(m_root.filePath("copy-XXXXXX"));
        const QString from = dir.filePath("Quelle Ä.pdf"), to = dir.filePath("Ziel/Ziel Ü.pdf");
        const QString real = target == "<link>" ? dir.filePath("echt") : to;
        const bool existed = target != "<none>" && target != "<dir>";
        const auto mode = target == "<ro>" ? QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                           : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QDir(dir.path()).mkdir("Ziel"));
        if (source != "<none>")
            WriteAll(from, source);
        if (target == "<dir>")
            QVERIFY(QDir().mkdir(to));
        if (existed) {
            WriteAll(real, target.startsWith('<') ? QByteArray("alt") : target);
            QVERIFY(QFile::setPermissions(real, mode));
        }
        if (target == "<link>")
            QVERIFY(QFile::link("../echt", to));

        QString error;
        QCOMPARE(CopyFileOverwrite(from, to, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
        QCOMPARE(ReadBytes(real), after);
        QCOMPARE(QFileInfo(to).isSymLink(), target == "<link>");
        if (existed)
            QCOMPARE(QFileInfo(real).permissions() & 0x7077, QFileDevice::Permissions(mode) & 0x7077);
        // Nothing half-written stays beside the target.
        const bool present = ok || (target != "<none>");
        QCOMPARE(QDir(dir.filePath("Ziel")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 present ? QStringList{"Ziel Ü.pdf"} : QStringList());
        QVERIFY(!CopyFileOverwrite(from, dir.filePath("fehlt/x.pdf")));
    }

    void dialogResult_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("folderToSet"); // null = the seam leaves it
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("folderAfter");
        QTest::newRow("chosen") << "x.pdf" << "/home/a/" << "x.pdf" << "/home/a/";
        QTest::newRow("separator added") << "x.pdf" << "/home/a" << "x.pdf" << "/home/a/";
        QTest::newRow("cancel keeps folder") << "" << QString() << "" << "/start";
        QTest::newRow("cancel undoes a touched folder") << "" << "/anderswo/" << "" << "/start";
    }

    void dialogResult()
    {
        QFETCH(QString, answer);
        QFETCH(QString, folderToSet);
        QFETCH(QString, result);
        QFETCH(QString, folderAfter);
        FakeFileDialog fake;
        fake.answer = answer;
        fake.folderToSet = folderToSet;
        QWidget owner;
        QString folder = "/start";
        QCOMPARE(OpenFileDialog(fake, &owner, "Datei öffnen", folder, "v.pdf", "Pdf-Dokumente|*.pdf", "pdf"), result);
        QCOMPARE(folder, folderAfter);
        QCOMPARE(fake.seenOwner, &owner);
        QCOMPARE(fake.seen, (QStringList{"Datei öffnen", "/start", "v.pdf", "Pdf-Dokumente|*.pdf", "pdf", "0"}));
    }

    void convertFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("documents") << "Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*"
                                   << QStringList{"Pdf-Dokumente (*.pdf)", "Alle Dateitypen (*)"};
        QTest::newRow("programs") << "Programme|*.exe; *.com; *.bat|Alle Dateitypen|*.*"
                                  << QStringList{"Programme (*.exe *.com *.bat)", "Alle Dateitypen (*)"};
        QTest::newRow("empty element ends the list") << "A|*.a||*.b|C|*.c" << QStringList{"A (*.a)"};
        QTest::newRow("description without patterns") << "A|*.a;;Muster*|B" << QStringList{"A (*.a Muster*)"};
        QTest::newRow("empty") << "" << QStringList();
    }

    void convertFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(ConvertFilter(filter), expected);
    }

    void configureDialog_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("folder"); // below the root; "" = none given
        QTest::addColumn<QString>("defaultExt");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("confirmOverwrite");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("open ignores the extension") << 0 << "forms" << "jpg, gif" << true << true << "";
        QTest::newRow("save with prompt, home folder") << 1 << "" << "jpg, gif" << false << true << "jpg";
        QTest::newRow("save without prompt") << 2 << "forms" << "*.pdf" << false << false << "pdf";
        QTest::newRow("other mode saves without prompt") << 7 << "forms" << ".exe" << false << false << "exe";
    }

    void configureDialog()
    {
        QFETCH(int, mode);
        QFETCH(QString, folder);
        QFETCH(QString, defaultExt);
        QFETCH(bool, open);
        QFETCH(bool, confirmOverwrite);
        QFETCH(QString, suffix);
        const QString start = folder.isEmpty() ? QString() : m_root.filePath(folder);
        QVERIFY(QDir().mkpath(m_root.filePath("forms")));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        ConfigureFileDialog(dialog, "Datei öffnen", start, "", "Bilder|*.jpg; *.gif|Alle Dateitypen|*.*", defaultExt, mode);
        QCOMPARE(dialog.acceptMode(), open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        QCOMPARE(dialog.fileMode(), open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        QCOMPARE(!dialog.testOption(QFileDialog::DontConfirmOverwrite), confirmOverwrite);
        QCOMPARE(dialog.defaultSuffix(), suffix);
        QCOMPARE(dialog.selectedNameFilter(), QString("Bilder (*.jpg *.gif)"));
        // No folder given: the (isolated) home folder.
        QCOMPARE(dialog.directory().absolutePath(), start.isEmpty() ? QDir::homePath() : start);
    }
};

QTEST_MAIN(TestFileServices)
#include "tst_fileservices.moc"
