// What a drop onto the document list hands to the add dialog: PDF files
// only, each once, and nothing at all when anything else is among them.

#include "DroppedFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace vvtest;

class TestDroppedFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

    QString path(const QString &name) const { return m_tmp.path() + "/eingang/" + name; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
        for (const char *name : {"Antrag.pdf", "GROSS.PDF", "Mit Blank ä.pdf", "bild.jpg", "pdf", "Vertrag.pdf.txt"})
            WriteAll(path(name), "%PDF");
        QDir().mkpath(path("Ordner.pdf"));
        QVERIFY(QFile::link(path("Antrag.pdf"), path("Verweis.pdf")));
        QVERIFY(QFile::link(path("fehlt.pdf"), path("Toter Verweis.pdf")));
        QCOMPARE(mkfifo(QFile::encodeName(path("Rohr.pdf")).constData(), 0600), 0);
        for (int i = 0; i < 11; ++i)
            WriteAll(path(QStringLiteral("Viele%1.pdf").arg(i)), "%PDF");
    }

    void check_data()
    {
        QTest::addColumn<QStringList>("dropped"); // names below the folder; "http:…" a web address
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QStringList>("paths");
        const int ok = vv::DroppedFiles::Documents, refused = vv::DroppedFiles::NotDocuments,
                  tooMany = vv::DroppedFiles::TooMany;
        QStringList ten, eleven;
        for (int i = 0; i < 11; ++i)
            (i < 10 ? ten : eleven) << QStringLiteral("Viele%1.pdf").arg(i);
        eleven = ten + eleven;
        QTest::newRow("one PDF") << QStringList{"Antrag.pdf"} << ok << QStringList{"Antrag.pdf"};
        QTest::newRow("capitals, blanks, umlaut") << QStringList{"GROSS.PDF", "Mit Blank ä.pdf"} << ok
                                                  << QStringList{"GROSS.PDF", "Mit Blank ä.pdf"};
        QTest::newRow("the same twice") << QStringList{"Antrag.pdf", "Antrag.pdf"} << ok << QStringList{"Antrag.pdf"};
        QTest::newRow("a link to a PDF") << QStringList{"Verweis.pdf"} << ok << QStringList{"Verweis.pdf"};
        QTest::newRow("ten: the limit") << ten << ok << ten;
        QTest::newRow("eleven") << eleven << tooMany << eleven;
        QTest::newRow("a picture") << QStringList{"bild.jpg"} << refused << QStringList{};
        QTest::newRow("a picture among PDFs") << QStringList{"Antrag.pdf", "bild.jpg"} << refused << QStringList{};
        QTest::newRow("a folder named like a PDF") << QStringList{"Ordner.pdf"} << refused << QStringList{};
        QTest::newRow("a missing file") << QStringList{"fehlt.pdf"} << refused << QStringList{};
        QTest::newRow("a dead link") << QStringList{"Toter Verweis.pdf"} << refused << QStringList{};
        QTest::newRow("a FIFO") << QStringList{"Rohr.pdf"} << refused << QStringList{};
        QTest::newRow("pdf without dot") << QStringList{"pdf"} << refused << QStringList{};
        QTest::newRow(".pdf inside the name") << QStringList{"Vertrag.pdf.txt"} << refused << QStringList{};
        QTest::newRow("a web address") << QStringList{"http://example.org/Antrag.pdf"} << refused << QStringList{};
        QTest::newRow("nothing") << QStringList{} << refused << QStringList{};
    }
    void check()
    {
        QFETCH(QStringList, dropped);
        QFETCH(int, verdict);
        QFETCH(QStringList, paths);
        QList<QUrl> urls;
        for (const QString &name : dropped)
            urls << (name.startsWith("http:") ? QUrl(name) : QUrl::fromLocalFile(path(name)));
        const vv::DroppedFiles result = vv::CheckDroppedFiles(urls);
        QCOMPARE(int(result.verdict), verdict);
        for (QString &p : paths)
            p = path(p);
        QCOMPARE(result.paths, paths);
    }

    // The file may go between the drop and its turn in the dialog.
    void stillThere()
    {
        WriteAll(path("Gleich weg.pdf"), "%PDF");
        const vv::DroppedFiles result = vv::CheckDroppedFiles({QUrl::fromLocalFile(path("Gleich weg.pdf"))});
        QCOMPARE(result.verdict, vv::DroppedFiles::Documents);
        QVERIFY(vv::DroppedFileStillThere(result.paths.first()));
        QVERIFY(QFile::remove(path("Gleich weg.pdf")));
        QVERIFY(!vv::DroppedFileStillThere(result.paths.first()));
    }
};

QTEST_GUILESS_MAIN(TestDroppedFiles)
#include "tst_droppedfiles.moc"
