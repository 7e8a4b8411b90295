#include "GifReader.h"

#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
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

// A frame as wide as the screen at its top left, not interlaced: its pixels
// follow one another in the picture's memory, so a string already written
// can be copied from where it was written.
class Linear {
public:
    explicit Linear(QImage &image)
        : bits_(reinterpret_cast<QRgb *>(image.bits())), end_(qsizetype(image.width()) * image.height())
    {
    }

    bool Done() const { return at_ >= end_; }
    QRgb *Bits() const { return bits_; }
    qsizetype At() const { return at_; }
    qsizetype Room() const { return end_ - at_; }
    void Advance(qsizetype n) { at_ += n; }

    void Put(const QRgb *pixels, int n)
    {
        const qsizetype shown = qMin<qsizetype>(n, Room());
        std::memcpy(bits_ + at_, pixels, size_t(shown) * sizeof(QRgb));
        at_ += shown;
    }

    // What no data reached.
    void ClearRest(QRgb fill) { std::fill(bits_ + at_, bits_ + end_, fill); }

private:
    QRgb *bits_;
    qsizetype end_;
    qsizetype at_ = 0;
};

// The frame's LZW data. Codes are read as Qt reads them: a code at or above
// the next free one repeats the previous string plus its first pixel, the
// first code after a clear may be any code and is taken as a pixel, and a
// string that runs into an undefined code or a loop ends the picture there.
// Strings whose codes all lead back to earlier ones (every string of a valid
// file) are written without those checks: copied from where they were
// written before into a linear frame, else backwards down their chain.
class Lzw {
public:
    Lzw(int minimumSize, const QRgb *colours) : minimum_(minimumSize), colours_(colours)
    {
        clear_ = 1 << minimum_;
        firstEntry_ = clear_ + 2;
        Reset();
    }

    // False when a string cannot be resolved.
    template <class Out>
    bool Decode(const uchar *data, const uchar *end, Out &out)
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
                Mark(out, 1);
                out.Put(&pixel, 1);
                previousAt_ = lastAt_;
                previousWhole_ = lastWhole_;
                needFirst_ = false;
                continue;
            }
            if (!String(code, out))
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

    // Where the string about to be written starts; entries made from it
    // are found there.
    template <class Out>
    void Mark(const Out &out, int n)
    {
        if constexpr (std::is_same_v<Out, Linear>) {
            lastAt_ = out.At();
            lastWhole_ = n <= out.Room();
        }
    }

    // code's string, plus tail when repeat, n pixels in all.
    void Walk(QRgb *to, int code, bool repeat, int tail) const
    {
        QRgb *p = to + Length(code);
        if (repeat)
            *p = colours_[tail & 0xff];
        while (code >= firstEntry_) {
            *--p = colour_[code];
            code = prefix_[code];
        }
        *--p = colours_[code & 0xff];
    }

    void SoundString(int code, bool repeat, int tail, Rows &rows)
    {
        const int n = Length(code) + (repeat ? 1 : 0);
        if (rows.Done())
            return;
        if (QRgb *direct = rows.Direct(n)) {
            Walk(direct, code, repeat, tail);
            rows.Advance(n);
        } else {
            Walk(scratch_, code, repeat, tail);
            rows.Put(scratch_, n);
        }
    }

    void SoundString(int code, bool repeat, int tail, Linear &out)
    {
        const int length = Length(code);
        const int n = length + (repeat ? 1 : 0);
        const qsizetype at = out.At();
        Mark(out, n);
        if (out.Done())
            return;
        // A repeat copies the string just written; an entry, the string it was
        // made of; both lie wholly before this one.
        const qsizetype from = repeat ? previousAt_ : Literal(code) ? -1 : at_[code];
        if (from < 0 || (repeat && !previousWhole_)) {
            Walk(scratch_, code, repeat, tail);
            out.Put(scratch_, n);
            return;
        }
        QRgb *bits = out.Bits();
        const qsizetype room = out.Room();
        std::memcpy(bits + at, bits + from, size_t(qMin<qsizetype>(length, room)) * sizeof(QRgb));
        if (repeat && room > length)
            bits[at + length] = colours_[tail & 0xff];
        out.Advance(qMin<qsizetype>(n, room));
    }

    template <class Out>
    bool String(int code, Out &out)
    {
        const int incoming = code;
        const bool repeat = code >= next_;
        const int tail = first_;
        if (repeat)
            code = previous_;
        if (Sound(code)) {
            SoundString(code, repeat, tail, out);
            first_ = FirstPixel(code);
        } else {
            // Walked as Qt walks it, with its checks.
            int stack[kLongestChain + 2];
            int n = 0;
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
            Mark(out, n);
            out.Put(scratch_, n);
        }
        AddEntry();
        previous_ = incoming;
        previousAt_ = lastAt_;
        previousWhole_ = lastWhole_;
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
            // The previous string and the first pixel after it, when both
            // were written.
            at_[e] = previousWhole_ ? previousAt_ : -1;
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
    // Linear frames: where the last and the previous string start, and
    // whether they were written whole.
    qsizetype lastAt_ = -1, previousAt_ = -1;
    bool lastWhole_ = false, previousWhole_ = false;
    uint16_t prefix_[kCodes] = {};
    uint8_t suffix_[kCodes] = {};
    QRgb colour_[kCodes] = {};
    bool sound_[kCodes] = {};
    uint16_t length_[kCodes] = {};
    uint16_t firstPixel_[kCodes] = {};
    qsizetype at_[kCodes] = {};
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
    const bool linear = !interlaced && frame.x() == 0 && frame.y() == 0 && frame.width() == screenWidth
                        && image.bytesPerLine() == qsizetype(screenWidth) * qsizetype(sizeof(QRgb));
    if (!linear || partial) {
        for (int y = 0; y < screenHeight; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            std::fill(line, line + screenWidth, fill);
        }
    }

    const auto lzw = std::make_unique<Lzw>(*minimum, colours);
    bool resolved = false;
    if (linear) {
        Linear out(image);
        resolved = lzw->Decode(data.data(), data.data() + data.size(), out);
        if (!partial)
            out.ClearRest(fill);
    } else {
        Rows rows(image, frame, interlaced, transparent >= 0);
        resolved = lzw->Decode(data.data(), data.data() + data.size(), rows);
    }

    result.image = image;
    result.frame = frame;
    result.localPalette = local;
    result.outcome = !resolved || irregular ? GifPicture::Damaged
                     : ended                ? GifPicture::Complete
                                            : GifPicture::Truncated;
    return result;
}

} // namespace vv
