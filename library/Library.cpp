#include "Library.h"

#include "FileServices.h"
#include "RecycleKillFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vv {
namespace {

// The name as it is on disk, "" when nothing answers to it: a library copied
// from Windows spells its names in any letter case.
QString OnDisk(const QString &path)
{
    return DiskSpelling(path);
}

bool SameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// A copy counts only when it is there in full; a target that merely exists
// (an older file the copy could not replace) does not.
bool Arrived(const QString &source, const QString &target)
{
    const QFileInfo t(target);
    return t.isFile() && t.size() == QFileInfo(source).size() && !SameFile(source, target);
}

// Restorable, and no question or error box; a move asks for the simple
// progress window, which the trash here never shows anyway.
bool ToTrash(const QString &file, bool simpleProgress = false)
{
    return RecycleFiles(QStringList{file}, true, simpleProgress, false, simpleProgress, false);
}

bool DeleteForGood(const QString &file)
{
    return RecycleFiles(QStringList{file}, false, false, false, false, false);
}

} // namespace

Library::Library(const LibraryPaths &paths) : m_paths(paths), m_user(paths) {}

QString Library::folderOf(const QString &category) const
{
    const QString folder = m_paths.categoryFolder(category);
    const QString spelled = folder.isEmpty() ? QString() : OnDisk(folder);
    return spelled.isEmpty() ? folder : spelled;
}

CategoryLocation Library::LocateCategory(int position) const
{
    CategoryLocation where;
    where.dirValue = m_user.CategoryDirValue(position);
    const QString folder = m_paths.folderFromDirValue(where.dirValue);
    const QString spelled = folder.isEmpty() ? QString() : OnDisk(folder);
    where.folder = spelled.isEmpty() ? folder : spelled;
    where.exists = !spelled.isEmpty();
    return where;
}

CategoryLocation Library::LocateCategory(const QString &name) const
{
    CategoryLocation where;
    where.folder = folderOf(name);
    where.exists = !where.folder.isEmpty() && PathExists(where.folder);
    return where;
}

QStringList Library::Documents(const QString &folder) const
{
    if (folder.isEmpty())
        return {};
    QStringList names = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden, QDir::NoSort);
    SortNamesGerman(names);
    return names;
}

QStringList Library::CategoryFolders() const
{
    QStringList names = QDir(m_paths.templatesFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    SortNamesGerman(names);
    return names;
}

QString Library::PreviewFileName(const QString &documentName, const QString &picture)
{
    // QString::left of a negative count would keep the whole name.
    return documentName.left(qMax<qsizetype>(0, documentName.size() - 3)) + picture.right(3);
}

QString Library::PreviewPicture(const QString &folder, const QString &document) const
{
    QString picture;
    if (document.size() >= 3) {
        const QString base = folder + QLatin1Char('/') + PreviewFileName(document, QString());
        if (const QString gif = OnDisk(base + QStringLiteral("gif")); !gif.isEmpty())
            picture = gif;
        if (const QString jpg = OnDisk(base + QStringLiteral("jpg")); !jpg.isEmpty())
            picture = jpg;
    }
    if (picture.isEmpty())
        picture = OnDisk(m_paths.fallbackPicture());
    return picture;
}

WorkingCopy Library::MakeWorkingCopy(const QString &folder, const QString &document) const
{
    WorkingCopy copy;
    if (document.isEmpty())
        return copy;
    const QString temp = GetTempFile();
    if (temp.isEmpty()) {
        copy.status = WorkingCopy::NoTempFile;
        return copy;
    }
    const QString path = temp.left(temp.size() - 3) + QStringLiteral("pdf");
    const QString source = OnDisk(folder + QLatin1Char('/') + document);
    if (source.isEmpty() || !CopyFileOverwrite(source, path)) {
        copy.status = WorkingCopy::CopyFailed;
        return copy;
    }
    copy.status = WorkingCopy::Made;
    copy.path = path;
    return copy;
}

bool Library::DocumentExists(const QString &category, const QString &fileName) const
{
    const QString folder = folderOf(category);
    return !folder.isEmpty() && !fileName.isEmpty() && FileExists(folder + QLatin1Char('/') + fileName);
}

AddResult Library::AddDocument(const QString &category, const QString &fileName, const QString &helpText,
                               const QString &sourceDocument, const QString &sourcePreview) const
{
    AddResult result;
    result.backedUp = m_user.Backup();
    result.helpWritten = m_user.WriteDocumentInfo(fileName, helpText) != 0;
    const QString folder = folderOf(category);
    if (sourceDocument.isEmpty() || folder.isEmpty() || fileName.isEmpty())
        return result;
    result.documentCopied = CopyFileOverwrite(sourceDocument, folder + QLatin1Char('/') + fileName);
    if (!sourcePreview.isEmpty())
        result.previewCopied = CopyFileOverwrite(sourcePreview,
                                                 folder + QLatin1Char('/') + PreviewFileName(fileName, sourcePreview));
    return result;
}

MoveResult Library::MoveDocument(const QString &sourceFolder, const QString &document,
                                 const QString &targetCategory) const
{
    MoveResult result;
    const QString targetFolder = folderOf(targetCategory);
    const QString source = OnDisk(sourceFolder + QLatin1Char('/') + document);
    const QString sourcePreview = OnDisk(sourceFolder + QLatin1Char('/') + PreviewFileName(document, QStringLiteral("gif")));
    // The copies keep the names the files have, whatever case the list used.
    const QString target = targetFolder + QLatin1Char('/') + (source.isEmpty() ? document : GetFileName(source));
    const QString targetPreview = targetFolder + QLatin1Char('/') + GetFileName(sourcePreview);

    // Without a target folder or a document nothing may be copied, and a copy
    // onto itself would let the source be trashed as "arrived".
    const bool usable = !targetFolder.isEmpty() && !document.isEmpty();
    const bool copied = usable && !source.isEmpty() && !SameFile(source, target);
    if (copied)
        CopyFileOverwrite(source, target);
    const bool hasPreview = usable && !sourcePreview.isEmpty() && !SameFile(sourcePreview, targetPreview);
    if (hasPreview)
        CopyFileOverwrite(sourcePreview, targetPreview);

    result.backedUp = m_user.Backup();

    if (copied && Arrived(source, target) && ToTrash(source, true)) {
        result.moved = true;
        if (hasPreview) {
            result.previewMoved = Arrived(sourcePreview, targetPreview) && ToTrash(sourcePreview, true);
            // A preview left behind counts as a failed move, as it always did.
            result.moved = result.previewMoved;
        }
    }
    return result;
}

DeleteDocumentResult Library::DeleteDocument(const QString &folder, const QString &document) const
{
    DeleteDocumentResult result;
    if (document.isEmpty())
        return result;
    if (document.size() >= 3) {
        const QString preview = OnDisk(folder + QLatin1Char('/') + PreviewFileName(document, QStringLiteral("gif")));
        if (!preview.isEmpty())
            result.previewTrashed = ToTrash(preview);
    }
    const QString file = OnDisk(folder + QLatin1Char('/') + document);
    if (!file.isEmpty())
        result.documentTrashed = ToTrash(file);
    return result;
}

int Library::CountDocuments(const QString &category) const
{
    const QString folder = folderOf(category);
    if (folder.isEmpty() || !PathExists(folder))
        return 0;
    return int(Documents(folder).size());
}

DeleteCategoryResult Library::DeleteCategory(const QString &name) const
{
    DeleteCategoryResult result;
    if (FileExists(m_paths.userFile()))
        result.backedUp = m_user.Backup();
    result.removedKey = m_user.RemoveCategory(name);
    const QString folder = folderOf(name);
    // Only an empty folder goes; one still holding pictures stays.
    if (!folder.isEmpty() && PathExists(folder))
        result.folderRemoved = QDir().rmdir(folder);
    return result;
}

UpdateResult Library::UpdateDatabase() const
{
    UpdateResult result;
    if (FileExists(m_paths.userBackup()))
        DeleteForGood(m_paths.userBackup());
    if (FileExists(m_paths.userFile()))
        result.backedUp = m_user.Backup();
    result.categories = CategoryFolders();
    result.written = m_user.RewriteFromFolders(result.categories);
    return result;
}

void Library::SaveCategoryOrder(const QStringList &names, bool rewrite) const
{
    if (!FileExists(m_paths.userSnapshot()) && FileExists(m_paths.userFile()))
        CopyFileOverwrite(m_paths.userFile(), m_paths.userSnapshot());
    m_user.Backup();
    if (rewrite)
        m_user.RewriteOrder(names, m_paths.userSnapshot());
}

bool Library::DeleteSnapshot() const
{
    return !FileExists(m_paths.userSnapshot()) || DeleteForGood(m_paths.userSnapshot());
}

} // namespace vv
