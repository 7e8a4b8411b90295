#include "GifWriter.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using vv::EncodeGif;
using vv::WriteGif;

namespace {

// Largest per-channel error of the fixed palette: half a cube step, and
// half a step of its grey ramp for grey pixels.
constexpr int kCube = 26;
constexpr int kGrey = 4;

QImage Paint(int w, int h, QImage::Format format, const std::function<QRgb(int, int)> &colour)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, colour(x, y));
    return img;
}

QImage Filled(int w, int h, QRgb colour)
{
    return Paint(w, h, QImage::Format_ARGB32, [=](int, int) { return colour; });
}

// The first count pixels all differ, the rest of the last row is black.
QImage DistinctColours(int count, int w)
{
    return Paint(w, (count + w - 1) / w, QImage::Format_RGB32, [=](int x, int y) {
        const int i = y * w + x;
        return i < count ? qRgb((i * 37) & 0xff, (i * 11) & 0xff, i & 0xff) : qRgb(0, 0, 0);
    });
}

QImage Gradient(int w, int h)
{
    return Paint(w, h, QImage::Format_RGB32,
                 [=](int x, int y) { return qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), (x + y) & 0xff); });
}

QImage Noise(int w, int h, quint32 seed, bool withAlpha)
{
    QRandomGenerator rng(seed);
    return Paint(w, h, QImage::Format_ARGB32, [&](int, int) {
        const quint32 v = rng.generate();
        return qRgba(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff, withAlpha ? int(v >> 24) : 255);
    });
}

// Few colours, so the palette stays exact, and runs of every length up to
// the row width, which exercises the dictionary.
QImage Stripes(int w, int h, int colours)
{
    return Paint(w, h, QImage::Format_RGB32,
                 [=](int x, int y) { return qRgb(((x * y) % colours) * 255 / qMax(1, colours - 1), 40, 200); });
}

// By content, as previews are read whatever their extension.
QImage Decode(QByteArray bytes, QByteArray *format)
{
    QBuffer buffer(&bytes);
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
        QTest::addColumn<bool>("exact"); // else mapped onto the fixed palette

        QTest::newRow("1x1") << Filled(1, 1, qRgb(200, 10, 30)) << true;
        QTest::newRow("odd width 37x5") << Stripes(37, 5, 7) << true;
        QTest::newRow("one colour 640x480") << Filled(640, 480, qRgb(12, 34, 56)) << true;
        QTest::newRow("exactly 256 colours") << DistinctColours(256, 16) << true;
        QTest::newRow("257 colours") << DistinctColours(257, 16) << false;
        QTest::newRow("gradient 300x420") << Gradient(300, 420) << false;
        QTest::newRow("noise 257x129") << Noise(257, 129, 7, false) << false;
        QTest::newRow("alpha noise") << Noise(63, 41, 3, true) << false;

        QImage fewWithHole = Stripes(20, 20, 5).convertToFormat(QImage::Format_ARGB32);
        for (int y = 5; y < 12; ++y)
            for (int x = 3; x < 17; ++x)
                fewWithHole.setPixel(x, y, qRgba(0, 0, 0, y % 2 ? 0 : 127));
        QTest::newRow("few colours with transparent hole") << fewWithHole << true;

        // 255 colours leave room for the transparent entry, 256 do not.
        QImage fits = DistinctColours(255, 16).convertToFormat(QImage::Format_ARGB32);
        fits.setPixel(15, 15, qRgba(0, 0, 0, 0));
        QTest::newRow("255 colours + transparent") << fits << true;
        QImage full = DistinctColours(256, 16).convertToFormat(QImage::Format_ARGB32).copy(0, 0, 16, 17);
        full.setPixel(0, 16, qRgba(0, 0, 0, 0));
        QTest::newRow("256 colours + transparent") << full << false;

        // Greys beside many colours: the antialiased edges of drawn text.
        QImage greys = Noise(256, 40, 5, false);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 256; ++x)
                greys.setPixel(x, y, qRgb(x, x, x));
        QTest::newRow("greys among many colours") << greys << false;
        greys.setPixel(0, 39, qRgba(0, 0, 0, 0));
        QTest::newRow("greys among many colours + transparent") << greys << false;

        QTest::newRow("indexed source") << Stripes(50, 30, 4).convertToFormat(QImage::Format_Indexed8) << true;
    }

    void roundTrip()
    {
        QFETCH(QImage, source);
        QFETCH(bool, exact);

        const QByteArray gif = EncodeGif(source);
        QCOMPARE(gif.back(), '\x3b'); // a reader may forgive a missing trailer, others do not
        QByteArray format;
        const QImage got = Decode(gif, &format).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(format, QByteArray("gif"));
        QCOMPARE(got.size(), source.size());

        const QImage src = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                const QRgb s = src.pixel(x, y);
                const QRgb g = got.pixel(x, y);
                const bool grey = qRed(s) == qGreen(s) && qGreen(s) == qBlue(s);
                const int off = qMax(qAbs(qRed(s) - qRed(g)), qMax(qAbs(qGreen(s) - qGreen(g)), qAbs(qBlue(s) - qBlue(g))));
                // Transparent pixels have no colour worth comparing.
                const bool ok = qAlpha(s) < 128 ? qAlpha(g) == 0
                                                : qAlpha(g) == 255 && off <= (exact ? 0 : grey ? kGrey : kCube);
                if (!ok)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 source %3 read %4")
                                         .arg(x).arg(y).arg(s, 8, 16, QChar('0')).arg(g, 8, 16, QChar('0'))));
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

    void writesFiles()
    {
        // An odd extension: the reader has to recognise the content.
        const QString path = root_.filePath("preview.map");
        QVERIFY(WriteGif(Gradient(120, 80), path));
        // Rewriting replaces the old picture.
        QVERIFY(WriteGif(Filled(3, 2, qRgb(0, 0, 255)), path));
        QByteArray format;
        const QImage small = Decode(vvtest::ReadAll(path), &format);
        QCOMPARE(format, QByteArray("gif"));
        QCOMPARE(small.size(), QSize(3, 2));
        QCOMPARE(small.pixel(2, 1) | 0xff000000u, qRgb(0, 0, 255));

        QVERIFY(!WriteGif(Filled(2, 2, qRgb(1, 2, 3)), root_.filePath("no/such/folder/x.gif")));
    }

private:
    QTemporaryDir root_;
};

QTEST_GUILESS_MAIN(TestGifWriter)
#include "tst_gifwriter.moc"
