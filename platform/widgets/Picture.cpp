#include "Picture.h"

#include <QImageReader>
#include <QLabel>

namespace vv {
namespace {

// Qt's readers that scale while decoding, holding a few rows instead of the
// whole picture: JPEG (libjpeg decodes at an eighth at the least) and PNG with
// 8-bit colour channels.
bool ScalesWhileDecoding(QImageReader &reader)
{
    const QByteArray format = reader.format();
    if (format == "jpeg")
        return true;
    const QImage::Format pixels = reader.imageFormat();
    return format == "png" && (pixels == QImage::Format_RGB32 || pixels == QImage::Format_ARGB32);
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
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (shownAt.isEmpty() || !size.isValid()
        || (size.width() <= shownAt.width() && size.height() <= shownAt.height()))
        return reader.read();
    if (ScalesWhileDecoding(reader)) {
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
