#include "IniFiles.h"

#include "Cp1252.h"
#include "FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <vector>

namespace vv {
namespace {

// The Windows call reads into a buffer of 255 characters with the NUL.
constexpr qsizetype kMaxValueLength = 254;

enum class Encoding { Ansi, Utf16LE, Utf16BE };

// The file as text. Each character stands for a fixed number of bytes, so an
// edit of the text maps onto the bytes and the rest of the file is copied, not
// encoded again.
struct IniText {
    Encoding encoding = Encoding::Ansi;
    QString text;

    qsizetype ByteOffset(qsizetype pos) const { return encoding == Encoding::Ansi ? pos : 2 + 2 * pos; }
};

IniText Decode(const QByteArray &bytes)
{
    IniText t;
    const auto byte = [&bytes](qsizetype i) { return char16_t(static_cast<unsigned char>(bytes[i])); };
    if (bytes.size() >= 2 && (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))) {
        const bool little = bytes[0] == '\xFF';
        t.encoding = little ? Encoding::Utf16LE : Encoding::Utf16BE;
        const qsizetype units = (bytes.size() - 2) / 2; // an odd last byte is carried along as is
        t.text.resize(units);
        QChar *out = t.text.data();
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t lo = byte(2 + 2 * i), hi = byte(3 + 2 * i);
            out[i] = QChar(little ? char16_t(lo | (hi << 8)) : char16_t(hi | (lo << 8)));
        }
        return t;
    }
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; the fast Latin-1
    // decoder does the bulk of a large file.
    t.text = QString::fromLatin1(bytes);
    for (QChar &ch : t.text) {
        if (ch.unicode() >= 0x80 && ch.unicode() < 0xA0)
            ch = FromCp1252(QByteArray(1, char(ch.unicode()))).front();
    }
    return t;
}

QByteArray EncodeFragment(Encoding encoding, const QString &text)
{
    if (encoding == Encoding::Ansi)
        return ToCp1252(text);
    const bool little = encoding == Encoding::Utf16LE;
    QByteArray out;
    out.reserve(2 * text.size());
    for (QChar ch : text) {
        const char lo = char(ch.unicode() & 0xFF), hi = char(ch.unicode() >> 8);
        out.append(little ? lo : hi);
        out.append(little ? hi : lo);
    }
    return out;
}

// Replace the text [start, end) by text; edits are kept in file order.
struct Edit {
    qsizetype start;
    qsizetype end;
    QString text;
};
using Edits = std::vector<Edit>;

QByteArray Splice(const QByteArray &before, const IniText &t, const Edits &edits)
{
    QByteArray out;
    out.reserve(before.size() + 256);
    qsizetype pos = 0;
    for (const Edit &e : edits) {
        out.append(before.constData() + pos, t.ByteOffset(e.start) - pos);
        out.append(EncodeFragment(t.encoding, e.text));
        pos = t.ByteOffset(e.end);
    }
    out.append(before.constData() + pos, before.size() - pos);
    return out;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView Trimmed(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// A caller's name as the file would hold it: an ANSI file cannot hold
// characters outside Windows-1252, so the comparison must not either.
QString Normalise(const IniText &t, const QString &name)
{
    const QString trimmed = Trimmed(name).toString();
    return t.encoding == Encoding::Ansi ? FromCp1252(ToCp1252(trimmed)) : trimmed;
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Line {
    enum Kind { Other, Comment, Header, Entry };
    Kind kind = Other;
    qsizetype start = 0;     // offset of the first character in the text
    qsizetype length = 0;    // without the line end
    qsizetype eolLength = 0; // 0 only for an unterminated last line
    QStringView name;        // section name or key, trimmed
    QStringView value;       // entries: everything after the first "="
    qsizetype valueStart = 0; // entries: offset of the value's first non-blank

    qsizetype end() const { return start + length + eolLength; }
};

Line Classify(QStringView text, qsizetype start, qsizetype length, qsizetype eolLength)
{
    Line line;
    line.start = start;
    line.length = length;
    line.eolLength = eolLength;
    const QStringView content = text.mid(start, length);
    qsizetype p = 0;
    while (p < length && IsBlank(content[p]))
        ++p;
    if (p == length)
        return line;
    if (content[p] == u';') {
        line.kind = Line::Comment;
    } else if (content[p] == u'[') {
        line.kind = Line::Header;
        const qsizetype close = content.lastIndexOf(u']');
        line.name = Trimmed(close > p ? content.mid(p + 1, close - p - 1) : content.mid(p + 1));
    } else {
        const qsizetype eq = content.indexOf(u'=', p);
        if (eq < 0)
            return line;
        line.kind = Line::Entry;
        line.name = Trimmed(content.mid(p, eq - p));
        line.value = content.mid(eq + 1);
        qsizetype v = eq + 1;
        while (v < length && IsBlank(content[v]))
            ++v;
        line.valueStart = start + v;
    }
    return line;
}

// Calls f(line) for each line until f returns false.
template <typename F>
void ForEachLine(QStringView text, F &&f)
{
    const QChar *data = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype i = start;
        while (i < size && data[i] != u'\r' && data[i] != u'\n')
            ++i;
        qsizetype eol = 0;
        if (i < size)
            eol = (data[i] == u'\r' && i + 1 < size && data[i + 1] == u'\n') ? 2 : 1;
        if (!f(Classify(text, start, i - start, eol)))
            return;
        start = i + eol;
    }
}

std::vector<Line> SplitLines(QStringView text)
{
    std::vector<Line> lines;
    ForEachLine(text, [&lines](const Line &line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

QString FirstLineEnd(const QString &text, const std::vector<Line> &lines)
{
    for (const Line &line : lines) {
        if (line.eolLength)
            return text.mid(line.start + line.length, line.eolLength);
    }
    return QStringLiteral("\r\n");
}

QString ValueForCaller(QStringView raw)
{
    QStringView v = Trimmed(raw);
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0])
        v = v.mid(1, v.size() - 2);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0)
        v = v.left(nul);
    if (v.size() > kMaxValueLength) {
        v = v.left(kMaxValueLength);
        if (v.back().isHighSurrogate())
            v.chop(1);
    }
    return v.toString();
}

bool HasBreak(const QString &s)
{
    return s.contains(u'\r') || s.contains(u'\n') || s.contains(QChar(0));
}

bool ValidSection(const QString &section)
{
    return !HasBreak(section);
}

// Keys the file could not give back: they would be read as a comment, a
// header or a different key, and every write would add another line.
bool ValidKey(const QString &key)
{
    const QStringView k = Trimmed(key);
    return !k.isEmpty() && !HasBreak(key) && !k.contains(u'=') && k[0] != u';' && k[0] != u'[';
}

QString StoredValue(const QString &value)
{
    qsizetype cut = value.size();
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' || c == u'\n' || c == QChar(0)) {
            cut = i;
            break;
        }
    }
    return value.left(cut);
}

Edits ApplyWrite(const IniText &t, const QString &section, const QString &key, const QString &value)
{
    const QString sec = Normalise(t, section);
    const QString k = Normalise(t, key);
    const std::vector<Line> lines = SplitLines(t.text);

    const Line *firstHeader = nullptr;
    const Line *lastEntryOfFirst = nullptr;
    bool inTarget = false, inFirst = false;
    for (const Line &line : lines) {
        if (line.kind == Line::Header) {
            inTarget = SameName(line.name, sec);
            inFirst = inTarget && !firstHeader;
            if (inFirst)
                firstHeader = &line;
        } else if (line.kind == Line::Entry && inTarget) {
            if (SameName(line.name, k)) {
                return {{line.valueStart, line.start + line.length, value}};
            }
            if (inFirst)
                lastEntryOfFirst = &line;
        }
    }

    const QString eol = FirstLineEnd(t.text, lines);
    const QString entry = Trimmed(key).toString() + u'=' + value + eol;
    if (firstHeader) {
        const Line &anchor = lastEntryOfFirst ? *lastEntryOfFirst : *firstHeader;
        return {{anchor.end(), anchor.end(), anchor.eolLength ? entry : eol + entry}};
    }
    const bool unterminated = !lines.empty() && lines.back().eolLength == 0;
    const qsizetype end = t.text.size();
    return {{end, end, (unterminated ? eol : QString()) + u'[' + Trimmed(section).toString() + u']' + eol + entry}};
}

Edits ApplyDeleteKey(const IniText &t, const QString &section, const QString &key)
{
    const QString sec = Normalise(t, section);
    const QString k = Normalise(t, key);
    Edits edits;
    bool inTarget = false;
    ForEachLine(t.text, [&](const Line &line) {
        if (line.kind == Line::Header)
            inTarget = SameName(line.name, sec);
        else if (line.kind == Line::Entry && inTarget && SameName(line.name, k))
            edits.push_back({line.start, line.end(), QString()});
        return true;
    });
    return edits;
}

Edits ApplyDeleteSection(const IniText &t, const QString &section)
{
    const QString sec = Normalise(t, section);
    Edits edits;
    bool inTarget = false;
    ForEachLine(t.text, [&](const Line &line) {
        if (line.kind == Line::Header)
            inTarget = SameName(line.name, sec);
        if (!inTarget)
            return true;
        if (!edits.empty() && edits.back().end == line.start)
            edits.back().end = line.end();
        else
            edits.push_back({line.start, line.end(), QString()});
        return true;
    });
    return edits;
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

bool ValidChange(const IniChange &c)
{
    return ValidSection(c.section) && (c.kind == IniChange::DeleteSection || ValidKey(c.key));
}

// The file's bytes after one change; the other bytes stay as they were.
QByteArray Apply(const QByteArray &before, const IniChange &c)
{
    const IniText t = Decode(before);
    Edits edits;
    switch (c.kind) {
    case IniChange::Write:
        edits = ApplyWrite(t, c.section, c.key, StoredValue(c.value));
        break;
    case IniChange::DeleteKey:
        edits = ApplyDeleteKey(t, c.section, c.key);
        break;
    case IniChange::DeleteSection:
        edits = ApplyDeleteSection(t, c.section);
        break;
    }
    return edits.empty() ? before : Splice(before, t, edits);
}

} // namespace

int ModifyIni(const QString &file, const QList<IniChange> &changes)
{
    if (file.isEmpty() || !std::all_of(changes.begin(), changes.end(), ValidChange))
        return 0;
    const bool writes = std::any_of(changes.begin(), changes.end(),
                                    [](const IniChange &c) { return c.kind == IniChange::Write; });
    const QString path = WriteTarget(file);
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !IsWritable(info)))
        return 0;
    if (!info.exists() && !writes)
        return 1;

    FileLock lock(path);
    if (!lock.Lock(FileLockTimeoutMs()))
        return 0;
    if (lock.TookOver())
        RemoveLeftovers(path);

    // Read again under the lock: another writer may have changed it meanwhile.
    QFile in(path);
    QByteArray before;
    const bool existed = in.exists();
    if (existed) {
        if (!in.open(QIODevice::ReadOnly))
            return 0;
        before = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return 0;
        in.close();
    } else if (!writes) {
        return 1;
    }

    QByteArray after = before;
    for (const IniChange &c : changes)
        after = Apply(after, c);
    if (existed && after == before)
        return 1;
    if (!existed && after.isEmpty())
        return 1;
    return ReplaceFileContents(path, after) ? 1 : 0;
}

QString ReadIniValue(const QString &file, const QString &section, const QString &key)
{
    QFile in(file);
    if (file.isEmpty() || !in.open(QIODevice::ReadOnly))
        return QString();
    const IniText t = Decode(in.readAll());
    in.close();
    const QString sec = Normalise(t, section);
    const QString k = Normalise(t, key);
    if (k.isEmpty())
        return QString();

    QString found;
    bool inTarget = false;
    ForEachLine(t.text, [&](const Line &line) {
        if (line.kind == Line::Header) {
            inTarget = SameName(line.name, sec);
        } else if (line.kind == Line::Entry && inTarget && SameName(line.name, k)) {
            found = ValueForCaller(line.value);
            return false;
        }
        return true;
    });
    return found;
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
