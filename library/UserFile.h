#pragma once
// The user file User.dat in the templates folder: category names, folders,
// help texts and the print switch. Windows never build keys or parse INI text
// themselves; they ask this class.

#include "LibraryPaths.h"

#include <QString>
#include <QStringList>

namespace vv {

class UserFile {
public:
    explicit UserFile(const LibraryPaths &paths);

    const LibraryPaths &paths() const { return m_paths; }
    QString path() const { return m_paths.userFile(); }
    QString backupPath() const { return m_paths.userBackup(); }

    // Position 1 → "01" … 9 → "09"; 0 (nothing selected) → "00", which finds nothing.
    static QString CategoryKey(int position);
    static constexpr int kMaxCategories = 9;

    // "CAT" 01..09 in key order, empty values skipped.
    QStringList ReadCategories() const;

    // The "DIR" value of a position with the leading "\" put in front when
    // missing; "" when the key is missing or empty.
    QString CategoryDirValue(int position) const;

    QString CategoryInfo(int position) const;
    QString DocumentInfo(const QString &fileName) const;
    // The help texts of many documents, in the order asked, from one read.
    QStringList DocumentInfos(const QStringList &fileNames) const;
    // A profile value ends at its line: the lines of a help text are kept as
    // one, joined by a blank.
    int WriteDocumentInfo(const QString &fileName, const QString &text) const;

    // What an installation supplies and the program itself never changes in
    // place: a category's key pair, and a category's help text.
    int WriteCategory(int position, const QString &name, const QString &dirValue) const;
    int WriteCategoryInfo(int position, const QString &text) const;

    bool PrintDoc() const;
    int WritePrintDoc(bool on) const;

    // The highest key from "01" to "09" that "CAT" or "DIR" uses; 0 when none.
    int LastCategoryKey() const;

    // User.dat → User.bak, overwriting. False when there was nothing to copy.
    bool Backup() const;

    // Removes "CAT"/n and "DIR"/n of the first n from 01 to 09 whose "CAT"
    // equals name exactly; the others keep their numbers. Returns n, 0 when
    // no key matched (the file is then untouched).
    int RemoveCategory(const QString &name) const;

    // Replaces "CAT" and "DIR" by one key pair per folder name, from "01" on
    // (beyond "09" too): "CAT" the name, "DIR" "\" + the name. One replace of
    // the file. False when it could not be written.
    bool RewriteFromFolders(const QStringList &folderNames) const;

    // "CAT" 01..09 from names (keys past the list removed), "DIR" anew: each
    // name gets the "DIR" value the snapshot file pairs with that name (the
    // later key wins when the snapshot holds a name twice); a name the
    // snapshot lacks gets none. One replace of the file.
    bool RewriteOrder(const QStringList &names, const QString &snapshotFile) const;

private:
    LibraryPaths m_paths;
};

// The number a classic Val() reads at the start of a text: " 1", "01", "1.0"
// and "1abc" all give 1; no digits give 0.
double VbVal(const QString &text);

} // namespace vv
