#include "GifWriter.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using vv::EncodeGif;
using vv::WriteGif;

namespace {

// Largest per-channel error of the fixed palette: half a cube step, and
// half a step of its grey ramp for grey pixels.
constexpr int kCube = 26;
constexpr int kGrey = 4;

QImage Filled(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(colour);
    return img;
}

QImage DistinctColours(int count, int w)
{
    const int h = (count + w - 1) / w;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    for (int i = 0; i < count; ++i)
        img.setPixel(i % w, i / w, qRgb((i * 37) & 0xff, (i * 11) & 0xff, i & 0xff));
    return img;
}

QImage Gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), (x + y) & 0xff));
    return img;
}

QImage Noise(int w, int h, quint32 seed, bool withAlpha)
{
    QRandomGenerator rng(seed);
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const quint32 v = rng.generate();
            const int alpha = withAlpha ? int((v >> 24) & 0xff) : 255;
            img.setPixel(x, y, qRgba(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff, alpha));
        }
    return img;
}

// Few colours, so the palette stays exact, and runs of every length up to
// the row width, which exercises the dictionary.
QImage Stripes(int w, int h, int colours)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(((x * y) % colours) * 255 / qMax(1, colours - 1), 40, 200));
    return img;
}

QImage Decode(const QByteArray &bytes, QByteArray *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    *format = reader.format();
    return reader.read();
}

} // namespace

class TestGifWriter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        vvtest::IsolateEnvironment(root_.path());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("greyTolerance");

        QTest::newRow("1x1") << Filled(1, 1, qRgb(200, 10, 30)) << 0 << 0;
        QTest::newRow("1x1 white") << Filled(1, 1, qRgb(255, 255, 255)) << 0 << 0;
        QTest::newRow("two colours 2x1") << DistinctColours(2, 2) << 0 << 0;
        QTest::newRow("odd width 37x5") << Stripes(37, 5, 7) << 0 << 0;
        QTest::newRow("odd width 301x3 long runs") << Stripes(301, 3, 3) << 0 << 0;
        QTest::newRow("one colour 640x480") << Filled(640, 480, qRgb(12, 34, 56)) << 0 << 0;
        QTest::newRow("one row 5000x1") << Stripes(5000, 1, 2) << 0 << 0;
        QTest::newRow("one column 1x777") << Gradient(1, 777) << kCube << kGrey;
        QTest::newRow("exactly 256 colours") << DistinctColours(256, 16) << 0 << 0;
        QTest::newRow("257 colours") << DistinctColours(257, 16) << kCube << kGrey;
        QTest::newRow("gradient 300x420") << Gradient(300, 420) << kCube << kGrey;
        QTest::newRow("noise 257x129") << Noise(257, 129, 7, false) << kCube << kGrey;
        QTest::newRow("noise odd 33x999") << Noise(33, 999, 11, false) << kCube << kGrey;
        QTest::newRow("alpha noise") << Noise(63, 41, 3, true) << kCube << kGrey;

        QImage fewWithHole = Stripes(20, 20, 5).convertToFormat(QImage::Format_ARGB32);
        for (int y = 5; y < 12; ++y)
            for (int x = 3; x < 17; ++x)
                fewWithHole.setPixel(x, y, qRgba(0, 0, 0, y % 2 ? 0 : 127));
        QTest::newRow("few colours with transparent hole") << fewWithHole << 0 << 0;

        // 255 colours leave room for the transparent entry, 256 do not.
        QImage fits = DistinctColours(255, 16).convertToFormat(QImage::Format_ARGB32);
        fits.setPixel(15, 15, qRgba(0, 0, 0, 0));
        QTest::newRow("255 colours + transparent") << fits << 0 << 0;
        QImage full = DistinctColours(256, 16).convertToFormat(QImage::Format_ARGB32);
        full = full.copy(0, 0, 16, 17);
        full.setPixel(0, 16, qRgba(0, 0, 0, 0));
        QTest::newRow("256 colours + transparent") << full << kCube << kGrey;

        // Greys beside many colours: the antialiased edges of drawn text.
        QImage greys = Noise(256, 40, 5, false);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 256; ++x)
                greys.setPixel(x, y, qRgb(x, x, x));
        QTest::newRow("greys among many colours") << greys << kCube << kGrey;
        QImage greysAlpha = greys;
        greysAlpha.setPixel(0, 39, qRgba(0, 0, 0, 0));
        QTest::newRow("greys among many colours + transparent") << greysAlpha << kCube << kGrey;

        QTest::newRow("indexed source") << Stripes(50, 30, 4).convertToFormat(QImage::Format_Indexed8) << 0 << 0;
        QTest::newRow("grey source") << Gradient(256, 3).convertToFormat(QImage::Format_Grayscale8) << 0 << 0;
    }

    void roundTrip()
    {
        QFETCH(QImage, source);
        QFETCH(int, tolerance);
        QFETCH(int, greyTolerance);

        const QByteArray gif = EncodeGif(source);
        QVERIFY(gif.startsWith("GIF89a"));
        QCOMPARE(gif.back(), '\x3b');

        QByteArray format;
        const QImage back = Decode(gif, &format);
        QCOMPARE(format, QByteArray("gif"));
        QVERIFY(!back.isNull());
        QCOMPARE(back.size(), source.size());

        const QImage src = source.convertToFormat(QImage::Format_ARGB32);
        const QImage got = back.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < src.height(); ++y) {
            for (int x = 0; x < src.width(); ++x) {
                const QRgb s = src.pixel(x, y);
                const QRgb g = got.pixel(x, y);
                const QString where = QStringLiteral("pixel %1,%2 source %3 read %4")
                                          .arg(x)
                                          .arg(y)
                                          .arg(s, 8, 16, QChar('0'))
                                          .arg(g, 8, 16, QChar('0'));
                if (qAlpha(s) < 128) {
                    QVERIFY2(qAlpha(g) == 0, qPrintable(where));
                    continue;
                }
                QVERIFY2(qAlpha(g) == 255, qPrintable(where));
                const bool grey = qRed(s) == qGreen(s) && qGreen(s) == qBlue(s);
                const int tol = grey ? qMin(tolerance, greyTolerance) : tolerance;
                QVERIFY2(qAbs(qRed(s) - qRed(g)) <= tol, qPrintable(where));
                QVERIFY2(qAbs(qGreen(s) - qGreen(g)) <= tol, qPrintable(where));
                QVERIFY2(qAbs(qBlue(s) - qBlue(g)) <= tol, qPrintable(where));
            }
        }
    }

    void refusesWhatGifCannotHold_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::newRow("null") << QImage();
        QTest::newRow("too wide") << QImage(65536, 1, QImage::Format_RGB32);
        QTest::newRow("too high") << QImage(1, 65536, QImage::Format_RGB32);
    }

    void refusesWhatGifCannotHold()
    {
        QFETCH(QImage, source);
        QVERIFY(EncodeGif(source).isEmpty());
        const QString path = root_.filePath("refused.gif");
        QVERIFY(!WriteGif(source, path));
        QVERIFY(!QFile::exists(path));
    }

    void writesFileReadByContent()
    {
        // An odd extension: the reader has to recognise the content.
        const QString path = root_.filePath("preview.map");
        const QImage source = Gradient(120, 80);
        QVERIFY(WriteGif(source, path));
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), QByteArray("gif"));
        QCOMPARE(reader.read().size(), source.size());

        // Rewriting replaces the old picture.
        QVERIFY(WriteGif(Filled(3, 2, qRgb(0, 0, 255)), path));
        QImageReader again(path);
        again.setDecideFormatFromContent(true);
        const QImage small = again.read();
        QCOMPARE(small.size(), QSize(3, 2));
        QCOMPARE(small.pixel(2, 1) | 0xff000000u, qRgb(0, 0, 255));
    }

    void failsOnMissingFolder()
    {
        QVERIFY(!WriteGif(Filled(2, 2, qRgb(1, 2, 3)), root_.filePath("no/such/folder/x.gif")));
    }

private:
    QTemporaryDir root_;
};

QTEST_GUILESS_MAIN(TestGifWriter)
#include "tst_gifwriter.moc"
