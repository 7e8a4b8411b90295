#include "Search.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace vv {

QString SearchFold(QStringView text, bool spellOut)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            out += QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
            continue;
        }
        switch (c) {
        case u'ä': case u'Ä':
            out += spellOut ? u"ae" : u"a";
            continue;
        case u'ö': case u'Ö':
            out += spellOut ? u"oe" : u"o";
            continue;
        case u'ü': case u'Ü':
            out += spellOut ? u"ue" : u"u";
            continue;
        case u'ß': case u'\u1E9E':
            out += u"ss";
            continue;
        case u'\u0308': // the dots written apart from their letter, as some file systems store names
            if (spellOut && !out.isEmpty() && (out.back() == u'a' || out.back() == u'o' || out.back() == u'u'))
                out += u'e';
            continue;
        default:
            break;
        }
        if (ch.category() == QChar::Mark_NonSpacing)
            continue;
        QChar base = ch;
        while (base.decompositionTag() == QChar::Canonical) {
            const QString parts = base.decomposition();
            if (parts.isEmpty() || parts[0] == base)
                break;
            base = parts[0];
        }
        out += base.toCaseFolded();
    }
    return out;
}

namespace {

// The coarsest file time a library may lie on: FAT and some shares count in two seconds.
constexpr int kClockTick = 2;

struct Word {
    QString plain;
    QString spelled; // "" when the spelled-out form need not be tried
};

// The words of a search text, each once, the longest first: it rules out
// most documents at the first comparison.
std::vector<Word> WordsOf(const QString &text)
{
    std::vector<Word> words;
    QSet<QString> seen;
    const QStringView all(text);
    for (qsizetype i = 0; i < all.size();) {
        if (all[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < all.size() && !all[end].isSpace())
            ++end;
        const QStringView piece = all.mid(i, end - i);
        i = end;
        Word w{SearchFold(piece), SearchFold(piece, true)};
        const bool spells = w.spelled != w.plain || w.plain.contains(u"ae") || w.plain.contains(u"oe")
            || w.plain.contains(u"ue");
        if (!spells)
            w.spelled.clear();
        if (!seen.contains(w.plain)) {
            seen.insert(w.plain);
            words.push_back(std::move(w));
        }
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const Word &a, const Word &b) { return a.plain.size() > b.plain.size(); });
    return words;
}

} // namespace

SearchIndex::SearchIndex(const LibraryPaths &paths) : m_library(paths) {}

SearchIndex::Stamp SearchIndex::StampOf(const QString &path, const QDateTime &readAt)
{
    const QFileInfo info(path);
    Stamp s;
    s.path = path;
    if (info.exists()) {
        s.modified = info.lastModified();
        s.size = info.size();
    }
    s.settled = readAt.isValid() && (!s.modified.isValid() || s.modified.addSecs(kClockTick) < readAt);
    return s;
}

bool SearchIndex::changed() const
{
    const QDateTime now = QDateTime::currentDateTime();
    return std::any_of(m_stamps.begin(), m_stamps.end(), [&now](const Stamp &s) {
        return !StampOf(s.path).same(s) || (!s.settled && s.modified.addSecs(kClockTick) < now);
    });
}

bool SearchIndex::Refresh()
{
    if (m_read && !changed())
        return false;
    read();
    m_read = true;
    return true;
}

void SearchIndex::read()
{
    m_entries.clear();
    m_stamps.clear();
    // Stamped before reading: a change made meanwhile is read next time.
    const QDateTime now = QDateTime::currentDateTime();
    m_stamps.push_back(StampOf(m_library.userFile().path(), now));
    m_categories = m_library.Categories();
    QStringList names;
    for (int i = 0; i < m_categories.size(); ++i) {
        const CategoryLocation where = m_library.LocateCategory(i + 1);
        // Without a "DIR" value of its own the list keeps showing another folder.
        if (where.dirValue.isEmpty() || where.folder.isEmpty())
            continue;
        m_stamps.push_back(StampOf(where.folder, now));
        if (!where.exists)
            continue;
        for (QString &name : m_library.Documents(where.folder)) {
            names.append(name);
            m_entries.push_back({i, std::move(name), {}, {}, {}});
        }
    }
    const QStringList help = m_library.userFile().DocumentInfos(names);
    for (std::size_t n = 0; n < m_entries.size(); ++n) {
        Entry &e = m_entries[n];
        e.helpText = help[qsizetype(n)];
        // A word never holds a line feed, so no hit spans name and help text.
        const QString both = e.document + u'\n' + e.helpText;
        e.folded = SearchFold(both);
        e.spelled = SearchFold(both, true);
        if (e.spelled == e.folded)
            e.spelled.clear();
    }
}

SearchResult SearchIndex::Find(const QString &text, int limit) const
{
    SearchResult result;
    const std::vector<Word> words = WordsOf(text);
    if (words.empty())
        return result;
    for (const Entry &e : m_entries) {
        const QString &spelled = e.spelled.isEmpty() ? e.folded : e.spelled;
        const bool all = std::all_of(words.begin(), words.end(), [&](const Word &w) {
            return e.folded.contains(w.plain) || (!w.spelled.isEmpty() && spelled.contains(w.spelled));
        });
        if (!all)
            continue;
        ++result.total;
        if (result.hits.size() < limit)
            result.hits.append({e.category, m_categories[e.category], e.document, e.helpText});
    }
    return result;
}

} // namespace vv
