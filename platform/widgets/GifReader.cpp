#include "GifReader.h"

#include <QImageReader>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace vv {
namespace {

// What Qt paints for an index beyond the palette: white without alpha.
constexpr QRgb kBeyond = 0x00ffffff;
constexpr int kCodes = 4096; // 12-bit LZW
// Qt refuses a logical screen of this many pixels whatever the limit.
constexpr qint64 kMostPixels = qint64(16384) * 16384;
// Qt gives up on a chain of codes this long: only a loop gets there.
constexpr int kLongestChain = 2 * kCodes;

struct Input {
    const uchar *at;
    const uchar *end;

    const uchar *Take(qsizetype n)
    {
        if (end - at < n)
            return nullptr;
        const uchar *start = at;
        at += n;
        return start;
    }
};

int Word(const uchar *p)
{
    return p[0] | p[1] << 8;
}

// Lays decoded pixels onto the screen row by row as Qt does: a row ends after
// the frame's width (at least one pixel), pixels right of the screen are
// dropped, rows follow the interlace passes within the frame's visible
// bottom, and without a transparent colour an interlaced row is copied over
// the rows its pass has not reached yet. Rows may run on past the frame;
// nothing is drawn once a row falls below the screen.
class Rows {
public:
    Rows(QImage &image, const QRect &frame, bool interlaced, bool transparent)
        : bits_(image.bits()), stride_(image.bytesPerLine()), screenWidth_(image.width()),
          screenHeight_(image.height()), left_(frame.x()), top_(frame.y()),
          rowEnd_(frame.x() + qMax(1, frame.width())), pass_(interlaced ? 1 : 0), copyDown_(!transparent)
    {
        right_ = qMax(0, qMin(left_ + frame.width(), screenWidth_) - 1);
        bottom_ = qMax(0, qMin(top_ + frame.height(), screenHeight_) - 1);
        x_ = left_;
        y_ = top_;
        done_ = left_ >= screenWidth_ || top_ >= screenHeight_;
    }

    bool Done() const { return done_; }

    // Where n pixels can go straight into the picture, or null.
    QRgb *Direct(int n) const
    {
        if (done_ || x_ + n > rowEnd_ || x_ + n > screenWidth_)
            return nullptr;
        return Line(y_) + x_;
    }

    // After n pixels were written where Direct said.
    void Advance(int n)
    {
        x_ += n;
        if (x_ >= rowEnd_)
            EndRow();
    }

    void Put(const QRgb *pixels, int n)
    {
        while (n > 0 && !done_) {
            const int take = qMin(n, rowEnd_ - x_);
            const int shown = qMin(x_ + take, screenWidth_) - x_;
            if (shown > 0)
                std::memcpy(Line(y_) + x_, pixels, size_t(shown) * sizeof(QRgb));
            pixels += take;
            n -= take;
            Advance(take);
        }
    }

private:
    QRgb *Line(int y) const { return reinterpret_cast<QRgb *>(bits_ + qsizetype(y) * stride_); }

    void CopyDown(int rows)
    {
        const int n = right_ - left_ + 1;
        if (!copyDown_ || n <= 0)
            return;
        for (int i = 1; i <= rows; ++i)
            std::memcpy(Line(y_ + i) + left_, Line(y_) + left_, size_t(n) * sizeof(QRgb));
    }

    void EndRow()
    {
        x_ = left_;
        // Passes that start below the frame's bottom fall through to the
        // next; a frame of fewer than three rows ends up read row by row.
        switch (pass_) {
        case 0:
            ++y_;
            break;
        case 1:
            CopyDown(qMin(7, bottom_ - y_));
            y_ += 8;
            if (y_ > bottom_) {
                pass_ = 2;
                y_ = top_ + 4;
                if (y_ > bottom_) {
                    y_ = top_ + 2;
                    if (y_ > bottom_) {
                        pass_ = 0;
                        y_ = top_ + 1;
                    }
                }
            }
            break;
        case 2:
            CopyDown(qMin(3, bottom_ - y_));
            y_ += 8;
            if (y_ > bottom_) {
                pass_ = 3;
                y_ = top_ + 2;
                if (y_ > bottom_)
                    y_ = top_ + 1;
            }
            break;
        case 3:
            CopyDown(qMin(1, bottom_ - y_));
            y_ += 4;
            if (y_ > bottom_) {
                pass_ = 4;
                y_ = top_ + 1;
            }
            break;
        default:
            y_ += 2;
        }
        done_ = y_ >= screenHeight_;
    }

    uchar *bits_;
    qsizetype stride_;
    int screenWidth_, screenHeight_;
    int left_, top_, right_, bottom_, rowEnd_;
    int x_ = 0, y_ = 0;
    int pass_;
    bool copyDown_;
    bool done_ = false;
};

// The frame's LZW data. Codes are read as Qt reads them: a code at or above
// the next free one repeats the previous string plus its first pixel, the
// first code after a clear may be any code and is taken as a pixel, and a
// string that runs into an undefined code or a loop ends the picture there.
// Strings whose codes all lead back to earlier ones (every string of a valid
// file) are written backwards straight into the picture.
class Lzw {
public:
    Lzw(int minimumSize, const QRgb *colours) : minimum_(minimumSize), colours_(colours)
    {
        clear_ = 1 << minimum_;
        firstEntry_ = clear_ + 2;
        Reset();
    }

    // False when a string cannot be resolved.
    bool Decode(const uchar *data, const uchar *end, Rows &rows)
    {
        uint32_t acc = 0;
        int bits = 0;
        for (;;) {
            while (bits < size_) {
                if (data == end)
                    return true;
                acc |= uint32_t(*data++) << bits;
                bits += 8;
            }
            const int code = int(acc & ((1u << size_) - 1));
            acc >>= size_;
            bits -= size_;
            if (code == clear_) {
                Reset();
                continue;
            }
            if (code == clear_ + 1)
                return true;
            if (needFirst_) {
                first_ = previous_ = code;
                const QRgb pixel = colours_[code & 0xff];
                rows.Put(&pixel, 1);
                needFirst_ = false;
                continue;
            }
            if (!String(code, rows))
                return false;
        }
    }

private:
    void Reset()
    {
        size_ = minimum_ + 1;
        next_ = firstEntry_;
        limit_ = 2 * clear_;
        needFirst_ = true;
    }

    bool Literal(int code) const { return code < firstEntry_; }
    // Strings that are known to resolve: a literal, or an entry whose chain
    // only steps down.
    bool Sound(int code) const { return Literal(code) || (code < next_ && sound_[code]); }
    int Length(int code) const { return Literal(code) ? 1 : length_[code]; }
    int FirstPixel(int code) const { return Literal(code) ? code : firstPixel_[code]; }

    bool String(int code, Rows &rows)
    {
        const int incoming = code;
        const bool repeat = code >= next_;
        const int tail = first_;
        if (repeat)
            code = previous_;
        int n = 0;
        QRgb *out = nullptr;
        if (Sound(code)) {
            n = Length(code) + (repeat ? 1 : 0);
            QRgb *direct = rows.Done() ? nullptr : rows.Direct(n);
            out = direct ? direct : scratch_;
            if (!rows.Done()) {
                QRgb *p = out + Length(code);
                if (repeat)
                    *p = colours_[tail & 0xff];
                int c = code;
                while (c >= firstEntry_) {
                    *--p = colour_[c];
                    c = prefix_[c];
                }
                *--p = colours_[c & 0xff];
            }
            first_ = FirstPixel(code);
            if (direct) {
                AddEntry();
                previous_ = incoming;
                rows.Advance(n);
                return true;
            }
        } else {
            // Walked as Qt walks it, with its checks.
            int stack[kLongestChain + 2];
            if (repeat)
                stack[n++] = tail;
            while (code >= firstEntry_) {
                if (code >= next_ || code == prefix_[code])
                    return false;
                stack[n++] = suffix_[code];
                if (n >= kLongestChain)
                    return false;
                code = prefix_[code];
            }
            stack[n++] = code;
            first_ = code;
            for (int i = 0; i < n; ++i)
                scratch_[i] = colours_[stack[n - 1 - i] & 0xff];
            out = scratch_;
        }
        AddEntry();
        previous_ = incoming;
        rows.Put(out, n);
        return true;
    }

    void AddEntry()
    {
        if (next_ >= kCodes)
            return;
        const int e = next_;
        prefix_[e] = uint16_t(previous_);
        suffix_[e] = uint8_t(first_);
        colour_[e] = colours_[first_ & 0xff];
        sound_[e] = previous_ < e && Sound(previous_);
        if (sound_[e]) {
            length_[e] = uint16_t(Length(previous_) + 1);
            firstPixel_[e] = uint16_t(FirstPixel(previous_));
        }
        ++next_;
        if (next_ >= limit_ && limit_ < kCodes) {
            limit_ *= 2;
            ++size_;
        }
    }

    int minimum_;
    const QRgb *colours_;
    int clear_ = 0, firstEntry_ = 0;
    int size_ = 0, next_ = 0, limit_ = 0;
    bool needFirst_ = true;
    int first_ = 0, previous_ = 0;
    uint16_t prefix_[kCodes] = {};
    uint8_t suffix_[kCodes] = {};
    QRgb colour_[kCodes] = {};
    bool sound_[kCodes] = {};
    uint16_t length_[kCodes] = {};
    uint16_t firstPixel_[kCodes] = {};
    QRgb scratch_[kLongestChain + 2];
};

} // namespace

bool IsGif(QByteArrayView head)
{
    return head.size() >= 6
           && (std::memcmp(head.data(), "GIF87a", 6) == 0 || std::memcmp(head.data(), "GIF89a", 6) == 0);
}

GifPicture DecodeGif(QByteArrayView bytes)
{
    GifPicture result;
    if (!IsGif(bytes))
        return result;
    Input in{reinterpret_cast<const uchar *>(bytes.data()) + 6, reinterpret_cast<const uchar *>(bytes.data()) + bytes.size()};
    const uchar *screen = in.Take(7);
    if (!screen)
        return result;
    int screenWidth = Word(screen), screenHeight = Word(screen + 2);
    const int globalCount = 2 << (screen[4] & 7);
    const uchar *global = nullptr;
    if (screen[4] & 0x80) {
        global = in.Take(3 * globalCount);
        if (!global)
            return result;
    }
    const int background = global ? screen[5] : -1;

    // Extensions up to the first frame: only the graphic control matters.
    int transparent = -1;
    bool irregular = false;
    for (;;) {
        const uchar *introducer = in.Take(1);
        if (!introducer)
            return result;
        if (*introducer == 0x2c)
            break;
        if (*introducer != 0x21)
            return result; // the trailer, or junk
        const uchar *label = in.Take(1);
        if (!label)
            return result;
        // A control or application block is taken whole even when it says
        // it is empty; the sub-blocks follow up to an empty one.
        if (*label == 0xf9 || *label == 0xff) {
            const uchar *size = in.Take(1);
            const uchar *block = size ? in.Take(*size) : nullptr;
            if (!block)
                return result;
            if (*label == 0xf9) {
                // Qt reads a short one's missing bytes from whatever it read before.
                irregular = irregular || *size < 4;
                transparent = *size >= 4 && (block[0] & 1) ? block[3] : -1;
            }
        }
        for (;;) {
            const uchar *size = in.Take(1);
            if (!size || !in.Take(*size))
                return result;
            if (*size == 0)
                break;
        }
    }

    const uchar *descriptor = in.Take(9);
    if (!descriptor)
        return result;
    const QRect frame(Word(descriptor), Word(descriptor + 2), Word(descriptor + 4), Word(descriptor + 6));
    const bool local = descriptor[8] & 0x80;
    const bool interlaced = descriptor[8] & 0x40;
    if (screenWidth == 0)
        screenWidth = frame.x() + frame.width();
    if (screenHeight == 0)
        screenHeight = frame.y() + frame.height();
    if (screenWidth == 0 || screenHeight == 0)
        return result;
    const qint64 pixels = qint64(screenWidth) * screenHeight;
    const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
    if (pixels >= kMostPixels || (limit > 0 && pixels * 4 > limit)) {
        result.outcome = GifPicture::TooLarge;
        return result;
    }

    const int count = local ? 2 << (descriptor[8] & 7) : globalCount;
    const uchar *palette = global;
    if (local) {
        palette = in.Take(3 * count);
        if (!palette)
            return result;
    }
    const uchar *minimum = in.Take(1);
    if (!minimum || *minimum > 12)
        return result;

    // The data's sub-blocks in one piece; a cut-off block counts with what
    // it has.
    std::vector<uchar> data;
    bool ended = false;
    for (;;) {
        const uchar *size = in.Take(1);
        if (!size)
            break;
        if (*size == 0) {
            ended = true;
            break;
        }
        const qsizetype n = qMin<qsizetype>(*size, in.end - in.at);
        data.insert(data.end(), in.at, in.at + n);
        in.at += n;
    }
    if (!ended && data.empty())
        return result;

    // Index to colour as Qt has it: the entry just past the palette and any
    // beyond show kBeyond, and without any palette the others are black
    // without alpha.
    QRgb colours[256];
    for (int i = 0; i < 256; ++i) {
        QRgb c = kBeyond;
        if (i < count)
            c = palette ? qRgb(palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]) : 0;
        else if (i == count && !palette)
            c = 0;
        colours[i] = i == transparent ? c & kBeyond : c;
    }

    QImage image(screenWidth, screenHeight, transparent >= 0 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return result;
    // Written as Qt writes them, alpha bits of RGB32 included.
    const bool partial = frame.x() || frame.y() || frame.width() < screenWidth || frame.height() < screenHeight;
    QRgb fill = 0;
    if (partial && transparent >= 0)
        fill = colours[transparent];
    else if (partial && background >= 0)
        fill = colours[background];
    for (int y = 0; y < screenHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        std::fill(line, line + screenWidth, fill);
    }

    Rows rows(image, frame, interlaced, transparent >= 0);
    const auto lzw = std::make_unique<Lzw>(*minimum, colours);
    const bool resolved = lzw->Decode(data.data(), data.data() + data.size(), rows);

    result.image = image;
    result.frame = frame;
    result.localPalette = local;
    result.outcome = !resolved || irregular ? GifPicture::Damaged
                     : ended                ? GifPicture::Complete
                                            : GifPicture::Truncated;
    return result;
}

} // namespace vv
