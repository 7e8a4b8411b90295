#pragma once
// The template library: its categories and documents, the preview rule, and
// every change a window makes to the files. Each change returns what
// happened; the window turns that into its message, or into silence.
//
// No operation shows anything or waits; the windows keep their pauses and
// busy pointers around these calls.

#include "CategoryName.h"
#include "FileServices.h"
#include "LibraryPaths.h"
#include "UserFile.h"

#include <QString>
#include <QStringList>

namespace vv {

// A category position's folder as the main window finds it.
struct CategoryLocation {
    QString dirValue; // the "DIR" value with its leading "\", "" when none
    QString folder;   // on disk; "" when the value leaves the library
    bool exists = false;
};

struct AddResult {
    bool backedUp = false;
    bool helpWritten = false;
    bool documentCopied = false; // false also when no document was to be copied
    bool previewCopied = false;
};

struct MoveResult {
    bool moved = false; // the document arrived whole and its source is in the trash
    bool previewMoved = false;
    bool backedUp = false;
};

struct DeleteDocumentResult {
    bool documentTrashed = false;
    bool previewTrashed = false;
};

struct DeleteCategoryResult {
    bool backedUp = false;
    int removedKey = 0; // the "CAT"/"DIR" number removed, 0 when none matched
    bool folderRemoved = false;
};

struct CreateCategoryResult {
    enum Status { Created, Refused, FolderFailed, WriteFailed } status = Refused;
    CategoryNameProblem problem = CategoryNameProblem::None; // why it was refused
    int key = 0; // the "CAT"/"DIR" number written
    bool backedUp = false;
};

struct FormReplaceResult {
    enum Status { Replaced, NoForm, ReadOnly, BackupFailed, WriteFailed } status = NoForm;
    bool backedUp = false;
};

// A document of the library that has no preview picture of its own yet.
struct MissingPreview {
    QString document; // full path of the PDF
    QString picture;  // full path of the ".jpg" to make beside it
};

struct UpdateResult {
    QStringList categories; // the folder names now in "CAT", in key order
    bool backedUp = false;
    bool written = false;
};

struct WorkingCopy {
    enum Status { Made, NoDocument, NoTempFile, CopyFailed } status = NoDocument;
    QString path;
};

class Library {
public:
    explicit Library(const LibraryPaths &paths);

    const LibraryPaths &paths() const { return m_paths; }
    const UserFile &userFile() const { return m_user; }

    // Browsing.
    QStringList Categories() const { return m_user.ReadCategories(); }
    CategoryLocation LocateCategory(int position) const;
    // The editor's way: the display name is the folder's name (dirValue stays "").
    CategoryLocation LocateCategory(const QString &name) const;
    // The PDF documents directly in folder ("*.pdf", letter case ignored as
    // on Windows), in German order; the main window, the editor and the
    // database update all list them so.
    QStringList Documents(const QString &folder) const;
    // The folders directly below the templates folder, in the same order;
    // hidden ones (a trash folder, say) are no categories.
    QStringList CategoryFolders() const;
    // The picture shown for a document: its ".jpg", else its ".gif", else the
    // fallback picture; "" when none exists. In the folder Documents listed
    // last, a picture in another letter case is found in what that listing
    // saw; one added in another letter case after it shows once the folder is
    // listed again.
    QString PreviewPicture(const QString &folder, const QString &document) const;
    // A document's preview name: the document's name without its last three
    // characters plus the last three characters of picture ("Antrag.pdf"
    // with "bild.jpeg" gives "Antrag.peg"). Cut by count, not at the dot.
    static QString PreviewFileName(const QString &documentName, const QString &picture);
    // Whether the main window will ever show a preview stored from picture:
    // only when the name it is stored under ends in "jpg" or "gif" (letter
    // case ignored), so "bild.png" or "bild.jpeg" would be stored unseen.
    static bool PreviewTypeShown(const QString &picture);

    // A fresh temporary copy of a document ending in "pdf", for the viewer.
    WorkingCopy MakeWorkingCopy(const QString &folder, const QString &document) const;

    // Adding and help texts.
    bool DocumentExists(const QString &category, const QString &fileName) const;
    // Backs the user file up, writes the help text under fileName and, when
    // sourceDocument is not empty, copies it (and sourcePreview, when given)
    // into the category's folder, overwriting.
    AddResult AddDocument(const QString &category, const QString &fileName, const QString &helpText,
                          const QString &sourceDocument, const QString &sourcePreview) const;

    // Moves a document and its ".gif" preview into another category's folder.
    // A source goes to the trash only after a copy of the same size arrived;
    // the help text stays (it is keyed by the file name alone).
    MoveResult MoveDocument(const QString &sourceFolder, const QString &document,
                            const QString &targetCategory) const;

    // The ".gif" preview, then the document, to the trash (restorable). A
    // ".jpg" preview, the help text and favourites stay.
    DeleteDocumentResult DeleteDocument(const QString &folder, const QString &document) const;

    // The power-of-attorney forms beside the program. A replacement keeps
    // the old form as DOCFORMn.BAK (overwriting an older one) and then puts
    // the picture in its place in one rename; a read-only form, or a backup
    // that could not be made, leaves both files as they were.
    FormReplaceResult ReplacePowerOfAttorneyForm(int n, const QByteArray &picture) const;
    // The form to the trash (restorable).
    bool DeletePowerOfAttorneyForm(int n) const;

    // Every document of the listed categories without a ".jpg" or ".gif"
    // (in any letter case), in list order; the picture to make is the
    // document's name with "jpg" for its last three characters.
    QList<MissingPreview> MissingPreviews() const;

    // Category maintenance (the editor).
    // How many PDF documents a category's folder holds (0 when it is missing).
    int CountDocuments(const QString &category) const;
    // Backup, the first key pair of that exact name removed, its folder
    // removed when empty. The caller has checked that no PDF is left.
    DeleteCategoryResult DeleteCategory(const QString &name) const;
    // Whether a category may still be added: None, TooMany or NoFreeKey.
    CategoryNameProblem CategoryRoom() const;
    // A new category after the last key in use: its folder, the backup, then
    // "CAT" the name and "DIR" "\" + the name in one write. A refused name
    // leaves every file as it was; a failed write takes the new folder back.
    CreateCategoryResult CreateCategory(const QString &name) const;
    // Rebuilds "CAT" and "DIR" from the folders on disk: the old backup
    // deleted for good, a fresh one, then one key pair per folder.
    UpdateResult UpdateDatabase() const;
    // The snapshot (made once per editor opening), the backup, and with
    // rewrite set "CAT"/"DIR" in the order of names.
    void SaveCategoryOrder(const QStringList &names, bool rewrite) const;
    // The editor's snapshot goes for good when it closes.
    bool DeleteSnapshot() const;

private:
    // A category's folder as it is spelled on disk, else as its name says.
    QString folderOf(const QString &category) const;
    // The picture of that name in folder, in any letter case; "" when none.
    QString pictureIn(const QString &folder, const QString &name) const;
    void forgetListing() const { m_listed = FolderListing(); }

    LibraryPaths m_paths;
    UserFile m_user;
    // The pictures the last listing of a folder saw: choosing a preview there
    // then reads the folder no second time. Every change here forgets them.
    mutable FolderListing m_listed;
};

} // namespace vv
