// Fuzz target for the GIF reader: any input decodes without reading past it
// or allocating beyond the limit, and where Qt's reader shows a picture of it
// ours shows the same pixels. Not compared: damaged files (Qt fills gaps from
// bytes it read for something else), and what lies outside a frame that
// brings its own palette (Qt paints that from memory it has not filled).

#include "GifReader.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Small pictures only: both readers refuse the same sizes, quickly.
    QImageReader::setAllocationLimit(4);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // No copy: a read past the input's end is caught at its last byte.
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const vv::GifPicture ours = vv::DecodeGif(bytes);
    const bool shown = ours.outcome == vv::GifPicture::Complete || ours.outcome == vv::GifPicture::Truncated
                       || ours.outcome == vv::GifPicture::Damaged;
    Check(ours.image.isNull() != shown, "a picture without an outcome that has one");
    if (!shown || !vv::IsGif(bytes))
        return 0;
    Check(qint64(ours.image.sizeInBytes()) <= qint64(QImageReader::allocationLimit()) << 20, "beyond the limit");

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    const QImage qt = reader.read();
    if (ours.outcome == vv::GifPicture::Damaged)
        return 0;
    Check(!qt.isNull(), "Qt shows nothing");
    Check(qt.size() == ours.image.size() && qt.format() == ours.image.format(), "size or format differ from Qt's");
    const QRect frame = ours.frame & ours.image.rect();
    if (ours.localPalette && frame != ours.image.rect())
        return 0;
    const QImage a = ours.image.convertToFormat(QImage::Format_ARGB32);
    const QImage b = qt.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        Check(std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) == 0,
              "pixels differ from Qt's");
    return 0;
}
