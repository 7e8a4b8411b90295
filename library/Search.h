#pragma once
// Finding documents in all categories at once, by file name and help text.
//
// How texts compare: letter case does not count; "ä", "ö", "ü" match their
// plain letter and, when the search text holds an umlaut or "ae", "oe", "ue",
// also their spelling with "e" ("Kundigung" and "Kuendigung" both find
// "Kündigung", "Kündigung" finds "Kuendigung"); "ß" and "ss" are the same;
// other accents are dropped ("Cafe" finds "Café"). The search text is split
// at blanks and a document is a hit when each word occurs in its file name or
// in its help text. Every character stands for itself: no wildcards, no
// patterns.

#include "Library.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace vv {

// A text in the form a search compares. spellOut writes umlauts as "ae",
// "oe", "ue" instead of dropping their dots.
QString SearchFold(QStringView text, bool spellOut = false);

struct SearchHit {
    int categoryIndex = -1; // in the main window's category list, from 0
    QString category;       // its display name
    QString document;       // the file name as the document list shows it
    QString helpText;       // as the user file gives it
};

struct SearchResult {
    QList<SearchHit> hits; // in category order, each category in list order
    int total = 0;         // every hit, also those beyond the limit asked for
};

// What a search looks through: every document of every category the main
// window lists, with its help text. Made once and kept; Refresh reads the
// library again only when it changed, so a search per keystroke costs a few
// file times and the comparison of folded texts.
class SearchIndex {
public:
    explicit SearchIndex(const LibraryPaths &paths);

    // Reads the library when the user file (time, size) or a category folder
    // (time) changed since the last read, or on the first call; and once
    // more, two seconds on, when one had changed just before a read. A category
    // whose folder is missing, or that names none of its own, adds nothing.
    // True when it read.
    bool Refresh();

    // At most limit hits; text of blanks only finds nothing.
    SearchResult Find(const QString &text, int limit) const;

    int documentCount() const { return int(m_entries.size()); }

private:
    struct Entry {
        int category;
        QString document;
        QString helpText;
        QString folded;  // name, line feed, help text, SearchFold'ed
        QString spelled; // the same with umlauts spelled out; "" when equal
    };
    struct Stamp {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        // A time close to the read may hide a change made in the same tick
        // of the file system's clock (two seconds on some shares): once that
        // tick is surely over, such a stamp makes one more read.
        bool settled = false;
        bool same(const Stamp &o) const { return path == o.path && modified == o.modified && size == o.size; }
    };
    static Stamp StampOf(const QString &path, const QDateTime &readAt = QDateTime());
    bool changed() const;
    void read();

    Library m_library;
    QStringList m_categories;
    std::vector<Entry> m_entries;
    // The user file first, then each category folder read.
    std::vector<Stamp> m_stamps;
    bool m_read = false;
};

} // namespace vv
