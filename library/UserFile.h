#pragma once
// The user file User.dat in the templates folder: category names, folders,
// help texts and the print switch. Windows never build keys or parse INI text
// themselves; they ask this class.

#include <QString>
#include <QStringList>

namespace vv {

class UserFile {
public:
    // templatesFolder: installation folder + "/Vorlagen" (platform separators).
    explicit UserFile(const QString &templatesFolder);

    QString templatesFolder() const { return m_templates; }
    QString path() const;        // .../User.dat
    QString backupPath() const;  // .../User.bak

    // Position 1 → "01" … 9 → "09"; 0 (nothing selected) → "00", which finds nothing.
    static QString CategoryKey(int position);
    static constexpr int kMaxCategories = 9;

    // "CAT" 01..09 in key order, empty values skipped.
    QStringList ReadCategories() const;

    // The "DIR" value of a position with the leading "\" put in front when
    // missing; "" when the key is missing or empty.
    QString CategoryDirValue(int position) const;

    // Where a "DIR" value leads on disk, below the templates folder. "" when
    // the value would leave the templates folder or is malformed ("..",
    // absolute, drive letter, trailing "\"), so the caller reports the folder
    // as missing. An empty value yields the templates folder itself.
    QString ResolveCategoryFolder(const QString &dirValue) const;

    QString CategoryInfo(int position) const;
    QString DocumentInfo(const QString &fileName) const;
    int WriteDocumentInfo(const QString &fileName, const QString &text) const;

    // The folder a category's display name stands for, with trailing "/";
    // "" for a name that cannot be a folder of the library (empty, ".", "..",
    // or holding a separator), so nothing is written outside it.
    QString CategoryFolder(const QString &categoryName) const;

    // A document's preview name: the document's name without its last three
    // characters plus the last three characters of picture ("Antrag.pdf" with
    // "bild.jpeg" gives "Antrag.peg"). Cut by count, not at the dot.
    static QString PreviewFileName(const QString &documentName, const QString &picture);

    bool PrintDoc() const;
    int WritePrintDoc(bool on) const;

    // User.dat → User.bak, overwriting. False when there was nothing to copy.
    bool Backup() const;

private:
    QString m_templates;
};

// Sort order of file and folder names everywhere in the library: German
// dictionary order (ä with a, ß as ss), letter case only as a tie-break,
// digits by value ("Anlage 2" before "Anlage 10").
void SortNamesGerman(QStringList &names);

// The number a classic Val() reads at the start of a text: " 1", "01", "1.0"
// and "1abc" all give 1; no digits give 0.
double VbVal(const QString &text);

} // namespace vv
