// Previews drawn from PDF documents the test writes itself, and the check of
// replacement templates: what is written, what is refused, and that nothing
// half-written is ever left. Pages are drawn by the PDF module beside the test
// program, loaded as the program loads the one beside it.

#include "GifWriter.h"
#include "Installation.h"
#include "PdfDrawer.h"
#include "PdfRender.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>

#include <memory>

using namespace vvtest;

namespace {

// A4 pages, the first filled with one colour, the rest with a number.
void WritePdf(const QString &path, int pages, const QColor &colour = QColor(200, 20, 20))
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(72);
    QPainter p(&writer);
    p.fillRect(QRect(0, 0, writer.width(), writer.height()), colour);
    for (int i = 1; i < pages; ++i) {
        writer.newPage();
        p.drawText(100, 100, QString::number(i + 1));
    }
}

QString Qpdf() { return QStandardPaths::findExecutable("qpdf"); }

QString BuiltModule() { return QCoreApplication::applicationDirPath() + "/" + vv::PdfModule::FileName(); }

// A real shared library that is not the PDF module.
QString OtherLibrary()
{
    QLibrary z("z", 1);
    Dl_info info{};
    const auto symbol = z.resolve("zlibVersion");
    return symbol && dladdr(reinterpret_cast<void *>(symbol), &info) ? QString::fromLocal8Bit(info.dli_fname) : QString();
}

} // namespace

class TestPdfRender : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_dir;
    std::unique_ptr<vv::PdfModule> m_missing; // in a folder without the module

    QString path(const QString &name) const { return m_dir + "/" + name; }
    // The kinds of file a library may hold; "" when it cannot be made here.
    QString make(const QString &kind)
    {
        const QString file = path(kind + ".pdf");
        if (kind == "one page")
            WritePdf(file, 1);
        else if (kind == "500 pages")
            WritePdf(file, 500, QColor(20, 20, 200));
        else if (kind == "header only")
            WriteAll(file, SmallPdf("kaputt"));
        else if (kind == "cut in half") {
            WritePdf(file, 1);
            WriteAll(file, ReadAll(file).left(int(QFileInfo(file).size() / 2)));
        } else if (kind == "empty")
            WriteAll(file, "");
        else if (kind == "text")
            WriteAll(file, "Das ist kein PDF.\n");
        else if (kind == "encrypted") {
            if (Qpdf().isEmpty())
                return QString();
            WritePdf(path("plain.pdf"), 1);
            if (QProcess::execute(Qpdf(), {"--encrypt", "geheim", "owner", "256", "--", path("plain.pdf"), file}) != 0)
                return QString();
        } else if (kind == "missing")
            QFile::remove(file);
        return file;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        IsolateEnvironment(m_tmp.path());
        QVERIFY2(QFileInfo::exists(BuiltModule()), qPrintable(BuiltModule()));
        m_missing = std::make_unique<vv::PdfModule>(m_tmp.path() + "/ohne-modul");
    }
    void init()
    {
        m_dir = m_tmp.path() + "/" + QTest::currentDataTag();
        QDir(m_dir).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir));
    }

    void preview_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QChar>("colour"); // of the picture's middle; '-' no picture
        QTest::addColumn<bool>("module");  // false: drawn without the PDF module
        using S = vv::PreviewStatus;
        QTest::newRow("one page") << "one page" << int(S::Made) << QChar('r') << true;
        QTest::newRow("500 pages: the first, at once") << "500 pages" << int(S::Made) << QChar('b') << true;
        QTest::newRow("encrypted") << "encrypted" << int(S::Encrypted) << QChar('-') << true;
        QTest::newRow("header only") << "header only" << int(S::Damaged) << QChar('-') << true;
        QTest::newRow("cut in half") << "cut in half" << int(S::Damaged) << QChar('-') << true;
        QTest::newRow("empty file") << "empty" << int(S::Damaged) << QChar('-') << true;
        QTest::newRow("text") << "text" << int(S::Damaged) << QChar('-') << true;
        QTest::newRow("missing") << "missing" << int(S::Damaged) << QChar('-') << true;
        QTest::newRow("module missing") << "one page" << int(S::NoPdfModule) << QChar('-') << false;
    }
    void preview()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QChar, colour);
        QFETCH(bool, module);
        const QString pdf = make(kind);
        if (pdf.isEmpty())
            QSKIP("qpdf is not installed (scripts/packages.sh test installs it)");
        const QString jpg = path("Vorschau.jpg");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(int(vv::MakePreview(pdf, jpg, module ? nullptr : m_missing.get())), status);
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
        const QImage image(jpg);
        QCOMPARE(image.isNull(), colour == '-');
        if (!image.isNull()) {
            QCOMPARE(image.width(), vv::kPreviewWidth);
            QVERIFY(qAbs(image.height() - vv::kPreviewWidth * 841.89 / 595.28) <= 1.0); // A4's shape
            QCOMPARE(ColourName(image.pixelColor(image.width() / 2, image.height() / 2)), colour);
            QCOMPARE(QImageReader(jpg).format(), QByteArray("jpeg"));
        }
        // Nothing but the document and the finished picture.
        QStringList expected{QFileInfo(pdf).fileName()};
        if (kind == "encrypted")
            expected << "plain.pdf";
        if (!image.isNull())
            expected << "Vorschau.jpg";
        if (kind == "missing")
            expected.removeFirst();
        expected.sort();
        QStringList files = QDir(m_dir).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        QCOMPARE(files, expected);
    }

    // A picture already there is never overwritten, and a folder that cannot
    // take the picture gets nothing.
    void previewTargets()
    {
        const QString pdf = make("one page");
        WriteAll(path("Da.jpg"), "eigenes Bild");
        QCOMPARE(vv::MakePreview(pdf, path("Da.jpg")), vv::PreviewStatus::Exists);
        QCOMPARE(ReadAll(path("Da.jpg")), QByteArray("eigenes Bild"));
        QCOMPARE(vv::MakePreview(pdf, path("fehlt/Neu.jpg")), vv::PreviewStatus::NotWritten);
        QVERIFY(!QFileInfo::exists(path("fehlt")));
    }

    void templatePicture_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("sameBytes"); // Ready: the file itself, not a drawing of it
        QTest::addColumn<bool>("module");    // false: without the PDF module
        using T = vv::TemplatePicture;
        QTest::newRow("JPEG") << "jpg" << int(T::Ready) << true << true;
        QTest::newRow("PNG") << "png" << int(T::Ready) << true << true;
        QTest::newRow("GIF") << "gif" << int(T::Ready) << true << true;
        QTest::newRow("BMP") << "bmp" << int(T::Ready) << true << true;
        QTest::newRow("PNG named .dll") << "png as dll" << int(T::Ready) << true << true;
        QTest::newRow("PDF, its first page") << "pdf" << int(T::Ready) << false << true;
        QTest::newRow("PPM is no template format") << "ppm" << int(T::NotAPicture) << false << true;
        QTest::newRow("text") << "txt" << int(T::NotAPicture) << false << true;
        QTest::newRow("PNG header without picture") << "png head" << int(T::NotAPicture) << false << true;
        QTest::newRow("50 megapixels") << "huge" << int(T::TooLarge) << false << true;
        QTest::newRow("encrypted PDF") << "encrypted" << int(T::Encrypted) << false << true;
        QTest::newRow("damaged PDF") << "damaged" << int(T::Damaged) << false << true;
        QTest::newRow("missing") << "missing" << int(T::Missing) << false << true;
        QTest::newRow("a folder") << "folder" << int(T::Missing) << false << true;
        QTest::newRow("PDF, module missing") << "pdf" << int(T::NoPdfModule) << false << false;
        QTest::newRow("PNG, module missing") << "png" << int(T::Ready) << true << false;
    }
    void templatePicture()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(bool, sameBytes);
        QFETCH(bool, module);
        QImage small(120, 170, QImage::Format_RGB32);
        small.fill(QColor(20, 180, 20));
        QString file = path("vorlage." + kind.section(' ', -1));
        if (kind == "jpg" || kind == "png" || kind == "bmp" || kind == "ppm")
            QVERIFY(small.save(file, kind.toLatin1()));
        else if (kind == "png as dll")
            QVERIFY(small.save(file, "PNG"));
        else if (kind == "gif")
            QVERIFY(vv::WriteGif(small, file));
        else if (kind == "txt")
            WriteAll(file, "kein Bild");
        else if (kind == "png head") {
            QVERIFY(small.save(file, "PNG"));
            WriteAll(file, ReadAll(file).left(40));
        } else if (kind == "huge") {
            QImage huge(10000, 5000, QImage::Format_Mono);
            huge.fill(0);
            QVERIFY(huge.save(file, "PNG"));
        } else if (kind == "pdf")
            file = make("one page");
        else if (kind == "encrypted")
            file = make("encrypted");
        else if (kind == "damaged")
            file = make("cut in half");
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(file));
        if (file.isEmpty())
            QSKIP("qpdf is not installed (scripts/packages.sh test installs it)");

        const vv::TemplatePicture picture = vv::PrepareTemplatePicture(file, module ? nullptr : m_missing.get());
        QCOMPARE(int(picture.status), status);
        QCOMPARE(picture.bytes.isEmpty(), status != vv::TemplatePicture::Ready);
        if (status != vv::TemplatePicture::Ready)
            return;
        QCOMPARE(picture.bytes == ReadAll(file), sameBytes);
        const QImage image = QImage::fromData(picture.bytes);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), picture.size);
        if (kind == "pdf") {
            // A4 at the template resolution, the page's colour kept.
            QVERIFY2(qAbs(image.width() - 595.28 / 72.0 * vv::kTemplateDpi) <= 1.0, qPrintable(QString::number(image.width())));
            QCOMPARE(ColourName(image.pixelColor(image.width() / 2, image.height() / 2)), QChar('r'));
        }
    }

    // Whatever lies in the module's place, nothing is drawn unless it is the
    // module of this build; once the module is put there, it is found.
    void module_data()
    {
        QTest::addColumn<QString>("content"); // the file to put there; "" none
        QTest::addColumn<bool>("draws");
        QTest::newRow("the built module") << BuiltModule() << true;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("a text file") << "text" << false;
        QTest::newRow("another library") << OtherLibrary() << false;
    }
    void module()
    {
        QFETCH(QString, content);
        QFETCH(bool, draws);
        const QString pdf = make("one page");
        const QString folder = path("programm");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/" + vv::PdfModule::FileName();
        if (content == "text")
            WriteAll(file, "kein Modul");
        else if (!content.isEmpty())
            QVERIFY2(QFile::copy(content, file), qPrintable(content));
        vv::PdfModule module(folder);
        QCOMPARE(module.file(), file);
        // The page's colour, '-' for NoPdfModule.
        auto colour = [&] {
            const vv::RenderedPage page = vv::RenderFirstPage(pdf, 60, &module);
            if (page.status == vv::RenderedPage::Rendered)
                return ColourName(page.image.pixelColor(30, 40));
            return page.status == vv::RenderedPage::NoPdfModule ? QChar('-') : QChar('?');
        };
        QCOMPARE(module.drawer() != nullptr, draws);
        QCOMPARE(colour(), draws ? QChar('r') : QChar('-'));
        if (!draws) {
            QFile::remove(file);
            QVERIFY(QFile::copy(BuiltModule(), file));
            QVERIFY(module.drawer());
            QCOMPARE(colour(), QChar('r'));
        }
    }

    // A module of another build hands out nothing rather than a drawer of
    // another shape.
    void moduleOfAnotherBuild()
    {
        QLibrary library(BuiltModule());
        const auto entry = reinterpret_cast<vv::PdfDrawerEntry>(library.resolve(vv::kPdfDrawerEntry));
        QVERIFY2(entry, qPrintable(library.errorString()));
        QVERIFY(entry(vv::kPdfDrawerVersion));
        QCOMPARE(entry(vv::kPdfDrawerVersion + 1), nullptr);
        QCOMPARE(entry(0), nullptr);
    }
};

QTEST_MAIN(TestPdfRender)
#include "tst_pdfrender.moc"
