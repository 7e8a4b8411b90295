#include "Picture.h"

#include "GifReader.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>

namespace vv {
namespace {

// Larger GIFs are left to Qt's reader, which reads them piece by piece.
constexpr qint64 kLargestGif = 64 << 20;

// The formats previews and templates come in, by their first bytes; empty
// for anything else, which Qt then recognises as it can.
QByteArray FormatOf(const QByteArray &head)
{
    if (IsGif(head))
        return "gif";
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

// Whether a picture of this size is shown as it is: nothing to shrink.
bool ShownWhole(const QSize &size, const QSize &shownAt)
{
    return shownAt.isEmpty() || (size.width() <= shownAt.width() && size.height() <= shownAt.height());
}

// Qt's readers that scale while decoding, holding a few rows instead of the
// whole picture: JPEG (libjpeg decodes at an eighth at the least; a
// progressive one excepted) and PNG with 8-bit colour channels.
bool ScalesWhileDecoding(QImageReader &reader)
{
    const QByteArray format = reader.format();
    if (format == "jpeg")
        return true;
    const QImage::Format pixels = reader.imageFormat();
    return format == "png" && (pixels == QImage::Format_RGB32 || pixels == QImage::Format_ARGB32);
}

// libjpeg holds every coefficient of a progressive JPEG while it decodes one,
// shrunk or not: two bytes a sample. What that takes, from the frame header;
// 0 for any other picture.
qint64 ProgressiveJpegBytes(const QString &file)
{
    QFile f(file);
    char c = 0;
    if (!f.open(QIODevice::ReadOnly) || f.read(2) != QByteArray("\xFF\xD8", 2))
        return 0;
    while (f.getChar(&c) && uchar(c) == 0xFF) {
        do {
            if (!f.getChar(&c))
                return 0;
        } while (uchar(c) == 0xFF);
        const uchar marker = uchar(c);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length follows
        const QByteArray size = f.read(2);
        const int length = size.size() == 2 ? (uchar(size[0]) << 8 | uchar(size[1])) - 2 : -1;
        if (length < 0 || marker == 0xD9 || marker == 0xDA)
            return 0;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (!frame) {
            if (!f.seek(f.pos() + length))
                return 0;
            continue;
        }
        const QByteArray h = f.read(length); // precision, height, width, components
        const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        const int components = h.size() >= 6 ? uchar(h[5]) : 0;
        if (!progressive || h.size() < 6 + 3 * components)
            return 0;
        const qint64 height = uchar(h[1]) << 8 | uchar(h[2]), width = uchar(h[3]) << 8 | uchar(h[4]);
        auto across = [&](int i) { return uchar(h[7 + 3 * i]) >> 4; };
        auto down = [&](int i) { return uchar(h[7 + 3 * i]) & 15; };
        int acrossMost = 1, downMost = 1;
        for (int i = 0; i < components; ++i) {
            acrossMost = qMax(acrossMost, across(i));
            downMost = qMax(downMost, down(i));
        }
        qint64 samples = 0;
        for (int i = 0; i < components; ++i)
            samples += (width * across(i) / acrossMost) * (height * down(i) / downMost);
        return 2 * samples;
    }
    return 0;
}

// Qt's allocation limit, one for the whole program, counts every picture at
// 32 bits per pixel; a black-and-white scan needs a thirty-second of that. For
// this one read the limit lets through what the picture really takes, within
// the same limit.
QImage ReadWhole(QImageReader &reader, const QSize &size)
{
    const int limit = QImageReader::allocationLimit();
    const QImage::Format format = reader.imageFormat();
    const int depth = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 pixels = qint64(size.width()) * size.height();
    const bool widen = limit > 0 && pixels * depth / 8 <= qint64(limit) << 20;
    if (widen)
        QImageReader::setAllocationLimit(int(qMax<qint64>(limit, (pixels * 4 >> 20) + 1)));
    const QImage image = reader.read();
    if (widen)
        QImageReader::setAllocationLimit(limit);
    return image;
}

// A smooth scale first widens the whole picture to 32 bits per pixel. Picking
// every so many pixels down to four times the size keeps that small, and the
// smooth step still averages 16 of them into each pixel. That step is given
// 32 bits itself: from fewer, it returns a black-and-white dither.
QImage Shrunk(const QImage &image, const QSize &size)
{
    const QSize between = (size * 4).boundedTo(image.size());
    QImage picked =
        between == image.size() ? image : image.scaled(between, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (picked.depth() < 32)
        picked.convertTo(picked.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return picked.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QImage ReadPicture(const QString &file, const QSize &shownAt)
{
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly))
        return QImage();
    const QByteArray format = FormatOf(device.peek(8));
    if (format == "gif" && device.size() <= kLargestGif) {
        const QImage whole = DecodeGif(device.read(device.size())).image;
        return whole.isNull() || ShownWhole(whole.size(), shownAt) ? whole : Shrunk(whole, shownAt);
    }

    // Told the format, Qt loads that one plugin instead of asking them all.
    QImageReader reader(&device, format);
    if (format.isEmpty())
        reader.setDecideFormatFromContent(true);
    else
        reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || ShownWhole(size, shownAt))
        return reader.read();
    if (ScalesWhileDecoding(reader)) {
        // Within the same limit as a picture decoded whole.
        const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
        if (limit > 0 && reader.format() == "jpeg" && ProgressiveJpegBytes(file) > limit)
            return QImage();
        reader.setScaledSize(shownAt);
        reader.setQuality(100); // averages instead of picking pixels in the last step
        return reader.read();
    }
    const QImage whole = ReadWhole(reader, size);
    return whole.isNull() ? whole : Shrunk(whole, shownAt);
}

QSize ShownSize(const QLabel *label)
{
    return label->contentsRect().size() * label->devicePixelRatioF();
}

} // namespace vv
