// The library model on a temporary installation, without any window: what
// each operation leaves in the files and folders.

#include "Favourites.h"
#include "IniFiles.h"
#include "Library.h"
#include "RecycleKillFiles.h"
#include "Registry.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace vvtest;

namespace {

// "key=value" of every key that holds a value: "01".."12" in the user
// file's sections, "0".."12" in the favourites file's.
QStringList Entries(const QString &file, const QString &section)
{
    const bool twoDigits = section == "CAT" || section == "DIR";
    QStringList out;
    for (int n = 0; n <= 12; ++n) {
        const QString key = twoDigits ? QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')) : QString::number(n);
        const QString v = vv::ReadIniValue(file, section, key);
        if (!v.isEmpty())
            out << key + "=" + v;
    }
    return out;
}

// Sections and keys written in the order given: "SECTION/key=value".
void WriteIni(const QString &file, const QStringList &entries)
{
    for (const QString &e : entries) {
        const qsizetype slash = e.indexOf('/'), eq = e.indexOf('=');
        QVERIFY(vv::WriteIniValue(file, e.left(slash), e.mid(slash + 1, eq - slash - 1), e.mid(eq + 1)));
    }
}

// The order the documents must come in: as the German collator compares,
// the same name in other letter case in a fixed order.
void SortAsCollator(QStringList &names)
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
}

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_install, m_templates, m_user;

    vv::LibraryPaths paths() const { return vv::LibraryPaths(m_install); }
    vv::Library library() const { return vv::Library(paths()); }
    QString trashed(const QString &name) const { return vv::HomeTrashFolder() + "/files/" + name; }
    void touch(const QString &relative, const QByteArray &bytes = "x") { WriteAll(m_templates + "/" + relative, bytes); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
    }

    void init()
    {
        m_install = m_tmp.path() + "/install";
        QDir(m_install).removeRecursively();
        QDir(vv::HomeTrashFolder()).removeRecursively();
        m_templates = m_install + "/Vorlagen";
        m_user = m_templates + "/User.dat";
        QDir().mkpath(m_templates);
    }

    void fileNames()
    {
        const vv::LibraryPaths p("/opt/vv/", "");
        QCOMPARE(p.userFile() + p.userBackup() + p.userSnapshot(),
                 QString("/opt/vv/Vorlagen/User.dat/opt/vv/Vorlagen/User.bak/opt/vv/Vorlagen/User.tmp"));
        QCOMPARE(p.favouritesFile() + p.favouritesBackup(), QString("/opt/vv/VORLAGEN.DAT/opt/vv/VORLAGEN.BAK"));
        QCOMPARE(p.powerOfAttorneyForm(4) + p.powerOfAttorneyForm(5), QString("/opt/vv/DOCFORM4.DLL"));
        // The editor's templates folder comes from its settings; the favourites stay beside the program.
        const vv::LibraryPaths editor("/opt/vv", "/srv/bib/Vorlagen");
        QCOMPARE(editor.userFile(), QString("/srv/bib/Vorlagen/User.dat"));
        QCOMPARE(editor.favouritesFile(), QString("/opt/vv/VORLAGEN.DAT"));
        QCOMPARE(vv::LibraryPaths::favouriteStoredPath("Steuern", "Antrag.pdf"), QString("\\Vorlagen\\Steuern\\Antrag.pdf"));
        QCOMPARE(p.favouriteDiskPath("\\Vorlagen\\Steuern\\Antrag.pdf"), QString("/opt/vv/Vorlagen/Steuern/Antrag.pdf"));
    }

    void dirValues_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("folder"); // below the templates folder; "-" refused
        QTest::newRow("no leading backslash") << "Steuern" << "/Steuern";
        QTest::newRow("leading backslash") << "\\Steuern" << "/Steuern";
        QTest::newRow("trailing backslash as on Windows") << "\\Steuern\\" << "/Steuern";
        QTest::newRow("nested") << "\\Alt\\Steuern" << "/Alt/Steuern";
        QTest::newRow("empty is the templates folder") << "" << "";
        QTest::newRow("parent folder") << "\\..\\Vorlagen\\Steuern" << "-";
        QTest::newRow("absolute") << "/etc" << "-";
        QTest::newRow("drive letter") << "C:\\Vorlagen\\Steuern" << "-";
        QTest::newRow("UNC") << "\\\\server\\share" << "-";
        QTest::newRow("two trailing backslashes") << "\\Steuern\\\\" << "-";
        QTest::newRow("empty part") << "\\Alt\\\\Steuern" << "-";
    }
    void dirValues()
    {
        QFETCH(QString, dir);
        QFETCH(QString, folder);
        QCOMPARE(paths().folderFromDirValue(dir), folder == "-" ? QString() : m_templates + folder);
    }

    void categoriesAndLocations_data()
    {
        QTest::addColumn<QStringList>("keys"); // {"-"}: no user file at all
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("gap at 03") << QStringList{"01", "02", "04"} << QStringList{"K01", "K02", "K04"};
        QTest::newRow("10 never read") << QStringList{"01", "10"} << QStringList{"K01"};
        QTest::newRow("09 is the last") << QStringList{"09"} << QStringList{"K09"};
        QTest::newRow("1 is not 01") << QStringList{"1", "02"} << QStringList{"K02"};
        QTest::newRow("no user file") << QStringList{"-"} << QStringList{};
    }
    void categoriesAndLocations()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, expected);
        if (keys != QStringList{"-"}) {
            for (const QString &k : keys)
                WriteIni(m_user, {"CAT/" + k + "=K" + k});
            WriteIni(m_user, {"CAT/03=", "DIR/01=K01", "DIR/02=\\Fehlt"});
        }
        QDir().mkpath(m_templates + "/K01");
        const vv::Library lib = library();
        QCOMPARE(lib.Categories(), expected);
        // A missing "DIR" leaves the list where it was: the templates folder.
        const bool noFile = keys == QStringList{"-"};
        const vv::CategoryLocation first = lib.LocateCategory(1), second = lib.LocateCategory(2);
        QCOMPARE(first.folder + "|" + QString::number(first.exists), m_templates + (noFile ? "|1" : "/K01|1"));
        QCOMPARE(second.dirValue + "|" + QString::number(second.exists), noFile ? QString("|1") : "\\Fehlt|0");
        // Position 0 (nothing selected) finds no key: the templates folder itself.
        QCOMPARE(lib.LocateCategory(0).folder, m_templates);
    }

    void documentsAndPreviews_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("picture"); // "" none
        QTest::newRow("jpg") << QStringList{"A.pdf", "A.jpg"} << "A.pdf" << "A.jpg";
        QTest::newRow("gif") << QStringList{"A.pdf", "A.gif"} << "A.pdf" << "A.gif";
        QTest::newRow("jpg beats gif") << QStringList{"A.pdf", "A.gif", "A.jpg"} << "A.pdf" << "A.jpg";
        QTest::newRow("fallback") << QStringList{"A.pdf", "../../KORVENTIS.MAP"} << "A.pdf" << "../../KORVENTIS.MAP";
        QTest::newRow("nothing") << QStringList{"A.pdf"} << "A.pdf" << "";
        QTest::newRow("JPG from Windows") << QStringList{"A.pdf", "A.gif", "A.JPG"} << "A.pdf" << "A.JPG";
        QTest::newRow("Gif from Windows") << QStringList{"x.pdf", "x.Gif"} << "x.pdf" << "x.Gif";
        QTest::newRow("exact name wins") << QStringList{"A.pdf", "A.JPG", "A.jpg"} << "A.pdf" << "A.jpg";
        QTest::newRow("cut by count") << QStringList{"A.xy", "A.gif"} << "A.xy" << "";
        QTest::newRow("too short for a picture name") << QStringList{"ab", "../../KORVENTIS.MAP"} << "ab"
                                                      << "../../KORVENTIS.MAP";
        QTest::newRow("capitals from DOS") << QStringList{"ANTRAG.PDF", "ANTRAG.JPG"} << "ANTRAG.PDF" << "ANTRAG.JPG";
        QTest::newRow("umlaut in other case") << QStringList{"änderung.pdf", "ÄNDERUNG.GIF"} << "änderung.pdf"
                                              << "ÄNDERUNG.GIF";
        QTest::newRow("several other spellings") << QStringList{"A.pdf", "A.Jpg", "A.JPG"} << "A.pdf" << "A.JPG";
    }
    // Found alike straight from the folder and through what listing it saw.
    void documentsAndPreviews()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, document);
        QFETCH(QString, picture);
        const QString folder = m_templates + "/K";
        for (const QString &f : files)
            WriteAll(folder + "/" + f, "x");
        const QString expected = picture.isEmpty() ? QString() : QDir::cleanPath(folder + "/" + picture);
        const vv::Library lib = library();
        QCOMPARE(lib.PreviewPicture(folder, document), expected);
        lib.Documents(folder);
        QCOMPARE(lib.PreviewPicture(folder, document), expected);
    }

    void documentsInGermanOrder()
    {
        for (const char *name : {"zebra.pdf", "Äpfel.pdf", "Anlage 10.pdf", "Anlage 2.pdf", "apfel.pdf",
                                 "Ölkanne.pdf", "Notiz.txt", "Upper.PDF", "Unter/x.pdf"})
            touch(QStringLiteral("L/") + QString::fromUtf8(name));
        QCOMPARE(library().Documents(m_templates + "/L"),
                 (QStringList{"Anlage 2.pdf", "Anlage 10.pdf", "apfel.pdf", "Äpfel.pdf", "Ölkanne.pdf", "Upper.PDF",
                              "zebra.pdf"}));
        QCOMPARE(library().CountDocuments("L"), 7);
        QCOMPARE(library().CountDocuments("Fehlt"), 0);
        QCOMPARE(library().Documents(QString()), QStringList());
    }

    // A long list is sorted in parts: it must come out as one compare-sorted list.
    void longListInGermanOrder()
    {
        const char *words[] = {"Antrag", "antrag", "Änderung", "Übergabe", "Straße", "Strasse", "Zuwendung"};
        QStringList expected;
        for (int i = 0; i < 2500; ++i) {
            expected << QStringLiteral("%1 %2.pdf").arg(QString::fromUtf8(words[i % 7])).arg(i * 37 % 1000);
            touch("Lang/" + expected.last());
        }
        SortAsCollator(expected);
        QCOMPARE(library().Documents(m_templates + "/Lang"), expected);
    }

    // Names of the characters offices use are ordered by keys of the model's
    // own, all others by the collator's: either way as the collator compares.
    void documentsInCollatorOrder_data()
    {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("odd"); // names with a character outside the alphabet
        const QString plain = QString::fromUtf8("aAbBsSzZäÄöÖüÜßoOuU0123456789 .-_,()!&'+#~$%[]{}@^`;=");
        QTest::newRow("letters, umlauts, digits, punctuation") << plain << 0;
        // A file name may hold any of them but the slash.
        QTest::newRow("every ASCII mark") << QStringLiteral("a0 _-,;:!?.'\"()[]{}@*\\&#%`^+<=>|~$") << 0;
        QTest::newRow("numbers with leading zeros") << QStringLiteral("aA 0019") << 0;
        QTest::newRow("case and umlauts only") << QString::fromUtf8("aAäÄoOöÖßsS") << 0;
        QTest::newRow("one accented name") << plain << 1;
        QTest::newRow("many other names") << plain << 300;
    }

    void documentsInCollatorOrder()
    {
        QFETCH(QString, alphabet);
        QFETCH(int, odd);
        const QString others = QString::fromUtf8("éÀçøæ̈ ");
        QRandomGenerator random(7);
        QSet<QString> names;
        while (names.size() < 1500) {
            QString name;
            for (int i = random.bounded(1, 9); i > 0; --i)
                name += alphabet.at(random.bounded(alphabet.size()));
            if (names.size() < odd)
                name.insert(random.bounded(name.size() + 1), others.at(random.bounded(others.size())));
            names.insert(name + ".pdf");
        }
        QStringList expected(names.begin(), names.end());
        for (const QString &name : expected)
            touch("Gemischt/" + name);
        SortAsCollator(expected);
        QCOMPARE(library().Documents(m_templates + "/Gemischt"), expected);
    }

    // A library copied from Windows: names in any letter case, "DIR" with a
    // trailing backslash, the user file in capitals.
    void windowsCopiedLibrary()
    {
        touch("STEUERN/Satzung.PDF", "%PDF s");
        touch("STEUERN/Satzung.GIF", "GIF89a");
        QDir().mkpath(m_templates + "/Verein");
        WriteIni(m_templates + "/USER.DAT", {"CAT/01=Steuern", "DIR/01=\\steuern\\", "CAT/02=Verein"});
        QFile::remove(m_user);
        const vv::Library lib = library();
        QCOMPARE(lib.Categories(), (QStringList{"Steuern", "Verein"}));
        const vv::CategoryLocation where = lib.LocateCategory(1);
        QCOMPARE(where.folder + QString::number(where.exists), m_templates + "/STEUERN1");
        QCOMPARE(lib.Documents(where.folder), QStringList{"Satzung.PDF"});
        QCOMPARE(lib.PreviewPicture(where.folder, "Satzung.PDF"), m_templates + "/STEUERN/Satzung.GIF");
        QCOMPARE(lib.CountDocuments("Steuern"), 1);
        QVERIFY(lib.DocumentExists("steuern", "satzung.pdf"));
        // The move finds the capitals and keeps them.
        QVERIFY(lib.MoveDocument(where.folder, "Satzung.PDF", "verein").moved);
        QCOMPARE(QDir(m_templates + "/Verein").entryList(QDir::Files), (QStringList{"Satzung.GIF", "Satzung.PDF"}));
        QCOMPARE(ReadAll(m_templates + "/USER.DAT"), ReadAll(m_templates + "/User.bak"));
        QVERIFY(!QFileInfo::exists(m_user));
    }

    void helpTextsAndPrintSwitch()
    {
        const vv::Library lib = library();
        const vv::UserFile &user = lib.userFile();
        QVERIFY(!user.PrintDoc());
        QCOMPARE(user.DocumentInfo("Antrag.pdf"), QString());
        QVERIFY(!QFile::exists(m_user)); // a read never creates the file

        const QString text = QStringLiteral("Größe € „Zitat“ – ") + QString(290, QChar('x'));
        QVERIFY(user.WriteDocumentInfo("Antrag.pdf", text + "\r\nzweite\nZeile"));
        QVERIFY(user.WritePrintDoc(true));
        QCOMPARE(vv::ReadIniValue(m_user, "SET", "PrintDoc"), QStringLiteral("1"));
        QVERIFY(user.PrintDoc());
        // Shown cut to what a profile read returns, stored whole in Windows-1252, lines joined.
        QCOMPARE(user.DocumentInfo("ANTRAG.PDF"), text.left(254));
        QVERIFY(ReadAll(m_user).contains("Antrag.pdf=Gr\xF6\xDF" "e \x80 \x84Zitat\x93 \x96 " + QByteArray(290, 'x')
                                         + " zweite Zeile\r\n"));
        QVERIFY(user.Backup());
        QCOMPARE(ReadAll(m_templates + "/User.bak"), ReadAll(m_user));
    }

    void numberAtTheStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("leading blank") << " 1" << 1.0;
        QTest::newRow("leading zero") << "01" << 1.0;
        QTest::newRow("decimal") << "1.0" << 1.0;
        QTest::newRow("trailing junk") << "1abc" << 1.0;
        QTest::newRow("no digits") << "ja" << 0.0;
        QTest::newRow("negative") << "-2" << -2.0;
        QTest::newRow("point, no fraction") << "12.x" << 12.0;
        QTest::newRow("fraction only") << "\t.5" << 0.5;
        QTest::newRow("second point ends it") << "+1.25.3" << 1.25;
        QTest::newRow("sign alone") << "- 1" << 0.0;
        QTest::newRow("blank inside") << "1 2" << 1.0;
    }
    void numberAtTheStart()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(vv::VbVal(text), value);
    }

    void addDocument_data()
    {
        QTest::addColumn<QString>("preview"); // "" none chosen
        QTest::addColumn<bool>("copy");       // false: help text only
        QTest::addColumn<QStringList>("files");
        QTest::newRow("with a gif preview") << "x.gif" << true << QStringList{"Antrag.gif", "Antrag.pdf"};
        QTest::newRow("preview name cut by count") << "bild.jpeg" << true << QStringList{"Antrag.pdf", "Antrag.peg"};
        QTest::newRow("without preview") << "" << true << QStringList{"Antrag.pdf"};
        QTest::newRow("help text only") << "x.gif" << false << QStringList{};
    }
    void addDocument()
    {
        QFETCH(QString, preview);
        QFETCH(bool, copy);
        QFETCH(QStringList, files);
        WriteIni(m_user, {"CAT/01=Steuern", "INFO/01=Hilfe"});
        QDir().mkpath(m_templates + "/Steuern");
        const QByteArray before = ReadAll(m_user);
        const QString source = m_tmp.path() + "/quelle/Antrag.pdf";
        WriteAll(source, "%PDF neu");
        if (!preview.isEmpty())
            WriteAll(m_tmp.path() + "/quelle/" + preview, "GIF89a");
        const vv::AddResult r = library().AddDocument("Steuern", "Antrag.pdf", "Ausfüllen", copy ? source : QString(),
                                                       preview.isEmpty() ? QString() : m_tmp.path() + "/quelle/" + preview);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Antrag.pdf"), QString("Ausfüllen"));
        QCOMPARE(QDir(m_templates + "/Steuern").entryList(QDir::Files), files);
        QCOMPARE(r.backedUp && r.helpWritten, true);
        QCOMPARE(r.documentCopied, copy);
        QVERIFY(library().DocumentExists("Steuern", "Antrag.pdf") == copy);
        // The add overwrites a document of that name.
        if (copy) {
            WriteAll(source, "%PDF neuer");
            library().AddDocument("Steuern", "Antrag.pdf", "", source, QString());
            QCOMPARE(ReadAll(m_templates + "/Steuern/Antrag.pdf"), QByteArray("%PDF neuer"));
        }
    }

    void moveDocument_data()
    {
        QTest::addColumn<QStringList>("source");  // files in A before
        QTest::addColumn<QString>("target");      // category name
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QStringList>("leftInA");
        QTest::addColumn<QStringList>("inB");
        QTest::newRow("with its gif") << QStringList{"Antrag.pdf", "Antrag.gif"} << "B" << true << QStringList{}
                                      << QStringList{"Antrag.gif", "Antrag.pdf"};
        QTest::newRow("a jpg stays") << QStringList{"Antrag.pdf", "Antrag.jpg"} << "B" << true
                                     << QStringList{"Antrag.jpg"} << QStringList{"Antrag.pdf"};
        QTest::newRow("target overwritten") << QStringList{"Antrag.pdf", "B:Antrag.pdf"} << "B" << true << QStringList{}
                                            << QStringList{"Antrag.pdf"};
        QTest::newRow("source missing") << QStringList{} << "B" << false << QStringList{} << QStringList{};
        QTest::newRow("target folder missing") << QStringList{"Antrag.pdf"} << "Fehlt" << false
                                               << QStringList{"Antrag.pdf"} << QStringList{};
        QTest::newRow("onto itself") << QStringList{"Antrag.pdf"} << "A" << false << QStringList{"Antrag.pdf"}
                                     << QStringList{};
        QTest::newRow("name that leaves the library") << QStringList{"Antrag.pdf"} << ".." << false
                                                      << QStringList{"Antrag.pdf"} << QStringList{};
    }
    void moveDocument()
    {
        QFETCH(QStringList, source);
        QFETCH(QString, target);
        QFETCH(bool, moved);
        QFETCH(QStringList, leftInA);
        QFETCH(QStringList, inB);
        QDir().mkpath(m_templates + "/A");
        QDir().mkpath(m_templates + "/B");
        WriteIni(m_user, {"INFO/Antrag.pdf=bleibt"});
        for (const QString &f : source)
            f.startsWith("B:") ? touch("B/" + f.mid(2), "alt") : touch("A/" + f, "neu " + f.toUtf8());
        const vv::MoveResult r = library().MoveDocument(m_templates + "/A", "Antrag.pdf", target);
        QCOMPARE(r.moved, moved);
        QCOMPARE(QDir(m_templates + "/A").entryList(QDir::Files), leftInA);
        QCOMPARE(QDir(m_templates + "/B").entryList(QDir::Files), inB);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), ReadAll(m_user));
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Antrag.pdf"), QString("bleibt"));
        if (moved) {
            QCOMPARE(ReadAll(m_templates + "/B/Antrag.pdf"), QByteArray("neu Antrag.pdf"));
            QCOMPARE(ReadAll(trashed("Antrag.pdf")), QByteArray("neu Antrag.pdf")); // restorable
        }
    }

    void deleteDocument_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("inTrash");
        QTest::newRow("pdf and gif go, jpg stays") << QStringList{"Antrag.pdf", "Antrag.gif", "Antrag.jpg"}
                                                   << QStringList{"Antrag.jpg"} << QStringList{"Antrag.gif", "Antrag.pdf"};
        QTest::newRow("no preview") << QStringList{"Antrag.pdf"} << QStringList{} << QStringList{"Antrag.pdf"};
        QTest::newRow("already gone") << QStringList{} << QStringList{} << QStringList{};
    }
    void deleteDocument()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, left);
        QFETCH(QStringList, inTrash);
        QDir().mkpath(m_templates + "/A");
        for (const QString &f : files)
            touch("A/" + f);
        WriteIni(m_user, {"INFO/Antrag.pdf=bleibt"});
        const vv::DeleteDocumentResult r = library().DeleteDocument(m_templates + "/A", "Antrag.pdf");
        QCOMPARE(QDir(m_templates + "/A").entryList(QDir::Files), left);
        QCOMPARE(QDir(vv::HomeTrashFolder() + "/files").entryList(QDir::Files), inTrash);
        QCOMPARE(r.documentTrashed, !inTrash.isEmpty());
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "Antrag.pdf"), QString("bleibt"));
    }

    void deleteCategory_data()
    {
        QTest::addColumn<QStringList>("cat"); // keys 01.. in order, "" for a gap
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("folderFiles"); // {"-"}: no folder
        QTest::addColumn<QStringList>("catAfter");
        QTest::addColumn<bool>("folderGone");
        QTest::newRow("middle of three leaves a gap") << QStringList{"A", "B", "C"} << "B" << QStringList{}
                                                      << QStringList{"01=A", "03=C"} << true;
        QTest::newRow("pictures keep the folder") << QStringList{"A", "B"} << "B" << QStringList{"x.gif", "x.jpg"}
                                                  << QStringList{"01=A"} << false;
        QTest::newRow("same name twice: the lower pair") << QStringList{"B", "A", "B"} << "B" << QStringList{}
                                                         << QStringList{"02=A", "03=B"} << true;
        QTest::newRow("letter case counts") << QStringList{"b", "B"} << "B" << QStringList{} << QStringList{"01=b"}
                                            << true;
        QTest::newRow("in no key: only the folder") << QStringList{"A"} << "B" << QStringList{} << QStringList{"01=A"}
                                                    << true;
        QTest::newRow("no folder") << QStringList{"A", "B"} << "B" << QStringList{"-"} << QStringList{"01=A"} << true;
    }
    void deleteCategory()
    {
        QFETCH(QStringList, cat);
        QFETCH(QString, name);
        QFETCH(QStringList, folderFiles);
        QFETCH(QStringList, catAfter);
        QFETCH(bool, folderGone);
        for (int i = 0; i < cat.size(); ++i) {
            const QString key = QStringLiteral("0%1").arg(i + 1);
            WriteIni(m_user, {"CAT/" + key + "=" + cat[i], "DIR/" + key + "=\\" + cat[i]});
        }
        if (folderFiles != QStringList{"-"}) {
            QDir().mkpath(m_templates + "/" + name);
            for (const QString &f : folderFiles)
                touch(name + "/" + f);
        }
        const QByteArray before = ReadAll(m_user);
        QCOMPARE(library().CountDocuments(name), 0);
        const vv::DeleteCategoryResult r = library().DeleteCategory(name);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        QCOMPARE(Entries(m_user, "CAT"), catAfter);
        QStringList dirAfter;
        for (const QString &e : catAfter)
            dirAfter << e.left(3) + "\\" + e.mid(3);
        QCOMPARE(Entries(m_user, "DIR"), dirAfter);
        QCOMPARE(QFileInfo::exists(m_templates + "/" + name), !folderGone);
        QCOMPARE(r.removedKey == 0, catAfter.size() == cat.size());
    }

    void categoryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("problem");
        using P = vv::CategoryNameProblem;
        const auto row = [](const char *tag, const QString &name, P problem) {
            QTest::newRow(tag) << name << int(problem);
        };
        row("plain", "Steuern", P::None);
        row("umlauts, sharp s, euro, blanks inside", "Verträge für Straßen €", P::None);
        row("64 characters", QString(64, 'k'), P::None);
        row("a dot inside, an apostrophe", "O'Brien v.2", P::None);
        row("a device name inside a longer word", "Console", P::None);
        row("empty", "", P::Empty);
        row("65 characters", QString(65, 'k'), P::TooLong);
        row("300 characters", QString(300, 'k'), P::TooLong);
        row("TAB", "Steuern\tAlt", P::ControlCharacter);
        row("line feed", "Steuern\nAlt", P::ControlCharacter);
        row("carriage return", "Steuern\r", P::ControlCharacter);
        row("NUL", QString("ab") + QChar(0), P::ControlCharacter);
        row("DEL", "ab\x7f", P::ControlCharacter);
        for (const char c : QByteArray("/\\:*?\"<>|"))
            row(qPrintable(QStringLiteral("character %1").arg(c)), QStringLiteral("a%1b").arg(c), P::ForbiddenCharacter);
        row("leading blank", " Steuern", P::BlankOrDotAtEnd);
        row("trailing blank", "Steuern ", P::BlankOrDotAtEnd);
        row("leading dot", ".Steuern", P::BlankOrDotAtEnd);
        row("trailing dot", "Steuern.", P::BlankOrDotAtEnd);
        row("dot", ".", P::BlankOrDotAtEnd);
        row("two dots", "..", P::BlankOrDotAtEnd);
        row("no-break space at the end", QStringLiteral("Steuern") + QChar(0xa0), P::BlankOrDotAtEnd);
        row("CON", "CON", P::ReservedName);
        row("nul with extension", "nul.txt", P::ReservedName);
        row("Lpt1", "Lpt1", P::ReservedName);
        row("in single quotes", "'Steuern'", P::QuotedName);
        row("Greek letter", QStringLiteral("Ω-Formulare"), P::NotStorable);
    }
    void categoryNames()
    {
        QFETCH(QString, name);
        QFETCH(int, problem);
        QCOMPARE(int(vv::CheckCategoryName(name)), problem);
    }

    void createCategory_data()
    {
        QTest::addColumn<QStringList>("cat");     // keys 01.. in order, "" for a gap; {"-"}: no user file
        QTest::addColumn<QStringList>("onDisk");  // more entries below the templates folder; "f:" a file
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("key");
        using P = vv::CategoryNameProblem;
        using R = vv::CreateCategoryResult;
        const QStringList nine{"A", "B", "C", "D", "E", "F", "G", "H", "I"};
        QTest::newRow("after the last key") << QStringList{"A", "B"} << QStringList{} << "Neu" << int(R::Created)
                                            << int(P::None) << 3;
        QTest::newRow("after a gap") << QStringList{"A", "", "C"} << QStringList{} << "Neu" << int(R::Created)
                                     << int(P::None) << 4;
        QTest::newRow("eighth") << nine.mid(0, 7) << QStringList{} << "Neu" << int(R::Created) << int(P::None) << 8;
        QTest::newRow("ninth") << nine.mid(0, 8) << QStringList{} << "Neu" << int(R::Created) << int(P::None) << 9;
        QTest::newRow("no user file yet") << QStringList{"-"} << QStringList{} << "Neu" << int(R::Created)
                                          << int(P::None) << 1;
        QTest::newRow("umlauts") << QStringList{"A"} << QStringList{} << "Verträge" << int(R::Created)
                                 << int(P::None) << 2;
        QTest::newRow("category in other letter case") << QStringList{"Steuern"} << QStringList{} << "STEUERN"
                                                       << int(R::Refused) << int(P::Exists) << 0;
        QTest::newRow("umlaut in other letter case") << QStringList{"Ärzte"} << QStringList{} << "ärzte"
                                                     << int(R::Refused) << int(P::Exists) << 0;
        QTest::newRow("folder without category") << QStringList{"A"} << QStringList{"alt"} << "Alt"
                                                 << int(R::Refused) << int(P::Exists) << 0;
        QTest::newRow("a file of that name") << QStringList{"A"} << QStringList{"f:Notiz"} << "notiz"
                                             << int(R::Refused) << int(P::Exists) << 0;
        QTest::newRow("tenth") << nine << QStringList{} << "Neu" << int(R::Refused) << int(P::TooMany) << 0;
        QStringList gapBeforeNine = nine;
        gapBeforeNine[4] = "";
        QTest::newRow("key 09 taken after a gap") << gapBeforeNine << QStringList{} << "Neu" << int(R::Refused)
                                                  << int(P::NoFreeKey) << 0;
        QTest::newRow("a rule of the name") << QStringList{"A"} << QStringList{} << "a/b" << int(R::Refused)
                                            << int(P::ForbiddenCharacter) << 0;
        QTest::newRow("300 characters") << QStringList{"A"} << QStringList{} << QString(300, 'x') << int(R::Refused)
                                        << int(P::TooLong) << 0;
        QTest::newRow("read-only user file") << QStringList{"A", "ro"} << QStringList{} << "Neu"
                                             << int(R::WriteFailed) << int(P::None) << 0;
        QTest::newRow("no templates folder") << QStringList{"-", "gone"} << QStringList{} << "Neu"
                                             << int(R::FolderFailed) << int(P::None) << 0;
    }
    void createCategory()
    {
        QFETCH(QStringList, cat);
        QFETCH(QStringList, onDisk);
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(int, problem);
        QFETCH(int, key);
        const bool readOnly = cat.removeAll("ro") > 0, gone = cat.removeAll("gone") > 0;
        if (cat != QStringList{"-"}) {
            for (int i = 0; i < cat.size(); ++i) {
                if (cat[i].isEmpty())
                    continue;
                const QString k = QStringLiteral("0%1").arg(i + 1);
                WriteIni(m_user, {"CAT/" + k + "=" + cat[i], "DIR/" + k + "=\\" + cat[i]});
                QDir().mkpath(m_templates + "/" + cat[i]);
            }
        }
        for (const QString &e : onDisk) {
            if (e.startsWith("f:"))
                touch(e.mid(2));
            else
                QDir().mkpath(m_templates + "/" + e);
        }
        if (readOnly)
            QVERIFY(QFile::setPermissions(m_user, QFile::ReadOwner | QFile::ReadGroup));
        if (gone)
            QVERIFY(QDir(m_templates).removeRecursively());
        const QByteArray before = ReadAll(m_user);
        const QStringList entriesBefore = QDir(m_templates).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        const vv::CreateCategoryResult r = library().CreateCategory(name);
        QCOMPARE(int(r.status), status);
        QCOMPARE(int(r.problem), problem);
        QCOMPARE(r.key, key);
        if (status != vv::CreateCategoryResult::Created) {
            // Nothing written: neither the file, nor a backup, nor a folder.
            QCOMPARE(ReadAll(m_user), before);
            if (status != vv::CreateCategoryResult::WriteFailed) // there the backup came first
                QVERIFY(!QFileInfo::exists(m_templates + "/User.bak"));
            QStringList entries = QDir(m_templates).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            entries.removeAll("User.bak");
            QCOMPARE(entries, entriesBefore);
            return;
        }
        const QString k = QStringLiteral("0%1").arg(key);
        QCOMPARE(vv::ReadIniValue(m_user, "CAT", k), name);
        QCOMPARE(vv::ReadIniValue(m_user, "DIR", k), "\\" + name);
        QVERIFY(QFileInfo(m_templates + "/" + name).isDir());
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        QCOMPARE(QFileInfo::exists(m_templates + "/User.bak"), !before.isEmpty());
        // The name reads back as the last category and leads to its folder.
        QCOMPARE(library().Categories().last(), name);
        const int position = int(library().Categories().size());
        if (!cat.contains(""))
            QCOMPARE(library().LocateCategory(position).folder, m_templates + "/" + name);
        // Once nine are there, no more are taken.
        QCOMPARE(library().CategoryRoom() == vv::CategoryNameProblem::None, key < 9);
    }

    // The old form goes to DOCFORMn.BAK, the new one takes its place by a
    // rename: a second name of the old file keeps the old bytes, and no
    // temporary file is left. Refusals leave both files alone.
    void replaceForm_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("setup"); // "form", "none", "ro form", "ro backup", "old backup"
        QTest::addColumn<int>("status");
        using R = vv::FormReplaceResult;
        QTest::newRow("replaces and backs up") << 1 << "form" << int(R::Replaced);
        QTest::newRow("an older backup is overwritten") << 4 << "old backup" << int(R::Replaced);
        QTest::newRow("a deleted form comes back, no backup") << 0 << "none" << int(R::Replaced);
        QTest::newRow("read-only form") << 2 << "ro form" << int(R::ReadOnly);
        QTest::newRow("read-only backup") << 3 << "ro backup" << int(R::BackupFailed);
        QTest::newRow("no such form") << 5 << "form" << int(R::NoForm);
    }
    void replaceForm()
    {
        QFETCH(int, n);
        QFETCH(QString, setup);
        QFETCH(int, status);
        const QString form = m_install + QStringLiteral("/DOCFORM%1.DLL").arg(n);
        const QString backup = m_install + QStringLiteral("/DOCFORM%1.BAK").arg(n);
        const QString link = m_tmp.path() + "/second-name";
        QFile::remove(link);
        if (setup != "none") {
            WriteAll(form, "alte Vorlage");
            QCOMPARE(::link(QFile::encodeName(form).constData(), QFile::encodeName(link).constData()), 0);
        }
        if (setup == "old backup" || setup == "ro backup")
            WriteAll(backup, "ganz alte Vorlage");
        if (setup == "ro form")
            QVERIFY(QFile::setPermissions(form, QFile::ReadOwner));
        if (setup == "ro backup")
            QVERIFY(QFile::setPermissions(backup, QFile::ReadOwner));
        const QByteArray formBefore = ReadAll(form), backupBefore = ReadAll(backup);

        const vv::FormReplaceResult r = library().ReplacePowerOfAttorneyForm(n, "neue Vorlage");
        QCOMPARE(int(r.status), status);
        if (status != vv::FormReplaceResult::Replaced) {
            QCOMPARE(ReadAll(form), formBefore);
            QCOMPARE(ReadAll(backup), backupBefore);
            QVERIFY(!r.backedUp);
        } else {
            QCOMPARE(ReadAll(form), QByteArray("neue Vorlage"));
            QCOMPARE(ReadAll(backup), setup == "none" ? QByteArray() : QByteArray("alte Vorlage"));
            QCOMPARE(r.backedUp, setup != "none");
            if (setup != "none")
                QCOMPARE(ReadAll(link), QByteArray("alte Vorlage")); // replaced, not written over
        }
        QCOMPARE(QDir(m_install).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(!library().ReplacePowerOfAttorneyForm(0, QByteArray()).backedUp);
    }

    void deleteForm()
    {
        WriteAll(m_install + "/DOCFORM2.DLL", "Vorlage");
        QVERIFY(library().DeletePowerOfAttorneyForm(2));
        QVERIFY(!QFileInfo::exists(m_install + "/DOCFORM2.DLL"));
        QCOMPARE(ReadAll(trashed("DOCFORM2.DLL")), QByteArray("Vorlage"));
        QVERIFY(!library().DeletePowerOfAttorneyForm(2));
        QVERIFY(!library().DeletePowerOfAttorneyForm(7));
    }

    // Documents without a ".jpg" or ".gif" in any letter case, in the order
    // of the categories and of their lists; missing folders and folders
    // named twice are no trouble.
    void missingPreviews()
    {
        WriteIni(m_user, {"CAT/01=B", "CAT/02=A", "CAT/03=Fehlt", "CAT/04=B"});
        for (const char *f : {"B/Ohne.pdf", "B/Mit.pdf", "B/Mit.jpg", "B/Gif.PDF", "B/GIF.GIF", "B/Gross.pdf",
                              "B/GROSS.JPG", "B/Nur.png", "B/Nur.pdf", "A/Zwei.pdf", "A/Eins.pdf", "A/x.txt"})
            touch(f);
        const QList<vv::MissingPreview> missing = library().MissingPreviews();
        QStringList got;
        for (const vv::MissingPreview &m : missing)
            got << m.document.mid(m_templates.size() + 1) + ">" + m.picture.mid(m_templates.size() + 1);
        QCOMPARE(got, (QStringList{"B/Nur.pdf>B/Nur.jpg", "B/Ohne.pdf>B/Ohne.jpg", "A/Eins.pdf>A/Eins.jpg",
                                   "A/Zwei.pdf>A/Zwei.jpg"}));
    }

    void updateDatabase_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<int>("keys");
        QTest::newRow("S and B in name order") << QStringList{"S", "B"} << 2;
        QTest::newRow("twelve folders, twelve keys") << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}
                                                     << 12;
        QTest::newRow("hidden folders are no categories") << QStringList{".Trash-0", "Ümlaut", "Zoll"} << 2;
        QTest::newRow("no folders") << QStringList{} << 0;
        QStringList many;
        for (int i = 0; i < 500; ++i)
            many << QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0'));
        QTest::newRow("500 folders, all written") << many << 500;
    }
    void updateDatabase()
    {
        QFETCH(QStringList, folders);
        QFETCH(int, keys);
        WriteIni(m_user, {"SET/PrintDoc=1", "CAT/01=Alt", "CAT/02=Weg", "DIR/01=\\Alt", "DIR/05=\\Weg", "INFO/01=bleibt"});
        WriteAll(m_templates + "/User.bak", "alte Sicherung");
        touch("keine Kategorie.pdf");
        for (const QString &f : folders)
            QDir().mkpath(m_templates + "/" + f);
        const QByteArray before = ReadAll(m_user);
        const vv::UpdateResult r = library().UpdateDatabase();
        QCOMPARE(r.categories.size(), keys);
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        QVERIFY(!QFileInfo::exists(trashed("User.bak"))); // the old backup is gone for good
        QStringList cat, dir;
        for (int i = 0; i < qMin(keys, 12); ++i) {
            const QString key = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
            cat << key + "=" + r.categories[i];
            dir << key + "=\\" + r.categories[i];
        }
        if (keys > 12)
            QCOMPARE(vv::ReadIniValue(m_user, "DIR", QString::number(keys)), "\\" + r.categories.last());
        QCOMPARE(Entries(m_user, "CAT"), cat);
        QCOMPARE(Entries(m_user, "DIR"), dir);
        if (folders.size() == 2)
            QCOMPARE(r.categories, (QStringList{"B", "S"}));
        QCOMPARE(vv::ReadIniValue(m_user, "INFO", "01") + vv::ReadIniValue(m_user, "SET", "PrintDoc"), QString("bleibt1"));
        QCOMPARE(library().Categories().size(), qMin(keys, 9));
    }

    void saveCategoryOrder_data()
    {
        QTest::addColumn<QStringList>("snapshot"); // CAT/DIR entries of an existing User.tmp; {"-"}: none yet
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("rewrite");
        QTest::addColumn<QStringList>("cat");
        QTest::addColumn<QStringList>("dir");
        QTest::newRow("A and C pair with their old folders")
            << QStringList{"CAT/01=A", "CAT/03=C", "DIR/01=a", "DIR/03=c"} << QStringList{"A", "C"} << true
            << QStringList{"01=A", "02=C"} << QStringList{"01=a", "02=c"};
        QTest::newRow("a name twice in the snapshot: the later key wins")
            << QStringList{"CAT/01=A", "CAT/02=A", "DIR/01=a1", "DIR/02=a2"} << QStringList{"A"} << true
            << QStringList{"01=A"} << QStringList{"01=a2"};
        QTest::newRow("a name the snapshot lacks gets no folder")
            << QStringList{"CAT/01=A", "DIR/01=a"} << QStringList{"Neu", "A"} << true << QStringList{"01=Neu", "02=A"}
            << QStringList{"02=a"};
        QTest::newRow("first save makes the snapshot from the user file")
            << QStringList{"-"} << QStringList{"Z", "Y"} << true << QStringList{"01=Z", "02=Y"}
            << QStringList{"01=\\Z", "02=\\Y"};
        QTest::newRow("other tab: only the copies") << QStringList{"-"} << QStringList{"Z"} << false
                                                    << QStringList{"01=Y", "02=Z", "03=X", "10=Zehn"}
                                                    << QStringList{"01=\\Y", "02=\\Z", "03=\\X"};
    }
    void saveCategoryOrder()
    {
        QFETCH(QStringList, snapshot);
        QFETCH(QStringList, names);
        QFETCH(bool, rewrite);
        QFETCH(QStringList, cat);
        QFETCH(QStringList, dir);
        WriteIni(m_user, {"CAT/01=Y", "CAT/02=Z", "CAT/03=X", "CAT/10=Zehn", "DIR/01=\\Y", "DIR/02=\\Z", "DIR/03=\\X"});
        const QString tmp = m_templates + "/User.tmp";
        if (snapshot != QStringList{"-"})
            WriteIni(tmp, snapshot);
        const QByteArray before = ReadAll(m_user);
        const QByteArray snapshotBefore = snapshot == QStringList{"-"} ? before : ReadAll(tmp);
        library().SaveCategoryOrder(names, rewrite);
        QCOMPARE(ReadAll(tmp), snapshotBefore); // made once, never overwritten
        QCOMPARE(ReadAll(m_templates + "/User.bak"), before);
        if (rewrite)
            cat << "10=Zehn"; // only 01..09 are rewritten
        QCOMPARE(Entries(m_user, "CAT"), cat);
        QCOMPARE(Entries(m_user, "DIR"), dir);
        QVERIFY(library().DeleteSnapshot());
        QVERIFY(!QFileInfo::exists(tmp) && !QFileInfo::exists(trashed("User.tmp")));
    }

    void favouritesRead()
    {
        const QString dat = m_install + "/VORLAGEN.DAT";
        WriteIni(dat, {"DOCS/0=A", "DOCS/3=B", "DOCS/7=ohne Pfad", "PDFFILE/0=\\Vorlagen\\K\\A.pdf",
                       "PDFFILE/3=\\Vorlagen\\K\\B.pdf", "PDFFILE/5=\\Vorlagen\\K\\C.pdf"});
        const vv::Favourites fav(paths());
        const QList<vv::Favourite> list = fav.Load();
        QCOMPARE(list.size(), 2);
        QCOMPARE(QString::number(list[0].slot) + list[0].label + QString::number(list[1].slot) + list[1].label,
                 QString("0A3B"));
        QCOMPARE(fav.FreeSlot(), 9); // slot 7 has a label but no path: free
        QCOMPARE(vv::Favourites::ListEntry("A", "\\p"), QString("A\t\t\t\t\t\t\t\t\\p"));
        const vv::Favourite split = vv::Favourites::SplitListEntry(vv::Favourites::ListEntry("A\tB", "\\p"));
        QCOMPARE(split.label + "|" + split.path, QString("A B|\\p"));
        QCOMPARE(vv::Favourites(vv::LibraryPaths(m_tmp.path() + "/nirgends")).Load().size(), 0);
    }

    void favouritesAddRenameSave_data()
    {
        QTest::addColumn<int>("used"); // slots 0..used-1 taken
        QTest::addColumn<int>("slot"); // where the new one goes, -1 none
        QTest::newRow("two used: slot 9, saved into 2") << 2 << 9;
        QTest::newRow("all ten used: nothing written") << 10 << -1;
        QTest::newRow("none used") << 0 << 9;
    }
    void favouritesAddRenameSave()
    {
        QFETCH(int, used);
        QFETCH(int, slot);
        const QString dat = m_install + "/VORLAGEN.DAT";
        for (int s = 0; s < used; ++s)
            WriteIni(dat, {QStringLiteral("DOCS/%1=F%1").arg(s), QStringLiteral("PDFFILE/%1=\\Vorlagen\\K\\F%1.pdf").arg(s)});
        const vv::Favourites fav(paths());
        const QByteArray before = ReadAll(dat);
        QCOMPARE(fav.Add("Steuern", "Antrag.pdf"), slot);
        if (slot < 0) {
            QCOMPARE(ReadAll(dat), before);
            return;
        }
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", QString::number(slot)), QString("Antrag"));
        QCOMPARE(vv::ReadIniValue(dat, "PDFFILE", QString::number(slot)), QString("\\Vorlagen\\Steuern\\Antrag.pdf"));
        QList<vv::Favourite> list = fav.Load();
        QCOMPARE(list.last().label, QString("Antrag"));

        QCOMPARE(fav.Rename("Antrag", ""), -1);
        QCOMPARE(fav.Rename("Fehlt", "X"), -1);
        QCOMPARE(fav.Rename("Antrag", "Mein Antrag"), slot);
        list = fav.Load();
        const QByteArray beforeSave = ReadAll(dat);
        const vv::Favourites::SaveResult r = fav.Save(list);
        QCOMPARE(r.stored, used + 1);
        QCOMPARE(ReadAll(m_install + "/VORLAGEN.BAK"), beforeSave);
        // Slots 0..n-1 without gaps, the renamed one last.
        const QStringList docs = Entries(dat, "DOCS");
        QCOMPARE(docs.size(), used + 1);
        QCOMPARE(docs.last(), QString::number(used) + "=Mein Antrag");
        QCOMPARE(Entries(dat, "PDFFILE").last(), QString::number(used) + "=\\Vorlagen\\Steuern\\Antrag.pdf");

        // Eleven entries keep ten; a TAB typed into a label becomes a blank.
        QCOMPARE(fav.Rename("Mein Antrag", "Mein\tAntrag"), used); // saved into the first free place
        QCOMPARE(fav.Load().last().label, QString("Mein Antrag"));
        QList<vv::Favourite> eleven;
        for (int i = 0; i < 11; ++i)
            eleven.append({-1, QString("E%1").arg(i), QString("\\Vorlagen\\K\\E%1.pdf").arg(i)});
        QCOMPARE(fav.Save(eleven).stored, 10);
        QCOMPARE(Entries(dat, "PDFFILE").size(), 10);
        QCOMPARE(Entries(dat, "DOCS").last(), QString("9=E9"));
    }

    void favouritesSaveLimits()
    {
        const QString dat = m_install + "/VORLAGEN.DAT";
        const vv::Favourites fav(paths());
        QList<vv::Favourite> twelve;
        for (int i = 0; i < 12; ++i)
            twelve.append({-1, QStringLiteral("L%1").arg(i), QStringLiteral("\\Vorlagen\\K\\%1.pdf").arg(i)});
        QCOMPARE(fav.Save(twelve).stored, 10);
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", "9"), QString("L9"));
        QCOMPARE(vv::ReadIniValue(dat, "DOCS", "10"), QString());
        // An empty list leaves neither section, and the backup holds the ten.
        const QByteArray ten = ReadAll(dat);
        QVERIFY(fav.Save({}).written);
        QVERIFY(!ReadAll(dat).contains("[DOCS]") && !ReadAll(dat).contains("[PDFFILE]"));
        QCOMPARE(ReadAll(m_install + "/VORLAGEN.BAK"), ten);
    }

    void workingCopy()
    {
        touch("K/Antrag.pdf", "%PDF vorlage");
        const vv::WorkingCopy copy = library().MakeWorkingCopy(m_templates + "/K", "Antrag.pdf");
        QCOMPARE(copy.status, vv::WorkingCopy::Made);
        QVERIFY(copy.path.endsWith(".pdf"));
        QVERIFY(copy.path.startsWith(m_tmp.path() + "/temp/"));
        QCOMPARE(ReadAll(copy.path), QByteArray("%PDF vorlage"));
        QVERIFY(library().MakeWorkingCopy(m_templates + "/K", "Antrag.pdf").path != copy.path);
        QCOMPARE(library().MakeWorkingCopy(m_templates + "/K", "").status, vv::WorkingCopy::NoDocument);
        QCOMPARE(library().MakeWorkingCopy(m_templates + "/K", "Weg.pdf").status, vv::WorkingCopy::CopyFailed);
    }

    // The editor's folders and the download address from the settings store:
    // the user's store over the installation's own file.
    void settings_data()
    {
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<QStringList>("installation");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("templates");
        QTest::addColumn<QString>("download");
        const QString d = vv::kDefaultDownloadAddress;
        QTest::newRow("nothing stored") << QStringList() << QStringList() << "<install>/" << "<install>/Vorlagen" << d;
        QTest::newRow("stored values") << QStringList{"Database=/srv/db", "InstallDir=<other>"}
                                       << QStringList{"Download=file:///srv/Standard.zip"} << "/srv/db/"
                                       << "<other>/Vorlagen" << "file:///srv/Standard.zip";
        QTest::newRow("user's address wins") << QStringList{"Download=https://example.org/a.zip"}
                                             << QStringList{"Download=file:///srv/Standard.zip"} << "<install>/"
                                             << "<install>/Vorlagen" << "https://example.org/a.zip";
        QTest::newRow("empty and missing folders") << QStringList{"Database=", "InstallDir=/nirgends/", "Download="}
                                                   << QStringList() << "<install>/" << "<install>/Vorlagen" << d;
    }
    void settings()
    {
        QFETCH(QStringList, user);
        QFETCH(QStringList, installation);
        QFETCH(QString, database);
        QFETCH(QString, templates);
        QFETCH(QString, download);
        const QString other = m_tmp.path() + "/andere";
        QDir().mkpath(other + "/Vorlagen");
        auto fill = [&](QString s) { return s.replace("<install>", m_install).replace("<other>", other); };
        const QString userStore = m_tmp.path() + "/user.conf", installStore = m_install + "/Ordinalis.conf";
        QFile::remove(userStore);
        QFile::remove(installStore);
        auto write = [&](const QString &file, const QStringList &values) {
            QByteArray text = "[Software\\Veltrano\\Ordinalis]\n";
            for (const QString &v : values)
                text += fill(v).toUtf8() + "\n";
            WriteAll(file, text);
        };
        write(userStore, user);
        write(installStore, installation);
        vv::Registry reg(userStore, {installStore});
        QCOMPARE(vv::DatabaseFolder(reg, m_install), fill(database));
        QCOMPARE(vv::TemplatesFolder(reg, m_install).folder, fill(templates));
        QCOMPARE(vv::DownloadAddress(reg), QUrl(download));
        // A missing "Database" is written once, with the program folder.
        QString stored;
        QCOMPARE(reg.ReadRegistryValue(vv::kProductKey, "Database", stored), true);
        QCOMPARE(stored.isEmpty(), user.contains("Database="));
    }

    // The rule the add dialog warns by must agree with where the main window
    // looks: a picture added beside a document is found exactly when the rule
    // says it is shown.
    void previewTypeShown_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("shown");
        QTest::newRow("jpg") << "bild.jpg" << true;
        QTest::newRow("JPG from Windows") << "BILD.JPG" << true;
        QTest::newRow("Gif") << "foto.Gif" << true;
        QTest::newRow("png") << "bild.png" << false;
        QTest::newRow("jpeg: cut by count to peg") << "bild.jpeg" << false;
        QTest::newRow("jfif") << "bild.jfif" << false;
        QTest::newRow("gif behind another dot") << "bild.svg.gif" << true;
        QTest::newRow("no dot, ends in jpg") << "scanjpg" << true;
        QTest::newRow("gi") << "bild.gi" << false;
        QTest::newRow("jpg then blank") << "bild.jpg " << false;
    }
    void previewTypeShown()
    {
        QFETCH(QString, picture);
        QFETCH(bool, shown);
        QCOMPARE(vv::Library::PreviewTypeShown(picture), shown);
        WriteIni(m_user, {"CAT/01=Steuern"});
        QDir().mkpath(m_templates + "/Steuern");
        const QString source = m_tmp.path() + "/quelle/";
        WriteAll(source + "Antrag.pdf", "%PDF");
        WriteAll(source + picture, "GIF89a");
        const vv::AddResult r = library().AddDocument("Steuern", "Antrag.pdf", "", source + "Antrag.pdf", source + picture);
        QVERIFY(r.previewCopied);
        const vv::Library lib = library();
        lib.Documents(m_templates + "/Steuern");
        QCOMPARE(!lib.PreviewPicture(m_templates + "/Steuern", "Antrag.pdf").isEmpty(), shown);
        QDir(m_templates + "/Steuern").removeRecursively();
    }

    // The main window's place: stored and read back, garbled values ignored.
    void windowPlacement_data()
    {
        QTest::addColumn<QString>("stored"); // null: nothing stored
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("nothing stored") << QString() << QRect() << false;
        QTest::newRow("plain") << "10,20,640,480" << QRect(10, 20, 640, 480) << false;
        QTest::newRow("maximised") << "10,20,640,480,max" << QRect(10, 20, 640, 480) << true;
        QTest::newRow("on a screen left of the first") << "-1280, 0, 800, 600" << QRect(-1280, 0, 800, 600) << false;
        QTest::newRow("blanks") << " 1 , 2 , 3 , 4 " << QRect(1, 2, 3, 4) << false;
        QTest::newRow("three numbers") << "10,20,640" << QRect() << false;
        QTest::newRow("no size") << "10,20,0,480" << QRect() << false;
        QTest::newRow("negative size") << "10,20,-640,480" << QRect() << false;
        QTest::newRow("letters") << "10,20,640,4x0" << QRect() << false;
        QTest::newRow("beyond any screen") << "10,20,640,999999999" << QRect() << false;
        QTest::newRow("unknown fifth part") << "10,20,640,480,min" << QRect() << false;
        QTest::newRow("empty") << "" << QRect() << false;
    }
    void windowPlacement()
    {
        QFETCH(QString, stored);
        QFETCH(QRect, rect);
        QFETCH(bool, maximized);
        const QString store = m_tmp.path() + "/placement.conf";
        QFile::remove(store);
        vv::Registry reg(store, {});
        if (!stored.isNull())
            QVERIFY(reg.WriteRegistryValue(vv::kProductKey, "MainWindow", stored));
        const vv::WindowPlacement read = vv::StoredWindowPlacement(reg);
        QCOMPARE(read.rect, rect);
        QCOMPARE(read.maximized, maximized);
        if (rect.isNull())
            return;
        // What is stored reads back the same.
        QVERIFY(vv::StoreWindowPlacement(reg, read));
        const vv::WindowPlacement again = vv::StoredWindowPlacement(reg);
        QCOMPARE(again.rect, rect);
        QCOMPARE(again.maximized, maximized);
    }

    // Never larger than the screen's free area less the frame, wholly on it,
    // as near to the wish as that allows.
    void fitOnScreen_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        const QRect screen(0, 0, 1280, 1024);
        // Frame: 4 left, 30 top, 4 right, 4 bottom.
        QTest::newRow("fits as it is") << QRect(100, 100, 640, 480) << screen << QRect(100, 100, 640, 480);
        QTest::newRow("first start: centred") << QRect() << screen << QRect(320, 285, 640, 480);
        QTest::newRow("twice the scale: the screen is half") << QRect() << QRect(0, 0, 640, 512)
                                                             << QRect(4, 30, 632, 478);
        QTest::newRow("taller than the screen") << QRect(100, 50, 640, 2000) << screen << QRect(100, 30, 640, 990);
        QTest::newRow("wider than the screen") << QRect(-50, 100, 3000, 480) << screen << QRect(4, 100, 1272, 480);
        QTest::newRow("off to the right") << QRect(1200, 100, 640, 480) << screen << QRect(636, 100, 640, 480);
        QTest::newRow("below the bottom") << QRect(100, 900, 640, 480) << screen << QRect(100, 540, 640, 480);
        QTest::newRow("above the top: title bar stays reachable") << QRect(100, -200, 640, 480) << screen
                                                                  << QRect(100, 30, 640, 480);
        QTest::newRow("a second screen on the left") << QRect(-1000, 100, 640, 480) << QRect(-1280, 0, 1280, 1024)
                                                     << QRect(-1000, 100, 640, 480);
        QTest::newRow("screen with a panel on top") << QRect(0, 0, 640, 480) << QRect(0, 40, 1280, 984)
                                                    << QRect(4, 70, 640, 480);
        QTest::newRow("a screen smaller than the frame") << QRect(10, 10, 640, 480) << QRect(0, 0, 6, 20)
                                                         << QRect(4, 30, 1, 1);
    }
    void fitOnScreen()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        QCOMPARE(vv::FitOnScreen(wanted, QSize(640, 480), available, QMargins(4, 30, 4, 4)), expected);
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
