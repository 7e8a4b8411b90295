#include "IniFiles.h"

#include "Cp1252.h"
#include "DataFile.h"
#include "FileLock.h"

#include <QFileInfo>
#include <QMultiHash>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

namespace vv {
namespace {

// The Windows call reads into a buffer of 255 characters with the NUL.
constexpr qsizetype kMaxValueLength = 254;

// Files are scanned in their own code units: the bytes of a Windows-1252 or
// UTF-8 file (char), the characters of a UTF-16 one (char16_t). Everything
// that shapes a line is ASCII, the same in all three.
template <typename U>
bool IsBlank(U c)
{
    return c == U(' ') || c == U('\t');
}

template <typename U>
bool IsLineEnd(U c)
{
    return c == U('\r') || c == U('\n');
}

const char *FindUnit(const char *from, const char *to, char c)
{
    return static_cast<const char *>(std::memchr(from, c, size_t(to - from)));
}

const char16_t *FindUnit(const char16_t *from, const char16_t *to, char16_t c)
{
    const char16_t *p = std::find(from, to, c);
    return p == to ? nullptr : p;
}

// Windows-1252 bytes mapped so that two bytes map alike exactly when their
// characters are equal without regard to case, as QString compares them.
struct FoldTable {
    unsigned char of[256];
    FoldTable()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QString folded = FromCp1252(all);
        for (QChar &c : folded)
            c = c.toCaseFolded();
        for (int b = 0; b < 256; ++b) {
            of[b] = static_cast<unsigned char>(b);
            for (int c = 0; c < b; ++c) {
                if (folded[c] == folded[b]) {
                    of[b] = of[c];
                    break;
                }
            }
        }
    }
};

const unsigned char *Fold()
{
    static const FoldTable table;
    return table.of;
}

bool IsAscii(const char *p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    }
    return true;
}

bool IsAscii(const QString &s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// QString::fromUtf8 drops a leading U+FEFF; inside the file it is text.
QString FromUtf8(const char *p, qsizetype n)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(p, n));
}

// Valid UTF-8 that holds at least one non-ASCII character. Stops at the first
// invalid sequence, which in a Windows-1252 file is mostly its first umlaut.
bool IsUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    bool nonAscii = false;
    while (p < end) {
        while (end - p >= 16) {
            quint64 a, b;
            std::memcpy(&a, p, 8);
            std::memcpy(&b, p + 8, 8);
            if ((a | b) & 0x8080808080808080ULL)
                break;
            p += 16;
        }
        while (p < end && *p < 0x80)
            ++p;
        if (p == end)
            break;
        nonAscii = true;
        const unsigned char c = *p;
        int more;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                lo = 0xA0; // no overlong forms
            else if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F; // nothing above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= more || p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += more + 1;
    }
    return nonAscii;
}

// An 8-bit file is Windows-1252 unless it is valid UTF-8 with non-ASCII text.
// Only a non-ASCII byte tells the two apart, so the file is examined only
// when one matters: most lookups never meet one.
class Charset {
public:
    explicit Charset(const QByteArray &bytes) : m_bytes(bytes) {}

    bool Utf8() const
    {
        if (!m_known) {
            m_utf8 = IsUtf8(m_bytes);
            m_known = true;
        }
        return m_utf8;
    }

    QByteArray Encode(const QString &text) const
    {
        if (IsAscii(text))
            return text.toLatin1();
        return Utf8() ? text.toUtf8() : ToCp1252(text);
    }

    QString Decode(const char *p, qsizetype n) const
    {
        if (IsAscii(p, n))
            return QString::fromLatin1(p, n);
        return Utf8() ? FromUtf8(p, n) : FromCp1252(QByteArray(p, n));
    }

private:
    QByteArray m_bytes; // as the call found the file
    mutable bool m_known = false;
    mutable bool m_utf8 = false;
};

QStringView Trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b].unicode()))
        ++b;
    while (e > b && IsBlank(s[e - 1].unicode()))
        --e;
    return s.mid(b, e - b);
}

// A caller's section or key name, compared with the names in the file without
// regard to case. An ANSI file cannot hold characters outside Windows-1252:
// there they compare as the "?" a write would store.
class Name {
public:
    Name(const QString &name, const Charset *charset)
        : m_text(Trimmed(name).toString()), m_utf8(m_text.toUtf8()), m_charset(charset), m_fold(Fold())
    {
        m_ansi = ToCp1252(m_text);
        for (char &c : m_ansi)
            c = char(m_fold[static_cast<unsigned char>(c)]);
    }

    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }

    bool Matches(const char *p, qsizetype n) const
    {
        // While both sides are ASCII the two code pages agree.
        const unsigned char *fold = m_fold;
        const char *k = m_utf8.constData();
        const qsizetype kn = m_utf8.size();
        qsizetype i = 0;
        for (; i < n && i < kn; ++i) {
            const auto a = static_cast<unsigned char>(p[i]), b = static_cast<unsigned char>(k[i]);
            if ((a | b) & 0x80)
                return MatchesRest(p, n, i);
            if (fold[a] != fold[b])
                return false;
        }
        return i == n && i == kn;
    }

    bool Matches(const char16_t *p, qsizetype n) const
    {
        return QStringView(p, n).compare(m_text, Qt::CaseInsensitive) == 0;
    }

private:
    // From the first non-ASCII byte on; the i bytes before are equal ASCII.
    bool MatchesRest(const char *p, qsizetype n, qsizetype i) const
    {
        if (m_charset->Utf8())
            return FromUtf8(p + i, n - i).compare(QStringView(m_text).mid(i), Qt::CaseInsensitive) == 0;
        if (n != m_ansi.size())
            return false;
        for (; i < n; ++i) {
            if (m_fold[static_cast<unsigned char>(p[i])] != static_cast<unsigned char>(m_ansi[i]))
                return false;
        }
        return true;
    }

    QString m_text;
    QByteArray m_utf8;
    QByteArray m_ansi; // folded
    const Charset *m_charset;
    const unsigned char *m_fold;
};

struct Line {
    enum Kind { Other, Comment, Header, Entry };
    Kind kind = Other;
    qsizetype start = 0;      // offset of the first unit
    qsizetype contentEnd = 0; // offset of the line end
    qsizetype end = 0;        // offset of the next line
    qsizetype nameStart = 0;  // section name or key, trimmed
    qsizetype nameEnd = 0;
    qsizetype valueStart = 0; // entries: the first non-blank after the first "="

    bool terminated() const { return end > contentEnd; }
};

// The lines of a text. The next CR and the next LF are looked up once each
// and remembered, so a file with one kind of line end costs one search.
template <typename U>
class LineScanner {
public:
    LineScanner(const U *data, qsizetype size) : m_data(data), m_size(size) {}

    // The offset of the line end at or after pos, the size when none.
    qsizetype EndOf(qsizetype pos)
    {
        if (m_cr < pos)
            m_cr = Find(pos, U('\r'));
        if (m_lf < pos)
            m_lf = Find(pos, U('\n'));
        return std::min(m_cr, m_lf);
    }

    qsizetype EolLength(qsizetype end) const
    {
        if (end == m_size)
            return 0;
        return m_data[end] == U('\r') && end + 1 < m_size && m_data[end + 1] == U('\n') ? 2 : 1;
    }

    // The start of the first line at or after pos (a line start) whose first
    // non-blank is "[", the size when none. A line start is known from the
    // unit before it alone, so the lines in between need not be split.
    qsizetype NextHeader(qsizetype pos) const
    {
        while (pos < m_size) {
            const U *bracket = FindUnit(m_data + pos, m_data + m_size, U('['));
            if (!bracket)
                return m_size;
            qsizetype start = bracket - m_data;
            while (start > 0 && IsBlank(m_data[start - 1]))
                --start;
            if (start == 0 || IsLineEnd(m_data[start - 1]))
                return start;
            pos = bracket - m_data + 1;
        }
        return m_size;
    }

    void Classify(Line &line) const
    {
        const U *d = m_data;
        qsizetype p = line.start;
        while (p < line.contentEnd && IsBlank(d[p]))
            ++p;
        if (p == line.contentEnd)
            return;
        if (d[p] == U(';')) {
            line.kind = Line::Comment;
        } else if (d[p] == U('[')) {
            line.kind = Line::Header;
            // The name runs to the last "]", or to the end when there is none.
            qsizetype close = line.contentEnd - 1;
            while (close > p && d[close] != U(']'))
                --close;
            SetName(line, p + 1, close > p ? close : line.contentEnd);
        } else {
            const U *eq = FindUnit(d + p, d + line.contentEnd, U('='));
            if (!eq)
                return;
            line.kind = Line::Entry;
            SetName(line, p, eq - d);
            qsizetype v = eq - d + 1;
            while (v < line.contentEnd && IsBlank(d[v]))
                ++v;
            line.valueStart = v;
        }
    }

private:
    qsizetype Find(qsizetype pos, U c) const
    {
        const U *hit = FindUnit(m_data + pos, m_data + m_size, c);
        return hit ? hit - m_data : m_size;
    }

    void SetName(Line &line, qsizetype b, qsizetype e) const
    {
        while (b < e && IsBlank(m_data[b]))
            ++b;
        while (e > b && IsBlank(m_data[e - 1]))
            --e;
        line.nameStart = b;
        line.nameEnd = e;
    }

    const U *m_data;
    qsizetype m_size;
    qsizetype m_cr = -1;
    qsizetype m_lf = -1;
};

enum class Step { Next, SkipSection, Stop };

// Calls f(line) for each line; f says whether to go on with the next line,
// jump to the next section header, or stop.
template <typename U, typename F>
void ForEachLine(const U *data, qsizetype size, F &&f)
{
    LineScanner<U> scanner(data, size);
    qsizetype pos = 0;
    while (pos < size) {
        Line line;
        line.start = pos;
        line.contentEnd = scanner.EndOf(pos);
        line.end = line.contentEnd + scanner.EolLength(line.contentEnd);
        scanner.Classify(line);
        const Step step = f(line);
        if (step == Step::Stop)
            return;
        pos = step == Step::SkipSection ? scanner.NextHeader(line.end) : line.end;
    }
}

template <typename U>
bool NameIs(const U *data, const Line &line, const Name &name)
{
    return name.Matches(data + line.nameStart, line.nameEnd - line.nameStart);
}

QString CutForCaller(QStringView v)
{
    if (v.size() > kMaxValueLength) {
        v = v.left(kMaxValueLength);
        if (v.back().isHighSurrogate())
            v.chop(1);
    }
    return v.toString();
}

QString ValueForCaller(QStringView raw)
{
    QStringView v = Trimmed(raw);
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0])
        v = v.mid(1, v.size() - 2);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0)
        v = v.left(nul);
    return CutForCaller(v);
}

// The same on bytes: trimming, quotes and the NUL are ASCII in both code pages.
QString ValueForCaller(const char *d, const Line &line, const Charset &charset)
{
    qsizetype b = line.valueStart, e = line.contentEnd;
    while (e > b && IsBlank(d[e - 1]))
        --e;
    if (e - b >= 2 && (d[b] == '"' || d[b] == '\'') && d[e - 1] == d[b]) {
        ++b;
        --e;
    }
    if (const char *nul = FindUnit(d + b, d + e, '\0'))
        e = nul - d;
    // A character takes one byte, or up to four in UTF-8.
    const qsizetype n = std::min(e - b, kMaxValueLength);
    if (IsAscii(d + b, n))
        return QString::fromLatin1(d + b, n);
    return CutForCaller(charset.Decode(d + b, std::min(e - b, 4 * kMaxValueLength)));
}

// The text of a UTF-16 file, which keeps its own, slower way: it is rare.
struct Utf16Text {
    bool little = true;
    QString text;

    static bool Is(const QByteArray &bytes) { return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"); }

    explicit Utf16Text(const QByteArray &bytes)
    {
        little = bytes[0] == '\xFF';
        const qsizetype units = (bytes.size() - 2) / 2; // an odd last byte is carried along as is
        text.resize(units);
        const auto *in = reinterpret_cast<const unsigned char *>(bytes.constData()) + 2;
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t lo = in[2 * i], hi = in[2 * i + 1];
            out[i] = little ? char16_t(lo | (hi << 8)) : char16_t(hi | (lo << 8));
        }
    }

    const char16_t *data() const { return reinterpret_cast<const char16_t *>(text.utf16()); }
    qsizetype size() const { return text.size(); }
    static qsizetype ByteOffset(qsizetype pos) { return 2 + 2 * pos; }

    QByteArray Encode(const QString &fragment) const
    {
        QByteArray out;
        out.reserve(2 * fragment.size());
        for (QChar ch : fragment) {
            const char lo = char(ch.unicode() & 0xFF), hi = char(ch.unicode() >> 8);
            out.append(little ? lo : hi);
            out.append(little ? hi : lo);
        }
        return out;
    }
};

struct Request {
    std::size_t section; // index into the distinct sections asked for
    Name key;
};

// Names that compare equal without regard to case have the same key: each
// character case-folded, as QString compares them.
QString FoldedKey(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        }
        out += QChar::fromUcs4(QChar::toCaseFolded(c));
    }
    return out;
}

// Past this many keys a read looks each entry up by its folded key instead
// of comparing it with every key asked for: a search reads thousands at once.
constexpr std::size_t kHashedFrom = 16;

// The values of the requests, each the first entry of its key in the
// sections of its name, in one pass that ends when every key is found.
// keyOf(line) and keyOf(name) give FoldedKey of the entry's and the
// request's name as the file would hold it.
template <typename U, typename ValueOf, typename KeyOf>
QStringList LookUp(const U *d, qsizetype size, const std::vector<Name> &sections, const std::vector<Request> &requests,
                   ValueOf &&valueOf, KeyOf &&keyOf)
{
    QStringList values;
    values.resize(qsizetype(requests.size()));
    std::vector<char> done(requests.size()), active(sections.size());
    std::size_t left = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        done[i] = requests[i].key.isEmpty();
        left += !done[i];
    }
    if (left == 0)
        return values;
    QMultiHash<QString, std::size_t> byKey;
    if (requests.size() >= kHashedFrom) {
        byKey.reserve(qsizetype(requests.size()));
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (!done[i])
                byKey.insert(keyOf(requests[i].key), i);
        }
    }
    auto take = [&](const Line &line, std::size_t i) {
        if (done[i] || !active[requests[i].section] || !NameIs(d, line, requests[i].key))
            return false;
        values[qsizetype(i)] = valueOf(line);
        done[i] = true;
        return --left == 0;
    };
    bool inAny = false;
    ForEachLine(d, size, [&](const Line &line) {
        if (line.kind == Line::Header) {
            inAny = false;
            for (std::size_t s = 0; s < sections.size(); ++s) {
                active[s] = NameIs(d, line, sections[s]);
                inAny = inAny || active[s];
            }
            return inAny ? Step::Next : Step::SkipSection;
        }
        if (!inAny)
            return Step::SkipSection;
        if (line.kind != Line::Entry)
            return Step::Next;
        if (!byKey.isEmpty()) {
            const QString key = keyOf(line);
            for (auto it = byKey.constFind(key); it != byKey.cend() && it.key() == key; ++it) {
                if (take(line, it.value()))
                    return Step::Stop;
            }
            return Step::Next;
        }
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (take(line, i))
                return Step::Stop;
        }
        return Step::Next;
    });
    return values;
}

QStringList ValuesFromBytes(const QByteArray &bytes, const QList<IniKey> &keys);

QStringList ReadValues(const QString &file, const QList<IniKey> &keys)
{
    if (keys.isEmpty())
        return QStringList();
    const DataFileContent in = ReadDataFile(file);
    if (in.kind != DataFileKind::Regular || !in.ok) {
        QStringList empty;
        empty.resize(keys.size());
        return empty;
    }
    return ValuesFromBytes(in.bytes, keys);
}

QStringList ValuesFromBytes(const QByteArray &bytes, const QList<IniKey> &keys)
{
    QStringList empty;
    empty.resize(keys.size());
    if (keys.isEmpty())
        return empty;

    const bool utf16 = Utf16Text::Is(bytes);
    const Charset charset(bytes);
    const Charset *cs = utf16 ? nullptr : &charset;
    std::vector<Name> sections;
    std::vector<QString> sectionTexts;
    std::vector<Request> requests;
    requests.reserve(std::size_t(keys.size()));
    for (const IniKey &k : keys) {
        const QString text = Trimmed(k.section).toString();
        auto at = std::find(sectionTexts.begin(), sectionTexts.end(), text);
        if (at == sectionTexts.end()) {
            sections.emplace_back(text, cs);
            at = sectionTexts.insert(sectionTexts.end(), text);
        }
        requests.push_back({std::size_t(at - sectionTexts.begin()), Name(k.key, cs)});
    }

    if (utf16) {
        const Utf16Text t(bytes);
        const auto keyOf = [&t](const auto &of) {
            if constexpr (std::is_same_v<std::decay_t<decltype(of)>, Line>)
                return FoldedKey(QStringView(t.data() + of.nameStart, of.nameEnd - of.nameStart));
            else
                return FoldedKey(of.text());
        };
        return LookUp(
            t.data(), t.size(), sections, requests,
            [&t](const Line &line) {
                return ValueForCaller(QStringView(t.data() + line.valueStart, line.contentEnd - line.valueStart));
            },
            keyOf);
    }
    const char *d = bytes.constData();
    // A key asked for in an ANSI file compares as the file would store it.
    const auto keyOf = [d, &charset](const auto &of) {
        if constexpr (std::is_same_v<std::decay_t<decltype(of)>, Line>)
            return FoldedKey(charset.Decode(d + of.nameStart, of.nameEnd - of.nameStart));
        else
            return FoldedKey(IsAscii(of.text()) || charset.Utf8() ? of.text() : FromCp1252(ToCp1252(of.text())));
    };
    return LookUp(
        d, bytes.size(), sections, requests,
        [d, &charset](const Line &line) { return ValueForCaller(d, line, charset); }, keyOf);
}

// Replace the units [start, end) by text; edits are kept in file order.
struct Edit {
    qsizetype start;
    qsizetype end;
    QString text;
};
using Edits = std::vector<Edit>;

template <typename U>
QString FirstLineEnd(const U *d, qsizetype size)
{
    LineScanner<U> scanner(d, size);
    const qsizetype end = scanner.EndOf(0);
    if (end == size)
        return QStringLiteral("\r\n");
    return scanner.EolLength(end) == 2 ? QStringLiteral("\r\n") : QString(QChar(d[end]));
}

template <typename U>
Edits PlanWrite(const U *d, qsizetype size, const IniChange &c, const Charset *cs)
{
    const Name section(c.section, cs), key(c.key, cs);
    std::optional<Line> firstHeader, lastEntryOfFirst;
    std::optional<Line> found;
    bool inTarget = false, inFirst = false;
    ForEachLine(d, size, [&](const Line &line) {
        if (line.kind == Line::Header) {
            inTarget = NameIs(d, line, section);
            inFirst = inTarget && !firstHeader;
            if (inFirst)
                firstHeader = line;
            return inTarget ? Step::Next : Step::SkipSection;
        }
        if (!inTarget)
            return Step::SkipSection;
        if (line.kind == Line::Entry) {
            if (NameIs(d, line, key)) {
                found = line;
                return Step::Stop;
            }
            if (inFirst)
                lastEntryOfFirst = line;
        }
        return Step::Next;
    });

    // A value is stored up to its first line break.
    QString value = c.value;
    const qsizetype cut = std::find_if(value.begin(), value.end(),
                                       [](QChar ch) { return ch == u'\r' || ch == u'\n' || ch == QChar(0); })
                        - value.begin();
    value.truncate(cut);
    if (found)
        return {{found->valueStart, found->contentEnd, value}};

    const QString eol = FirstLineEnd(d, size);
    const QString entry = key.text() + u'=' + value + eol;
    if (firstHeader) {
        const Line &anchor = lastEntryOfFirst ? *lastEntryOfFirst : *firstHeader;
        return {{anchor.end, anchor.end, anchor.terminated() ? entry : eol + entry}};
    }
    const bool unterminated = size > 0 && !IsLineEnd(d[size - 1]);
    return {{size, size, (unterminated ? eol : QString()) + u'[' + section.text() + u']' + eol + entry}};
}

template <typename U>
Edits PlanDeleteKey(const U *d, qsizetype size, const IniChange &c, const Charset *cs)
{
    const Name section(c.section, cs), key(c.key, cs);
    Edits edits;
    bool inTarget = false;
    ForEachLine(d, size, [&](const Line &line) {
        if (line.kind == Line::Header)
            inTarget = NameIs(d, line, section);
        else if (inTarget && line.kind == Line::Entry && NameIs(d, line, key))
            edits.push_back({line.start, line.end, QString()});
        return inTarget ? Step::Next : Step::SkipSection;
    });
    return edits;
}

template <typename U>
Edits PlanDeleteSection(const U *d, qsizetype size, const IniChange &c, const Charset *cs)
{
    const Name section(c.section, cs);
    Edits edits;
    bool inTarget = false;
    ForEachLine(d, size, [&](const Line &line) {
        if (line.kind == Line::Header)
            inTarget = NameIs(d, line, section);
        if (!inTarget)
            return Step::SkipSection;
        if (!edits.empty() && edits.back().end == line.start)
            edits.back().end = line.end;
        else
            edits.push_back({line.start, line.end, QString()});
        return Step::Next;
    });
    return edits;
}

template <typename U>
Edits Plan(const U *d, qsizetype size, const IniChange &c, const Charset *cs)
{
    switch (c.kind) {
    case IniChange::Write:
        return PlanWrite(d, size, c, cs);
    case IniChange::DeleteKey:
        return PlanDeleteKey(d, size, c, cs);
    case IniChange::DeleteSection:
        return PlanDeleteSection(d, size, c, cs);
    }
    return {};
}

// Puts the edits into the bytes; false when they leave the bytes as they were.
template <typename Offset, typename Encode>
bool Splice(QByteArray &bytes, const Edits &edits, Offset &&offset, Encode &&encode)
{
    std::vector<QByteArray> fragments;
    fragments.reserve(edits.size());
    bool changes = false;
    qsizetype grow = 0;
    for (const Edit &e : edits) {
        fragments.push_back(encode(e.text));
        const qsizetype from = offset(e.start), to = offset(e.end);
        const QByteArray &f = fragments.back();
        changes = changes || to - from != f.size() || std::memcmp(bytes.constData() + from, f.constData(), size_t(f.size())) != 0;
        grow += fragments.back().size() - (to - from);
    }
    if (!changes)
        return false;
    QByteArray out(bytes.size() + grow, Qt::Uninitialized);
    char *o = out.data();
    qsizetype pos = 0;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const qsizetype from = offset(edits[i].start);
        std::memcpy(o, bytes.constData() + pos, size_t(from - pos));
        o += from - pos;
        std::memcpy(o, fragments[i].constData(), size_t(fragments[i].size()));
        o += fragments[i].size();
        pos = offset(edits[i].end);
    }
    std::memcpy(o, bytes.constData() + pos, size_t(bytes.size() - pos));
    bytes = std::move(out);
    return true;
}

// One change on the file's bytes; the other bytes stay as they were.
bool Apply(QByteArray &bytes, const IniChange &c, const Charset &charset)
{
    if (Utf16Text::Is(bytes)) {
        const Utf16Text t(bytes);
        return Splice(bytes, Plan(t.data(), t.size(), c, nullptr), &Utf16Text::ByteOffset,
                      [&t](const QString &s) { return t.Encode(s); });
    }
    const Edits edits = Plan(bytes.constData(), bytes.size(), c, &charset);
    return Splice(bytes, edits, [](qsizetype pos) { return pos; }, [&charset](const QString &s) { return charset.Encode(s); });
}

bool HasBreak(const QString &s)
{
    return s.contains(u'\r') || s.contains(u'\n') || s.contains(QChar(0));
}

// Keys the file could not give back: they would be read as a comment, a
// header or a different key, and every write would add another line.
bool ValidKey(const QString &key)
{
    const QStringView k = Trimmed(key);
    return !k.isEmpty() && !HasBreak(key) && !k.contains(u'=') && k[0] != u';' && k[0] != u'[';
}

bool ValidChange(const IniChange &c)
{
    return !HasBreak(c.section) && (c.kind == IniChange::DeleteSection || ValidKey(c.key));
}

// The rename would replace a symbolic link by a plain file; write where it points.
QString WriteTarget(const QString &file)
{
    const QFileInfo info(file);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.symLinkTarget() : canonical;
    }
    return info.absoluteFilePath();
}

// Root passes every access check, so "read-only" also means: no write bit at all,
// as the Windows attribute would say.
bool IsWritable(const QFileInfo &info)
{
    return info.isWritable()
        && (info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

} // namespace

int ModifyIni(const QString &file, const QList<IniChange> &changes)
{
    if (file.isEmpty() || !std::all_of(changes.begin(), changes.end(), ValidChange))
        return 0;
    const bool writes = std::any_of(changes.begin(), changes.end(),
                                    [](const IniChange &c) { return c.kind == IniChange::Write; });
    const QString path = WriteTarget(file);
    const DataFileKind kind = KindOfDataFile(path);
    if (kind == DataFileKind::Other || (kind == DataFileKind::Regular && !IsWritable(QFileInfo(path))))
        return 0;
    if (kind == DataFileKind::Missing && !writes)
        return 1;

    FileLock lock(path);
    if (!lock.Lock(FileLockTimeoutMs()))
        return 0;
    if (lock.TookOver())
        RemoveLeftovers(path);

    // Read again under the lock: another writer may have changed it meanwhile.
    const DataFileContent in = ReadDataFile(path);
    if (!in.ok)
        return 0;
    const bool existed = in.kind == DataFileKind::Regular;
    if (!existed && !writes)
        return 1;

    QByteArray after = in.bytes;
    const Charset charset(in.bytes);
    bool changed = false;
    for (const IniChange &c : changes)
        changed = Apply(after, c, charset) || changed;
    if (existed && changed && after == in.bytes) // changed and changed back
        changed = false;
    if (existed ? !changed : after.isEmpty())
        return 1;
    return ReplaceFileContents(path, after) ? 1 : 0;
}

QString ReadIniValue(const QString &file, const QString &section, const QString &key)
{
    return ReadValues(file, {IniKey{section, key}}).front();
}

QString ReadIniValueFromBytes(const QByteArray &bytes, const QString &section, const QString &key)
{
    return ValuesFromBytes(bytes, {IniKey{section, key}}).front();
}

QStringList ReadIniValues(const QString &file, const QList<IniKey> &keys)
{
    return ReadValues(file, keys);
}

QStringList ReadIniValuesFromBytes(const QByteArray &bytes, const QList<IniKey> &keys)
{
    return ValuesFromBytes(bytes, keys);
}

int WriteIniValue(const QString &file, const QString &section, const QString &key, const QString &value)
{
    return ModifyIni(file, {IniChange::SetValue(section, key, value)});
}

int DeleteIniKey(const QString &file, const QString &section, const QString &key)
{
    return ModifyIni(file, {IniChange::RemoveKey(section, key)});
}

int DeleteIniSection(const QString &file, const QString &section)
{
    return ModifyIni(file, {IniChange::RemoveSection(section)});
}

} // namespace vv
