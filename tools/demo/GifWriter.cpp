#include "GifWriter.h"

#include <QHash>
#include <QSaveFile>

#include <cstdint>
#include <vector>

namespace vv {
namespace {

constexpr int kMaxCodes = 4096; // 12-bit LZW codes

struct IndexedImage {
    std::vector<QRgb> palette;
    std::vector<uint8_t> pixels;
    int transparent = -1;
};

bool IsTransparent(QRgb pixel)
{
    return qAlpha(pixel) < 128;
}

// Fixed palette for pictures with many colours: a 6x6x6 cube, then a ramp
// of greys between black and white, which keeps the grey edges of drawn text
// and lines from turning into tinted cube colours.
constexpr int kCubeSize = 6 * 6 * 6;

int CubeLevel(int v)
{
    return (v * 5 + 127) / 255;
}

int MaxChannelError(QRgb a, QRgb b)
{
    return qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

std::vector<QRgb> FixedPalette(int greys)
{
    std::vector<QRgb> palette;
    palette.reserve(size_t(kCubeSize + greys));
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 1; i <= greys; ++i) {
        const int v = (i * 255 + (greys + 1) / 2) / (greys + 1);
        palette.push_back(qRgb(v, v, v));
    }
    return palette;
}

// The nearest cube colour, or the nearest grey when that is off by no more
// in any channel, so the cube's error bound holds for every pixel.
int FixedIndex(QRgb c, const std::vector<QRgb> &palette, int greys)
{
    const int cube = (CubeLevel(qRed(c)) * 6 + CubeLevel(qGreen(c))) * 6 + CubeLevel(qBlue(c));
    const int mean = (qRed(c) + qGreen(c) + qBlue(c) + 1) / 3;
    const int step = qBound(1, (mean * (greys + 1) + 127) / 255, greys);
    const int grey = kCubeSize + step - 1;
    return MaxChannelError(c, palette[size_t(grey)]) <= MaxChannelError(c, palette[size_t(cube)]) ? grey : cube;
}

IndexedImage Quantise(const QImage &source)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width();
    const int h = img.height();

    // Exact colours when they fit, which keeps flat drawings lossless.
    QHash<QRgb, int> exact;
    bool anyTransparent = false;
    bool fits = true;
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (IsTransparent(line[x])) {
                anyTransparent = true;
                continue;
            }
            if (!fits)
                continue;
            const QRgb rgb = line[x] | 0xff000000u;
            if (!exact.contains(rgb)) {
                if (exact.size() == 256)
                    fits = false;
                else
                    exact.insert(rgb, int(exact.size()));
            }
        }
    }
    if (fits && anyTransparent && exact.size() == 256)
        fits = false;

    IndexedImage out;
    const int greys = anyTransparent ? 39 : 40;
    if (fits) {
        out.palette.resize(exact.size());
        for (auto it = exact.cbegin(); it != exact.cend(); ++it)
            out.palette[it.value()] = it.key();
    } else {
        out.palette = FixedPalette(greys);
    }
    if (anyTransparent) {
        out.transparent = int(out.palette.size());
        out.palette.push_back(qRgb(255, 255, 255));
    }

    out.pixels.resize(size_t(w) * size_t(h));
    size_t i = 0;
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x, ++i) {
            const QRgb p = line[x];
            if (IsTransparent(p))
                out.pixels[i] = uint8_t(out.transparent);
            else if (fits)
                out.pixels[i] = uint8_t(exact.value(p | 0xff000000u));
            else
                out.pixels[i] = uint8_t(FixedIndex(p, out.palette, greys));
        }
    }
    return out;
}

class BitWriter {
public:
    void Write(int code, int width)
    {
        acc_ |= uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes_.append(char(acc_ & 0xff));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray Finish()
    {
        if (bits_ > 0)
            bytes_.append(char(acc_ & 0xff));
        acc_ = 0;
        bits_ = 0;
        return bytes_;
    }

private:
    QByteArray bytes_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

QByteArray Lzw(const std::vector<uint8_t> &pixels, int minCodeSize, const GifLayout &layout)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    // child[prefix * 256 + byte] = code of prefix+byte; 0 = none (no string
    // ever gets code 0, that one is a single colour).
    std::vector<uint16_t> child(size_t(kMaxCodes) * 256, 0);
    std::vector<size_t> used;
    used.reserve(kMaxCodes);

    BitWriter out;
    int width = minCodeSize + 1;
    int next = end + 1;
    out.Write(clear, width);

    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int k = pixels[i];
        const size_t slot = size_t(prefix) * 256 + size_t(k);
        if (child[slot] != 0) {
            prefix = child[slot];
            continue;
        }
        out.Write(prefix, width);
        if (next < kMaxCodes) {
            child[slot] = uint16_t(next++);
            used.push_back(slot);
            // The reader adds its entries one code later, so it widens when
            // the code just added no longer fits.
            if (next > (1 << width) && width < 12)
                ++width;
        } else if (layout.clearWhenFull) {
            out.Write(clear, width);
            for (size_t s : used)
                child[s] = 0;
            used.clear();
            width = minCodeSize + 1;
            next = end + 1;
        }
        prefix = k;
    }
    out.Write(prefix, width);
    if (layout.endCode)
        out.Write(end, width);
    return out.Finish();
}

void PutWord(QByteArray &out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Rows in the order of the four interlace passes.
std::vector<uint8_t> Interlaced(const std::vector<uint8_t> &pixels, int w, int h)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size());
    for (const auto &[first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = first; y < h; y += step)
            out.insert(out.end(), pixels.begin() + qsizetype(y) * w, pixels.begin() + qsizetype(y + 1) * w);
    return out;
}

void PutPalette(QByteArray &out, const std::vector<QRgb> &palette, int bits)
{
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < int(palette.size()) ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
}

} // namespace

QByteArray EncodeGif(const QImage &image, const GifLayout &layout)
{
    if (image.isNull() || image.width() > 0xffff || image.height() > 0xffff)
        return {};

    const IndexedImage indexed = Quantise(image);
    int bits = 1;
    while ((1 << bits) < int(indexed.palette.size()))
        ++bits;
    const int minCodeSize = qMax(layout.minCodeSize, qMax(2, bits));
    const QSize screen = layout.screen.isEmpty() ? image.size() : layout.screen;
    const char table = char(0x80 | ((bits - 1) << 4) | (bits - 1));

    QByteArray gif(layout.gif87 ? "GIF87a" : "GIF89a");
    PutWord(gif, screen.width());
    PutWord(gif, screen.height());
    gif.append(layout.localPalette ? '\0' : table);
    gif.append(char(layout.background));
    gif.append('\0'); // square pixels
    if (!layout.localPalette)
        PutPalette(gif, indexed.palette, bits);
    if (indexed.transparent >= 0) {
        gif.append("\x21\xf9\x04\x01", 4); // graphic control, transparency on
        PutWord(gif, 0); // no delay
        gif.append(char(indexed.transparent));
        gif.append('\0');
    }
    gif.append('\x2c'); // image descriptor
    PutWord(gif, layout.offset.x());
    PutWord(gif, layout.offset.y());
    PutWord(gif, image.width());
    PutWord(gif, image.height());
    gif.append(char((layout.localPalette ? table & 0x87 : 0) | (layout.interlaced ? 0x40 : 0)));
    if (layout.localPalette)
        PutPalette(gif, indexed.palette, bits);

    gif.append(char(minCodeSize));
    const QByteArray data = Lzw(layout.interlaced ? Interlaced(indexed.pixels, image.width(), image.height())
                                                  : indexed.pixels,
                                minCodeSize, layout);
    for (qsizetype pos = 0; pos < data.size(); pos += 255) {
        const qsizetype n = qMin<qsizetype>(255, data.size() - pos);
        gif.append(char(n));
        gif.append(data.constData() + pos, n);
    }
    gif.append('\0'); // end of image data
    gif.append('\x3b'); // trailer
    return gif;
}

bool WriteGif(const QImage &image, const QString &path)
{
    const QByteArray gif = EncodeGif(image);
    if (gif.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(gif) != gif.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vv
