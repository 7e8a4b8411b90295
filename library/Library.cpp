#include "Library.h"

#include "FileLock.h"
#include "FileServices.h"
#include "RecycleKillFiles.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

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

const QString kPdf = QStringLiteral(".pdf");

QCollator GermanCollator()
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

struct Keyed {
    QCollatorSortKey key;
    QString name;
};

// The same order from keys of our own, for names written only with letters,
// umlauts, ß, digits, blanks and ASCII punctuation, as nearly every office
// names its files: the collator takes some 7,000 instructions for each key.
// The keys lie one after the other in one buffer: thousands of small ones
// would leave holes between the names that stay, which the heap cannot give
// back.
struct PlainKeyed {
    qsizetype at;
    qsizetype size;
    QString name;
};

bool Before(const Keyed &a, const Keyed &b)
{
    const int c = a.key.compare(b.key);
    return c != 0 ? c < 0 : a.name < b.name; // the same name in other letter case: a fixed order
}

class PlainBefore {
public:
    explicit PlainBefore(const QByteArray &keys) : m_keys(keys.constData()) {}
    bool operator()(const PlainKeyed &a, const PlainKeyed &b) const
    {
        const int c = std::memcmp(m_keys + a.at, m_keys + b.at, size_t(qMin(a.size, b.size)));
        if (c != 0)
            return c < 0;
        return a.size != b.size ? a.size < b.size : a.name < b.name;
    }

private:
    const char *m_keys;
};

// One collator for each of the two threads: one may not serve two at once.
const QCollator &Collator(int thread)
{
    static const QCollator collators[2] = {GermanCollator(), GermanCollator()};
    return collators[thread];
}

// The key of a plain name: the base letters, punctuation and numbers first,
// as the collator weighs them first, then the umlauts' marks; case counts
// for nothing. A number is its digits without leading zeros, after their
// count, so it weighs by value.
class PlainKeys {
public:
    PlainKeys()
    {
        // The punctuation as the German collator orders it, all before the
        // digits and they before the letters. Asking the collator itself at
        // start-up would load its tables before the first window is shown.
        const char *order = " _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$";
        for (int rank = 1; *order; ++rank)
            m_rank[uchar(*order++)] = uchar(rank);
    }

    // Appends the key; false, and nothing appended, for a name with anything
    // else in it.
    bool key(const QString &name, QByteArray *out) const
    {
        const char16_t *s = reinterpret_cast<const char16_t *>(name.constData());
        const qsizetype n = name.size();
        // At most three bytes a character for the first part (a one-digit
        // number), one for the end, two a character for the marks.
        const qsizetype start = out->size();
        out->resize(start + 5 * n + 1);
        char *const begin = out->data();
        char *k = begin + start;
        int marks = 0; // secondary weights beyond the plain ones
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = s[i];
            if (c >= u'0' && c <= u'9') {
                qsizetype end = i;
                while (end < n && s[end] >= u'0' && s[end] <= u'9')
                    ++end;
                qsizetype first = i;
                while (first < end - 1 && s[first] == u'0')
                    ++first;
                if (end - first > 200) {
                    out->truncate(start);
                    return false;
                }
                *k++ = char(kNumber);
                *k++ = char(end - first);
                for (qsizetype d = first; d < end; ++d)
                    *k++ = char(s[d]);
                i = end - 1;
            } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
                *k++ = char(kLetter + ((c | 0x20) - u'a'));
            } else if (c >= 0x20 && c < 0x7f) {
                *k++ = char(m_rank[c]);
            } else if (c == u'ß') {
                *k++ = char(kLetter + 's' - 'a');
                *k++ = char(kLetter + 's' - 'a');
                ++marks;
            } else {
                const char base = Umlaut(c);
                if (!base) {
                    out->truncate(start);
                    return false;
                }
                *k++ = char(kLetter + base - 'a');
                ++marks;
            }
        }
        *k++ = '\0';
        // Each letter's plain weight, an umlaut's mark after it, ß as an s
        // with a lesser mark and a plain s.
        for (qsizetype i = 0; marks > 0 && i < n; ++i) {
            const char16_t c = s[i];
            if (c >= u'0' && c <= u'9') {
                while (i + 1 < n && s[i + 1] >= u'0' && s[i + 1] <= u'9')
                    ++i;
            }
            if (c == u'ß') {
                *k++ = kSharpS;
                *k++ = kPlain;
                continue;
            }
            *k++ = kPlain;
            if (c >= 0x80)
                *k++ = kUmlaut;
        }
        out->truncate(k - begin);
        return true;
    }

private:
    static char Umlaut(char16_t c)
    {
        switch (c) {
        case u'ä': case u'Ä': return 'a';
        case u'ö': case u'Ö': return 'o';
        case u'ü': case u'Ü': return 'u';
        default: return 0;
        }
    }

    static constexpr int kNumber = 0x40, kLetter = 0x41;
    static constexpr char kPlain = 1, kSharpS = 2, kUmlaut = 3;
    uchar m_rank[0x80] = {};
};

const PlainKeys &Plain()
{
    static const PlainKeys keys;
    return keys;
}

// Each name's collation key is made once: comparing two keys is a byte
// compare, where the collator would work through both names again at each
// of the n log n comparisons.
void AppendKeyed(std::vector<Keyed> &keyed, const QCollator &collator, QStringList names)
{
    for (QString &name : names)
        keyed.push_back({collator.sortKey(name), std::move(name)});
}

// A long list is sorted in two halves at once, on two cores, and merged.
template<typename K, typename Less>
QStringList SortedNames(std::vector<K> keyed, Less before)
{
    constexpr size_t kHalvesFrom = 2000;
    auto middle = keyed.size() < kHalvesFrom ? keyed.end() : keyed.begin() + keyed.size() / 2;
    std::thread helper;
    if (middle != keyed.end())
        helper = std::thread([&] { std::sort(middle, keyed.end(), before); });
    std::sort(keyed.begin(), middle, before);
    if (helper.joinable())
        helper.join();
    QStringList names;
    names.reserve(qsizetype(keyed.size()));
    for (auto a = keyed.begin(), b = middle; a != middle || b != keyed.end();)
        names.append(std::move((b == keyed.end() || (a != middle && !before(*b, *a)) ? a++ : b++)->name));
    return names;
}

// German dictionary order (ä with a, ß as ss), letter case only as a
// tie-break, digits by value, for names that may still be being listed: from
// the first batch handed over, a helper thread makes their keys while the
// folder is read on, its own while the names are plain, the collator's from
// the first other one on.
class GermanOrder {
public:
    GermanOrder() = default;
    GermanOrder(const GermanOrder &) = delete;
    GermanOrder &operator=(const GermanOrder &) = delete;
    ~GermanOrder() { stopHelper(); }

    void add(QStringList batch)
    {
        if (m_plain && (keyPlain(batch), m_plain))
            return;
        if (!m_helper.joinable())
            m_helper = std::thread([this] { keyBatches(); });
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_batches.push_back(std::move(batch));
        }
        m_more.notify_one();
    }

    // Every name handed over, and the rest, in order.
    QStringList sorted(QStringList rest)
    {
        stopHelper();
        if (m_plain && (keyPlain(rest), m_plain))
            return SortedNames(std::move(m_plainKeyed), PlainBefore(m_plainKeys));
        AppendKeyed(m_keyed, Collator(0), std::move(rest));
        return SortedNames(std::move(m_keyed), Before);
    }

private:
    // Keys the names while they are plain; at the first other one, every
    // name seen goes back into the batch for the collator.
    void keyPlain(QStringList &batch)
    {
        const PlainKeys &plain = Plain();
        const size_t before = m_plainKeyed.size();
        for (const QString &name : batch) {
            const qsizetype at = m_plainKeys.size();
            if (!plain.key(name, &m_plainKeys)) {
                m_plain = false;
                break;
            }
            m_plainKeyed.push_back({at, m_plainKeys.size() - at, name});
        }
        if (m_plain)
            return;
        m_plainKeyed.resize(before);
        for (PlainKeyed &k : m_plainKeyed)
            batch.append(std::move(k.name));
        m_plainKeyed = {};
        m_plainKeys = QByteArray();
    }

    void keyBatches()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_more.wait(lock, [this] { return !m_batches.empty() || m_last; });
            if (m_batches.empty())
                return;
            QStringList batch = std::move(m_batches.front());
            m_batches.pop_front();
            lock.unlock();
            AppendKeyed(m_keyed, Collator(1), std::move(batch));
            lock.lock();
        }
    }

    void stopHelper()
    {
        if (!m_helper.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_last = true;
        }
        m_more.notify_one();
        m_helper.join();
    }

    // Once false it stays so; only then does the helper run.
    bool m_plain = true;
    std::vector<PlainKeyed> m_plainKeyed;
    QByteArray m_plainKeys;
    std::mutex m_mutex;
    std::condition_variable m_more;
    std::deque<QStringList> m_batches;
    bool m_last = false;
    std::vector<Keyed> m_keyed; // the helper's until it has ended
    std::thread m_helper;
};

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
    forgetListing();
    if (folder.isEmpty())
        return {};
    // The pictures come along in the same pass over the folder, and the
    // names are put in order while it is read.
    GermanOrder order;
    m_listed = ListFolder(folder, {kPdf}, {QStringLiteral(".gif"), QStringLiteral(".jpg")},
                          [&order](QStringList &&batch) { order.add(std::move(batch)); });
    QStringList rest = std::move(m_listed.names);
    m_listed.names = QStringList();
    return order.sorted(std::move(rest));
}

QStringList Library::CategoryFolders() const
{
    return GermanOrder().sorted(
        QDir(m_paths.templatesFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort));
}

QString Library::PreviewFileName(const QString &documentName, const QString &picture)
{
    // QString::left of a negative count would keep the whole name.
    return documentName.left(qMax<qsizetype>(0, documentName.size() - 3)) + picture.right(3);
}

bool Library::PreviewTypeShown(const QString &picture)
{
    const QString ending = picture.right(3);
    return ending.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0
           || ending.compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0;
}

QString Library::pictureIn(const QString &folder, const QString &name) const
{
    if (folder.isEmpty() || folder != m_listed.folder)
        return OnDisk(folder + QLatin1Char('/') + name);
    return m_listed.find(name);
}

QString Library::PreviewPicture(const QString &folder, const QString &document) const
{
    QString picture;
    if (document.size() >= 3) {
        const QString base = PreviewFileName(document, QString());
        if (const QString gif = pictureIn(folder, base + QStringLiteral("gif")); !gif.isEmpty())
            picture = gif;
        if (const QString jpg = pictureIn(folder, base + QStringLiteral("jpg")); !jpg.isEmpty())
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
    forgetListing();
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
    forgetListing();
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
    forgetListing();
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

FormReplaceResult Library::ReplacePowerOfAttorneyForm(int n, const QByteArray &picture) const
{
    FormReplaceResult result;
    const QString form = m_paths.powerOfAttorneyForm(n);
    if (form.isEmpty() || picture.isEmpty())
        return result;
    const QFileInfo info(form);
    const auto writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    // Only the permission bits count: an administrator's rights would write through.
    if (info.exists() && (!info.isFile() || !(info.permissions() & writable))) {
        result.status = FormReplaceResult::ReadOnly;
        return result;
    }
    if (info.exists()) {
        if (!CopyFileOverwrite(form, m_paths.powerOfAttorneyBackup(n))) {
            result.status = FormReplaceResult::BackupFailed;
            return result;
        }
        result.backedUp = true;
    }
    result.status = ReplaceFileContents(form, picture) ? FormReplaceResult::Replaced : FormReplaceResult::WriteFailed;
    return result;
}

bool Library::DeletePowerOfAttorneyForm(int n) const
{
    const QString form = m_paths.powerOfAttorneyForm(n);
    return !form.isEmpty() && QFileInfo(form).isFile() && ToTrash(form);
}

QList<MissingPreview> Library::MissingPreviews() const
{
    QList<MissingPreview> missing;
    QStringList seen; // a name listed twice is one folder
    const QStringList categories = Categories();
    for (const QString &category : categories) {
        const CategoryLocation where = LocateCategory(category);
        if (!where.exists || seen.contains(where.folder))
            continue;
        seen.append(where.folder);
        const QStringList documents = Documents(where.folder);
        for (const QString &document : documents) {
            if (document.size() < 3)
                continue;
            const QString base = PreviewFileName(document, QString());
            if (!pictureIn(where.folder, base + QStringLiteral("jpg")).isEmpty()
                || !pictureIn(where.folder, base + QStringLiteral("gif")).isEmpty())
                continue;
            missing.append({where.folder + QLatin1Char('/') + document,
                            where.folder + QLatin1Char('/') + base + QStringLiteral("jpg")});
        }
    }
    return missing;
}

int Library::CountDocuments(const QString &category) const
{
    const QString folder = folderOf(category);
    if (folder.isEmpty() || !PathExists(folder))
        return 0;
    return int(ListFolder(folder, {kPdf}).names.size());
}

DeleteCategoryResult Library::DeleteCategory(const QString &name) const
{
    forgetListing();
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

CategoryNameProblem Library::CategoryRoom() const
{
    if (Categories().size() >= UserFile::kMaxCategories)
        return CategoryNameProblem::TooMany;
    // Keys go on from the last one in use; a gap before "09" closes only in
    // the database update.
    if (m_user.LastCategoryKey() >= UserFile::kMaxCategories)
        return CategoryNameProblem::NoFreeKey;
    return CategoryNameProblem::None;
}

CreateCategoryResult Library::CreateCategory(const QString &name) const
{
    forgetListing();
    CreateCategoryResult result;
    result.problem = CheckCategoryName(name);
    if (result.problem != CategoryNameProblem::None)
        return result;
    const QStringList categories = Categories();
    const auto taken = [&name](const QStringList &names) {
        return std::any_of(names.begin(), names.end(),
                           [&name](const QString &n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
    };
    const QString folder = m_paths.categoryFolder(name);
    if (taken(categories) || taken(QDir(m_paths.templatesFolder()).entryList(QDir::AllEntries | QDir::Hidden
                                                                            | QDir::System | QDir::NoDotAndDotDot))) {
        result.problem = CategoryNameProblem::Exists;
        return result;
    }
    result.problem = CategoryRoom();
    if (result.problem != CategoryNameProblem::None)
        return result;
    const int key = m_user.LastCategoryKey() + 1;
    if (folder.isEmpty() || !QDir().mkdir(folder)) {
        result.status = CreateCategoryResult::FolderFailed;
        return result;
    }
    result.backedUp = m_user.Backup();
    if (m_user.WriteCategory(key, name, LibraryPaths::dirValueOf(name)) == 0) {
        QDir().rmdir(folder);
        result.status = CreateCategoryResult::WriteFailed;
        return result;
    }
    result.status = CreateCategoryResult::Created;
    result.key = key;
    return result;
}

UpdateResult Library::UpdateDatabase() const
{
    forgetListing();
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
