// Searching all categories at once: how texts compare, what is found where,
// and when the index reads the library again.

#include "IniFiles.h"
#include "Search.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace vvtest;

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

// "Category|document" of each hit, in order.
QStringList Names(const vv::SearchResult &r)
{
    QStringList out;
    for (const vv::SearchHit &h : r.hits)
        out << h.category + "|" + h.document;
    return out;
}

// An hour ago, so that a change a test makes shows in the file's time.
void Age(const QString &path)
{
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_install, m_templates, m_user;

    vv::LibraryPaths paths() const { return vv::LibraryPaths(m_install); }

    // The user file's entries, written at once.
    QList<vv::IniChange> m_entries;

    void document(const QString &category, const QString &name, const QString &help = QString())
    {
        WriteAll(m_templates + "/" + category + "/" + name, "%PDF-1.4\n");
        if (!help.isNull())
            m_entries << vv::IniChange::SetValue("INFO", name, help);
    }

    void ageAll()
    {
        Age(m_user);
        for (const QString &folder : QDir(m_templates).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            Age(m_templates + "/" + folder);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
    }

    // Three categories, a fourth whose folder is missing.
    void init()
    {
        m_install = m_tmp.path() + "/install";
        QDir(m_install).removeRecursively();
        m_templates = m_install + "/Vorlagen";
        m_user = m_templates + "/User.dat";
        QVERIFY(QDir().mkpath(m_templates));
        m_entries = {vv::IniChange::SetValue("CAT", "01", U("Kündigungen")),
                     vv::IniChange::SetValue("DIR", "01", U("\\Kündigungen")),
                     vv::IniChange::SetValue("CAT", "02", "Steuern"),
                     vv::IniChange::SetValue("DIR", "02", "Steuern"),
                     vv::IniChange::SetValue("CAT", "03", "Vereine"),
                     vv::IniChange::SetValue("DIR", "03", "\\Vereine"),
                     vv::IniChange::SetValue("CAT", "04", "Fehlt"),
                     vv::IniChange::SetValue("DIR", "04", "\\Fehlt")};
        document(U("Kündigungen"), U("Kündigung Mietvertrag.pdf"), "Fristgerecht zum Monatsende");
        document(U("Kündigungen"), "Kuendigung Alt.pdf");
        document(U("Kündigungen"), "Antrag (Kopie).pdf", U("Kopie für die Akten [alt]"));
        document("Steuern", "Vollmacht Finanzamt.pdf", U("Für die Steuererklärung des Mandanten"));
        document("Steuern", U("Straßenfest.pdf"), "Genehmigung");
        document("Steuern", "Einzug.pdf", "SEPA-Lastschrift a+b");
        document("Steuern", "Notiz.txt", U("Kündigung"));
        document("Vereine", "Strassenfest Anmeldung.pdf");
        document("Vereine", "Vollmacht Verein.pdf", "Vertretung im Verein");
        document("Vereine", U("Café.pdf"));
        document("Vereine", U("Müller.PDF"), U("Übergabe der Schlüssel"));
        QVERIFY(vv::ModifyIni(m_user, m_entries));
    }

    void fold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("spelled");
        QTest::newRow("umlauts, both cases") << U("ÄäÖöÜü") << "aaoouu" << "aeaeoeoeueue";
        QTest::newRow("sharp s, small and capital") << U("Straße STRAẞE") << "strasse strasse" << "strasse strasse";
        QTest::newRow("dots written apart") << U("Ku\u0308ndigung") << "kundigung" << "kuendigung";
        QTest::newRow("other accents dropped") << U("Café À Ñ") << "cafe a n" << "cafe a n";
        QTest::newRow("ascii, signs kept") << "A+B (Kopie) [1].*" << "a+b (kopie) [1].*" << "a+b (kopie) [1].*";
        QTest::newRow("no letter case elsewhere") << U("ΩΣ") << U("ωσ") << U("ωσ");
    }

    void fold()
    {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QFETCH(QString, spelled);
        QCOMPARE(vv::SearchFold(text), plain);
        QCOMPARE(vv::SearchFold(text, true), spelled);
    }

    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("hits");
        const QString mietvertrag = U("Kündigungen|Kündigung Mietvertrag.pdf");
        const QString alt = U("Kündigungen|Kuendigung Alt.pdf");
        const QString kopie = U("Kündigungen|Antrag (Kopie).pdf");
        const QString finanzamt = "Steuern|Vollmacht Finanzamt.pdf";
        const QString strassenfest = U("Steuern|Straßenfest.pdf");
        const QString anmeldung = "Vereine|Strassenfest Anmeldung.pdf";
        const QString mueller = U("Vereine|Müller.PDF");
        QTest::newRow("without dots") << "Kundigung" << QStringList{mietvertrag};
        QTest::newRow("with dots: also spelled out") << U("kündigung") << QStringList{alt, mietvertrag};
        QTest::newRow("spelled out: also with dots") << "KUENDIGUNG" << QStringList{alt, mietvertrag};
        QTest::newRow("ss finds sharp s") << "strasse" << QStringList{strassenfest, anmeldung};
        QTest::newRow("sharp s finds ss") << U("STRAßE") << QStringList{strassenfest, anmeldung};
        QTest::newRow("accent") << "cafe" << QStringList{U("Vereine|Café.pdf")};
        QTest::newRow("umlaut spelled out in a name") << "mueller" << QStringList{mueller};
        QTest::newRow("help text") << "MONATSENDE" << QStringList{mietvertrag};
        QTest::newRow("help text with umlaut") << "ubergabe" << QStringList{mueller};
        QTest::newRow("every word, in name or help text") << "vollmacht steuer" << QStringList{finanzamt};
        QTest::newRow("words in any order, blanks around") << "  steuer \t vollmacht " << QStringList{finanzamt};
        QTest::newRow("words of two documents") << "genehmigung vollmacht" << QStringList{};
        QTest::newRow("parentheses are letters") << "(kopie)" << QStringList{kopie};
        QTest::newRow("brackets are letters") << "[alt]" << QStringList{kopie};
        QTest::newRow("plus is a letter") << "a+b" << QStringList{"Steuern|Einzug.pdf"};
        QTest::newRow("no wildcard") << ".*" << QStringList{};
        QTest::newRow("no anchor") << "^vollmacht" << QStringList{};
        QTest::newRow("backslash") << "\\" << QStringList{};
        QTest::newRow("not across name and help text") << "pdffristgerecht" << QStringList{};
        QTest::newRow("only PDF documents") << "notiz" << QStringList{};
        QTest::newRow("blanks only") << "  \t " << QStringList{};
        QTest::newRow("a word repeated 1,400 times")
            << QString("Vollmacht ").repeated(1400) << QStringList{finanzamt, "Vereine|Vollmacht Verein.pdf"};
        QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('k')) << QStringList{};
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, hits);
        vv::SearchIndex index(paths());
        QVERIFY(index.Refresh());
        QCOMPARE(index.documentCount(), 10);
        const vv::SearchResult r = index.Find(text, 100);
        QCOMPARE(Names(r), hits);
        QCOMPARE(r.total, hits.size());
    }

    void hitDetails()
    {
        vv::SearchIndex index(paths());
        index.Refresh();
        const vv::SearchResult r = index.Find("vollmacht", 1);
        QCOMPARE(r.total, 2);
        QCOMPARE(r.hits.size(), 1);
        QCOMPARE(r.hits[0].categoryIndex, 1);
        QCOMPARE(r.hits[0].helpText, U("Für die Steuererklärung des Mandanten"));
    }

    // The index reads again exactly when something it shows changed.
    void refresh_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("hits");
        QTest::newRow("nothing") << "" << false << "vollmacht"
                                 << QStringList{"Steuern|Vollmacht Finanzamt.pdf", "Vereine|Vollmacht Verein.pdf"};
        QTest::newRow("document added") << "add" << true << "lohnsteuer" << QStringList{"Steuern|Lohnsteuer.pdf"};
        QTest::newRow("help text changed") << "help" << true << "fruchtfolge" << QStringList{"Steuern|Einzug.pdf"};
        QTest::newRow("document removed") << "remove" << true << "strasse"
                                          << QStringList{"Vereine|Strassenfest Anmeldung.pdf"};
        QTest::newRow("category removed") << "category" << true << "vollmacht"
                                          << QStringList{"Steuern|Vollmacht Finanzamt.pdf"};
        QTest::newRow("missing folder appears") << "folder" << true << "mahnung" << QStringList{"Fehlt|Mahnung.pdf"};
    }

    void refresh()
    {
        QFETCH(QString, change);
        QFETCH(bool, reads);
        QFETCH(QString, text);
        QFETCH(QStringList, hits);
        ageAll();
        vv::SearchIndex index(paths());
        QVERIFY(index.Refresh());
        QVERIFY(!index.Refresh());
        const vv::UserFile user(paths());
        if (change == "add")
            WriteAll(m_templates + "/Steuern/Lohnsteuer.pdf", "%PDF");
        else if (change == "help")
            QVERIFY(user.WriteDocumentInfo("Einzug.pdf", "Fruchtfolge"));
        else if (change == "remove")
            QVERIFY(QFile::remove(m_templates + U("/Steuern/Straßenfest.pdf")));
        else if (change == "category")
            QCOMPARE(user.RemoveCategory("Vereine"), 3);
        else if (change == "folder")
            WriteAll(m_templates + "/Fehlt/Mahnung.pdf", "%PDF");
        QCOMPARE(index.Refresh(), reads);
        QCOMPARE(Names(index.Find(text, 100)), hits);
    }

    // A change in the same tick of the file system's clock as the read does
    // not show in the folder's time: it is read once that tick is over.
    void changeInTheSameTick()
    {
        // Only this folder is fresh: another stamp ending its tick a moment
        // later would rightly cause a second read.
        const QString folder = m_templates + "/Steuern";
        ageAll();
        QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), nullptr, 0) == 0);
        const QDateTime tick = QFileInfo(folder).lastModified();
        vv::SearchIndex index(paths());
        QVERIFY(index.Refresh());
        WriteAll(folder + "/Lohnsteuer.pdf", "%PDF");
        struct timespec times[2];
        times[0].tv_sec = tick.toSecsSinceEpoch();
        times[0].tv_nsec = long(tick.time().msec()) * 1000000;
        times[1] = times[0];
        QVERIFY(utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0) == 0);
        QElapsedTimer waited;
        waited.start();
        while (!index.Refresh() && waited.elapsed() < 5000)
            QTest::qWait(50);
        QVERIFY(waited.elapsed() < 5000);
        QCOMPARE(Names(index.Find("lohnsteuer", 10)), QStringList{"Steuern|Lohnsteuer.pdf"});
        QVERIFY(!index.Refresh()); // once, not at every keystroke
    }

    void emptyLibrary_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("no user file") << "user";
        QTest::newRow("no categories") << "categories";
        QTest::newRow("no templates folder") << "templates";
    }

    void emptyLibrary()
    {
        QFETCH(QString, what);
        if (what == "user")
            QVERIFY(QFile::remove(m_user));
        else if (what == "categories")
            QVERIFY(vv::ModifyIni(m_user, {vv::IniChange::RemoveSection("CAT")}));
        else
            QVERIFY(QDir(m_templates).removeRecursively());
        vv::SearchIndex index(paths());
        index.Refresh();
        QCOMPARE(index.documentCount(), 0);
        QCOMPARE(index.Find("a", 10).total, 0);
    }

    // A category with an empty "DIR" has no folder of its own to search.
    void categoryWithoutFolderValue()
    {
        QVERIFY(vv::WriteIniValue(m_user, "DIR", "02", ""));
        vv::SearchIndex index(paths());
        index.Refresh();
        QCOMPARE(Names(index.Find("vollmacht", 10)), QStringList{"Vereine|Vollmacht Verein.pdf"});
    }

    // 600 documents, each with a help text: every one is found by name and
    // by its help text, with the category it lies in.
    void manyDocuments()
    {
        QList<vv::IniChange> help;
        for (int i = 0; i < 600; ++i) {
            const QString name = QStringLiteral("Dokument %1.pdf").arg(i, 4, 10, QLatin1Char('0'));
            WriteAll(m_templates + (i % 2 ? "/Vereine/" : "/Steuern/") + name, "%PDF");
            help << vv::IniChange::SetValue("INFO", name, QStringLiteral("Text Nummer x%1y").arg(i));
        }
        QVERIFY(vv::ModifyIni(m_user, help));
        vv::SearchIndex index(paths());
        index.Refresh();
        for (int i : {0, 1, 299, 598, 599}) {
            const QString name = QStringLiteral("Dokument %1.pdf").arg(i, 4, 10, QLatin1Char('0'));
            const QString where = (i % 2 ? "Vereine|" : "Steuern|") + name;
            QCOMPARE(Names(index.Find(QStringLiteral("x%1y").arg(i), 10)), QStringList{where});
            QCOMPARE(Names(index.Find(name, 10)), QStringList{where});
        }
        QCOMPARE(index.Find("dokument", 10).total, 600);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
