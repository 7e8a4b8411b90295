#pragma once
// What both profile-file fuzz targets take from an input: the text the
// profile calls see in a file of these bytes, and a few names out of it, so
// that lookups hit sections and keys the file really holds.

#include "Cp1252.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

inline void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// UTF-16 after its byte order mark (an odd last byte is no character),
// otherwise Windows-1252.
inline QString Text(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        return vv::FromCp1252(bytes);
    const bool little = bytes[0] == '\xFF';
    QString text;
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
        const auto first = uchar(bytes[i]), second = uchar(bytes[i + 1]);
        text.append(QChar(little ? char16_t(first | second << 8) : char16_t(second | first << 8)));
    }
    return text;
}

inline bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline QString Trimmed(QStringView s)
{
    while (!s.isEmpty() && IsBlank(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && IsBlank(s.back()))
        s.chop(1);
    return s.toString();
}

struct Entry {
    QString section, key;
};

// The entries a plain reading of the text finds: a key is what stands before
// the first "=" of a line, its section the last bracketed name above it.
// Only names to look up; where this reading and the parser's differ, a
// lookup misses, which is worth trying too.
inline std::vector<Entry> Entries(const QString &text)
{
    std::vector<Entry> entries;
    QString section;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        for (QStringView part : line.tokenize(u'\r')) {
            const QString t = Trimmed(part);
            if (t.startsWith(u'[')) {
                const qsizetype close = t.lastIndexOf(u']');
                section = Trimmed(QStringView(t).mid(1, close > 0 ? close - 1 : -1));
            } else if (t.contains(u'=') && !t.startsWith(u';')) {
                entries.push_back({section, Trimmed(QStringView(t).left(t.indexOf(u'=')))});
            }
        }
    }
    return entries;
}

// At most count entries from all over the file: the first, the last and
// evenly between.
inline std::vector<Entry> Spread(const std::vector<Entry> &entries, size_t count)
{
    if (entries.size() <= count)
        return entries;
    std::vector<Entry> chosen;
    for (size_t i = 0; i < count; ++i)
        chosen.push_back(entries[i * (entries.size() - 1) / (count - 1)]);
    return chosen;
}

// Names compare without regard to blanks around them or letter case.
inline bool SameName(const QString &a, const QString &b)
{
    return Trimmed(a).compare(Trimmed(b), Qt::CaseInsensitive) == 0;
}

} // namespace fuzz
