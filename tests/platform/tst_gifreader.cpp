// Our GIF reader against Qt's: the same pixels on every kind of valid file,
// what Qt shows of cut and damaged ones, and no more memory than Qt's limit.

#include "GifReader.h"
#include "GifWriter.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using vv::DecodeGif;
using vv::EncodeGif;
using vv::GifLayout;
using vv::GifPicture;

namespace {

// Where the first frame's descriptor starts, when only a global palette and
// no extension come before it.
qsizetype Descriptor(const QByteArray &gif)
{
    return 13 + (gif[10] & 0x80 ? 3 * (2 << (gif[10] & 7)) : 0);
}

QImage Paint(int w, int h, const std::function<QRgb(int, int)> &colour)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, colour(x, y));
    return img;
}

// More colours than a palette holds: written with the fixed palette, 8 bits.
QImage Gradient(int w, int h)
{
    return Paint(w, h, [=](int x, int y) { return qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), (x ^ y) & 0xff); });
}

// Few colours in stripes and steps: long runs, so long LZW strings.
QImage Stripes(int w, int h, int colours)
{
    return Paint(w, h, [=](int x, int y) { return qRgb(((x / 3 + y) % colours) * 255 / qMax(1, colours - 1), 40, 200); });
}

// Random pixels fill the code table quickly: codes grow to 12 bits and the
// table runs full again and again.
QImage Noise(int w, int h, quint32 seed, int colours, bool holes = false)
{
    QRandomGenerator rng(seed);
    return Paint(w, h, [&](int, int) {
        const quint32 v = rng.bounded(quint32(colours));
        if (holes && v == 0)
            return qRgba(0, 0, 0, 0);
        return qRgb(int(v * 97) & 0xff, int(v * 31) & 0xff, int(v) & 0xff);
    });
}

QImage WithHole(QImage img)
{
    for (int y = img.height() / 4; y < img.height() / 2; ++y)
        for (int x = img.width() / 3; x < img.width() * 2 / 3; ++x)
            img.setPixel(x, y, qRgba(0, 0, 0, 0));
    return img;
}

GifLayout Layout(const std::function<void(GifLayout &)> &set)
{
    GifLayout layout;
    set(layout);
    return layout;
}

using Codes = QList<QPair<int, int>>; // code, bits

Codes Wide(int bits, const QList<int> &codes)
{
    Codes out;
    for (int c : codes)
        out.append({c, bits});
    return out;
}

// Indices as literal codes, with a clear code before the code table would
// make the codes wider, and the end code.
Codes Literals(int minCodeSize, const QList<int> &indices)
{
    const int clear = 1 << minCodeSize;
    QList<int> codes{clear};
    int since = 0;
    for (int i : indices + QList<int>{clear + 1}) {
        if (since == clear - 1) {
            codes.append(clear);
            since = 0;
        }
        codes.append(i);
        ++since;
    }
    return Wide(minCodeSize + 1, codes);
}

// A file written by hand: screen, a palette of 2^bits greys, one frame of
// codes given as they are, packed into sub-blocks.
QByteArray HandMade(QSize screen, QRect frame, int bits, int minCodeSize, const Codes &codes,
                    const QByteArray &beforeFrame = {})
{
    QByteArray gif("GIF89a");
    auto word = [&](int v) { gif.append(char(v & 0xff)).append(char(v >> 8)); };
    word(screen.width());
    word(screen.height());
    gif.append(char(0x80 | (bits - 1))).append(char(1)).append('\0');
    for (int i = 0; i < (1 << bits); ++i)
        gif.append(QByteArray(3, char(i * 255 / ((1 << bits) - 1))));
    gif.append(beforeFrame);
    gif.append(',');
    word(frame.x());
    word(frame.y());
    word(frame.width());
    word(frame.height());
    gif.append('\0').append(char(minCodeSize));
    QByteArray data;
    quint32 acc = 0;
    int n = 0;
    for (const auto &[code, bits] : codes) {
        acc |= quint32(code) << n;
        for (n += bits; n >= 8; n -= 8, acc >>= 8)
            data.append(char(acc & 0xff));
    }
    if (n > 0)
        data.append(char(acc & 0xff));
    for (qsizetype pos = 0; pos < data.size(); pos += 255) {
        const qsizetype size = qMin<qsizetype>(255, data.size() - pos);
        gif.append(char(size)).append(data.mid(pos, size));
    }
    return gif.append('\0').append(';');
}

// Told it is a GIF, Qt's reader takes any signature; by content only these two.
QImage QtDecode(QByteArray bytes, bool byContent = false)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, byContent ? QByteArray() : QByteArray("gif"));
    return reader.read();
}

// The first differing pixel inside area, or an empty string.
QString Difference(const QImage &ours, const QImage &qt, QRect area = QRect())
{
    if (ours.size() != qt.size() || ours.format() != qt.format())
        return QStringLiteral("size or format differ: %1x%2 %3, Qt %4x%5 %6")
            .arg(ours.width()).arg(ours.height()).arg(ours.format())
            .arg(qt.width()).arg(qt.height()).arg(qt.format());
    const QImage a = ours.convertToFormat(QImage::Format_ARGB32);
    const QImage b = qt.convertToFormat(QImage::Format_ARGB32);
    area = area.isNull() ? a.rect() : area & a.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("pixel %1,%2: %3, Qt %4").arg(x).arg(y)
                    .arg(a.pixel(x, y), 8, 16, QChar('0')).arg(b.pixel(x, y), 8, 16, QChar('0'));
    return {};
}

} // namespace

class TestGifReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        vvtest::IsolateEnvironment(root_.path());
    }

    void sameAsQt_data()
    {
        QTest::addColumn<QByteArray>("gif");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QRect>("compared"); // null: all of it

        // The demo's previews, as the generator writes them.
        QProcess demo;
        demo.start(QDir::cleanPath(QStringLiteral(VV_INSTALL_DIR "/../tools/vorlagen-demo")), {root_.filePath("demo")});
        demo.waitForFinished(60000);
        int previews = 0;
        for (QDirIterator it(root_.filePath("demo"), {"*.gif"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); ++previews) {
            const QString path = it.next();
            QTest::newRow(qPrintable("demo " + QFileInfo(path).fileName())) << vvtest::ReadAll(path) << int(GifPicture::Complete) << QRect();
        }
        QTest::newRow("the demo has GIF previews") << QByteArray(previews < 3 ? "" : "GIF") << -1 << QRect();

        const int complete = GifPicture::Complete;
        auto row = [&](const char *name, const QImage &img, const GifLayout &layout = GifLayout()) {
            QTest::newRow(name) << EncodeGif(img, layout) << complete << QRect();
        };
        row("preview size, many colours", Gradient(300, 420));
        row("1x1", Gradient(1, 1));
        row("one column", Stripes(1, 300, 5));
        row("GIF87a", Stripes(40, 30, 6), Layout([](GifLayout &l) { l.gif87 = true; }));
        row("two colours, 1-bit palette", Stripes(33, 17, 2));
        row("minimum code size 8 for 4 colours", Stripes(64, 64, 4), Layout([](GifLayout &l) { l.minCodeSize = 8; }));
        row("noise: codes to 12 bits, clear when full", Noise(257, 129, 7, 256));
        row("noise, 16 colours", Noise(200, 200, 3, 16));
        row("full table kept, no clear", Noise(257, 129, 9, 256), Layout([](GifLayout &l) { l.clearWhenFull = false; }));
        row("full table kept, few colours", Noise(300, 300, 4, 5), Layout([](GifLayout &l) { l.clearWhenFull = false; }));
        row("no end code", Stripes(50, 20, 3), Layout([](GifLayout &l) { l.endCode = false; }));
        row("transparent colour", WithHole(Stripes(60, 40, 7)));
        row("transparent noise", Noise(90, 70, 5, 64, true));
        row("local palette", Stripes(45, 45, 9), Layout([](GifLayout &l) { l.localPalette = true; }));
        row("local palette, transparent", WithHole(Gradient(64, 48)), Layout([](GifLayout &l) { l.localPalette = true; }));
        for (int h : {1, 2, 3, 4, 5, 8, 9, 37, 420})
            row(qPrintable(QStringLiteral("interlaced, %1 rows").arg(h)), Gradient(23, h),
                Layout([](GifLayout &l) { l.interlaced = true; }));
        row("interlaced, transparent", WithHole(Stripes(31, 29, 5)), Layout([](GifLayout &l) { l.interlaced = true; }));
        row("offset in a larger screen", Stripes(40, 30, 5),
            Layout([](GifLayout &l) { l.screen = {100, 80}; l.offset = {13, 21}; l.background = 2; }));
        row("offset, background beyond the palette", Stripes(40, 30, 3),
            Layout([](GifLayout &l) { l.screen = {60, 50}; l.offset = {5, 5}; l.background = 200; }));
        row("offset, transparent", WithHole(Stripes(40, 30, 5)),
            Layout([](GifLayout &l) { l.screen = {90, 90}; l.offset = {30, 40}; }));
        row("frame past the right and bottom edge", Gradient(50, 40),
            Layout([](GifLayout &l) { l.screen = {60, 50}; l.offset = {30, 25}; }));
        row("interlaced frame past the bottom edge", Gradient(20, 40),
            Layout([](GifLayout &l) { l.screen = {30, 30}; l.offset = {4, 10}; l.interlaced = true; }));
        row("frame right of the screen", Stripes(10, 10, 3),
            Layout([](GifLayout &l) { l.screen = {20, 20}; l.offset = {25, 0}; }));
        // Qt fills the rest from a palette it has not read yet: only the frame compares.
        QTest::newRow("local palette, offset")
            << EncodeGif(Stripes(30, 20, 4), Layout([](GifLayout &l) { l.localPalette = true; l.screen = {50, 40}; l.offset = {10, 10}; }))
            << complete << QRect(10, 10, 30, 20);

        // A screen of 0x0 takes the frame's size.
        QByteArray zero = EncodeGif(Stripes(12, 7, 3));
        zero.replace(6, 4, QByteArray(4, '\0'));
        QTest::newRow("screen 0x0") << zero << complete << QRect();

        // Rows beyond the frame's height are drawn while the screen has room.
        const Codes literals = Literals(2, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3});
        QTest::newRow("more pixels than the frame")
            << HandMade({4, 3}, {0, 0, 4, 1}, 2, 2, literals) << complete << QRect();
        QTest::newRow("frame 0 pixels wide")
            << HandMade({5, 5}, {1, 1, 0, 3}, 2, 2, literals) << complete << QRect();
        QTest::newRow("indices beyond a palette of 2")
            << HandMade({4, 2}, {0, 0, 4, 2}, 1, 3, Literals(3, {0, 1, 2, 3, 4, 5, 7, 6})) << complete << QRect();
        // Literals above 255 and codes past the next free one: Qt keeps the
        // index's low byte and repeats the last string.
        QTest::newRow("minimum code size 12")
            << HandMade({3, 2}, {0, 0, 3, 2}, 2, 12, Wide(13, {4096, 1, 258, 4099, 4097})) << complete << QRect();

        // Cut files show what arrived.
        const QByteArray big = EncodeGif(Gradient(120, 90));
        for (qsizetype cut : {big.size() - 1, big.size() - 2, big.size() / 2, qsizetype(800)})
            QTest::newRow(qPrintable(QStringLiteral("cut to %1 of %2 bytes").arg(cut).arg(big.size())))
                << big.left(cut) << int(cut >= big.size() - 1 ? GifPicture::Complete : GifPicture::Truncated) << QRect();
        const QByteArray interlaced = EncodeGif(Gradient(40, 64), Layout([](GifLayout &l) { l.interlaced = true; }));
        const qsizetype data = Descriptor(interlaced) + 11;
        QTest::newRow("interlaced, cut in the second pass")
            << interlaced.left(data + (interlaced.size() - data) * 3 / 16) << int(GifPicture::Truncated) << QRect();
    }

    void sameAsQt()
    {
        QFETCH(QByteArray, gif);
        QFETCH(int, outcome);
        QFETCH(QRect, compared);
        QVERIFY2(!gif.isEmpty(), "no GIF written");
        if (outcome < 0)
            return;
        const GifPicture ours = DecodeGif(gif);
        const QImage qt = QtDecode(gif);
        QVERIFY(!qt.isNull());
        QCOMPARE(int(ours.outcome), outcome);
        const QString difference = Difference(ours.image, qt, compared);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // Files Qt cannot read are no picture here either; damaged data shows
    // what came before the damage, as Qt shows it of a short file.
    void damaged_data()
    {
        QTest::addColumn<QByteArray>("gif");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("asQt"); // Qt shows a picture, the same

        const QByteArray good = EncodeGif(Stripes(20, 10, 4));
        const int none = GifPicture::NoPicture;
        QTest::newRow("empty") << QByteArray() << none << false;
        QTest::newRow("header only") << good.left(6) << none << false;
        QTest::newRow("other signature") << QByteArray("GIF88a").append(good.mid(6)) << none << false;
        QTest::newRow("cut in the screen descriptor") << good.left(10) << none << false;
        QTest::newRow("cut in the palette") << good.left(16) << none << false;
        QTest::newRow("trailer before any frame") << good.left(13 + 12).append(';') << none << false;
        QTest::newRow("junk before the frame") << good.left(13 + 12).append('x').append(good.mid(25)) << none << false;
        const qsizetype minimum = Descriptor(good) + 10;
        QTest::newRow("cut after the frame descriptor") << good.left(minimum) << none << false;
        QTest::newRow("cut after the code size") << good.left(minimum + 1) << none << false;
        QByteArray wide = good;
        wide[minimum] = 13;
        QTest::newRow("code size 13") << wide << none << false;
        const QByteArray extension = QByteArray("\x21\xfe\x03""abc\x00", 7);
        QTest::newRow("cut in an extension") << good.left(25).append(extension.left(4)) << none << false;

        const int damaged = GifPicture::Damaged;
        // Clear 4, end 5, entries from 6. The first code after a clear may
        // be an entry's: 7 is taken as a pixel, then entry 6 leads to the
        // undefined 7.
        // Two good pixels first, so that Qt has begun the picture.
        const Codes prefix = Wide(3, {4, 1, 2});
        QTest::newRow("chain through an undefined code")
            << HandMade({6, 2}, {0, 0, 6, 2}, 2, 2, prefix + Wide(3, {4, 7, 1, 6, 2, 5})) << damaged << true;
        // Entry 6 made of the pixel 6 and itself.
        QTest::newRow("code pointing at itself")
            << HandMade({6, 2}, {0, 0, 6, 2}, 2, 2, prefix + Wide(3, {4, 6, 1, 6, 5})) << damaged << true;
        // Entry 7 points at 7 after a code past the next free one.
        QTest::newRow("loop after a repeated string")
            << HandMade({6, 2}, {0, 0, 6, 2}, 2, 2, prefix + Wide(3, {4, 1, 7, 2}) + Wide(4, {7, 5})) << damaged << true;
        // Qt takes the missing bytes from what it read before.
        QTest::newRow("short graphic control block")
            << HandMade({2, 1}, {0, 0, 2, 1}, 2, 2, Literals(2, {1, 2}), QByteArray("\x21\xf9\x02\x01\x00\x00", 6))
            << damaged << false;
    }

    void damaged()
    {
        QFETCH(QByteArray, gif);
        QFETCH(int, outcome);
        QFETCH(bool, asQt);
        const GifPicture ours = DecodeGif(gif);
        QCOMPARE(int(ours.outcome), outcome);
        QCOMPARE(ours.image.isNull(), outcome == GifPicture::NoPicture);
        const QImage qt = QtDecode(gif, true);
        if (outcome == GifPicture::NoPicture)
            QVERIFY(qt.isNull());
        if (asQt)
            QCOMPARE(Difference(ours.image, qt), QString());
    }

    // The limit Qt's readers keep to, decided before anything is allocated.
    void allocationLimit_data()
    {
        QTest::addColumn<QByteArray>("gif");
        QTest::addColumn<int>("limitMb");
        QTest::addColumn<bool>("read");

        QByteArray huge = EncodeGif(Stripes(4, 4, 2));
        huge.replace(6, 4, QByteArray("\x60\xea\x60\xea", 4)); // 60000 x 60000
        QTest::newRow("60000 x 60000, default limit") << huge << QImageReader::allocationLimit() << false;
        QTest::newRow("60000 x 60000, no limit") << huge << 0 << false;
        QTest::newRow("512 x 512 in 1 MB") << EncodeGif(Stripes(512, 512, 3)) << 1 << true;
        QTest::newRow("512 x 513 in 1 MB") << EncodeGif(Stripes(512, 513, 3)) << 1 << false;
        QByteArray offset = EncodeGif(Stripes(8, 8, 3));
        offset.replace(6, 4, QByteArray(4, '\0'));
        const qsizetype frame = Descriptor(offset) + 1;
        offset.replace(frame, 4, QByteArray("\x00\x02\x00\x02", 4)); // at 512,512: a screen of 520 x 520
        QTest::newRow("screen taken from a far frame, 1 MB") << offset << 1 << false;
        QTest::newRow("screen taken from a far frame, 2 MB") << offset << 2 << true;
    }

    void allocationLimit()
    {
        QFETCH(QByteArray, gif);
        QFETCH(int, limitMb);
        QFETCH(bool, read);
        const int before = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(limitMb);
        const GifPicture ours = DecodeGif(gif);
        const QImage qt = QtDecode(gif);
        QImageReader::setAllocationLimit(before);
        QCOMPARE(!ours.image.isNull(), read);
        QCOMPARE(!qt.isNull(), read);
        if (!read)
            QCOMPARE(int(ours.outcome), int(GifPicture::TooLarge));
    }

private:
    QTemporaryDir root_;
};

QTEST_GUILESS_MAIN(TestGifReader)
#include "tst_gifreader.moc"
