#pragma once
// The favourites file VORLAGEN.DAT beside the program: up to ten documents,
// each in a slot "0".."9" with a label ("DOCS") and a path relative to the
// program folder ("PDFFILE"). The host application reads the same file for
// its own menu, so its format is fixed.

#include "LibraryPaths.h"

#include <QList>
#include <QString>

namespace vv {

struct Favourite {
    int slot = -1;
    QString label;
    QString path; // as stored: "\Vorlagen\<category>\<file>"
};

class Favourites {
public:
    static constexpr int kSlots = 10;

    explicit Favourites(const LibraryPaths &paths);

    QString file() const { return m_paths.favouritesFile(); }

    // The slots that hold both a label and a path, in slot order.
    QList<Favourite> Load() const;

    // The highest-numbered slot whose path is empty, -1 when all are taken.
    int FreeSlot() const;
    // Writes the document into FreeSlot(): label the file name without its
    // last four characters, path "\Vorlagen\" + category + "\" + file name.
    // The slot, or -1 when every slot is taken (nothing is written).
    int Add(const QString &category, const QString &fileName) const;
    // The first slot labelled so, -1 when none is.
    int SlotOfLabel(const QString &label) const;
    // The first slot labelled oldLabel gets newLabel; the path stays. The
    // slot, or -1 when none matches or newLabel is empty.
    int Rename(const QString &oldLabel, const QString &newLabel) const;

    struct SaveResult {
        bool backedUp = false;
        bool written = false;
        int stored = 0;
    };
    // Backs the file up to VORLAGEN.BAK and rewrites both sections from the
    // list: slots "0" upward without gaps, at most ten. One replace of the file.
    SaveResult Save(const QList<Favourite> &favourites) const;

    // The editor list's entry: label, eight TABs, path; and back.
    static QString ListEntry(const QString &label, const QString &path);
    static Favourite SplitListEntry(const QString &entry);

private:
    LibraryPaths m_paths;
};

} // namespace vv
