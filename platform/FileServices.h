#pragma once
// Small free-standing file operations every window uses. They keep no state
// and never show anything; failures come back as false or "".

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vv {

// Names are matched as Windows matches them: the exact spelling first, else
// without regard to letter case, in every component. A library copied from a
// Windows installation keeps working although its names were never checked
// for case there.
//
// DiskSpelling: the path with each component spelled as it is on disk, for
// callers that open or copy what they found; "" when nothing matches. An
// existing exact path comes back unchanged after a single stat, without any
// directory listing. Of several names differing only in case, the exact one
// wins, else the first in code-point order (upper case before lower case).
// Each component is settled before the next is looked at: a later component
// is not searched for in a case-variant folder that was not chosen. No
// wildcards here: * and ? are ordinary characters.
QString DiskSpelling(const QString &path);

// True when at least one entry (file, folder, link) matches. The wildcards *
// and ? are honoured in the last path component only, matched without regard
// to case like FindFirstFile; "*.*" means every name, as it always did on
// Windows. Only "/" separates folders here: a backslash is an ordinary
// character in Linux file names. A folder given without trailing "/" finds
// the folder itself; with a trailing "/" the empty name matches nothing.
// "" gives false.
bool FileExists(const QString &path);

// One pass over the files directly in a folder (hidden ones, and links
// leading to a file, included), keeping what a caller asks of them. Names
// match a suffix without regard to letter case; suffixes are ASCII (".pdf").
// A name the folder reports as a plain file costs no further look-up, so a
// folder of 40,000 files lists in milliseconds.
struct FolderListing {
    QString folder;
    // The names ending in one of the named suffixes, in the folder's own order.
    QStringList names;
    // Keys of the names ending in one of the indexed suffixes, letter case
    // folded; sorted.
    std::vector<quint64> indexed;

    // An indexed file found as DiskSpelling would find folder + "/" + name:
    // the exact spelling, else the other letter case the listing saw. Only a
    // name seen in several letter cases, or in an odd mix of them, reads the
    // folder again. "" when the listing saw none (one added later in another
    // letter case is found once the folder is listed again).
    QString find(const QString &name) const;
};
// With handOver, the named names go to it a few hundred at a time while the
// folder is still being read; only the last of them stay in names.
FolderListing ListFolder(const QString &folder, const QStringList &named, const QStringList &indexed = {},
                         const std::function<void(QStringList &&)> &handOver = {});

// True for an existing file, folder or link (even a dangling one); never throws.
bool PathExists(const QString &path);

// Stored paths keep their Windows form, so both "\" and "/" separate here.
// GetFileName: the part behind the last separator, the whole input when none.
// GetFilePath: the part up to and including the last separator, "" when none.
QString GetFileName(const QString &path);
QString GetFilePath(const QString &path);

// Creates a new, empty, uniquely named "XXXX.tmp" (four hex digits) in the
// folder named by the environment variable "temp", else in the system's
// temporary folder, and returns its full path; "" when none could be created.
QString GetTempFile();

// The same in a given folder, trying the numbers from start on (0 is skipped,
// as on Windows, and the search wraps after FFFF). Exposed for tests.
QString CreateTempFileIn(const QString &folder, quint16 start);

// The target is created, or overwritten, with the source's content. The new
// content is written beside the target and renamed over it, so a failed copy
// leaves an existing target as it was. An existing target keeps its
// permissions; nothing else (times, the source's mode) is carried over. A
// target without any write bit counts as read-only and is refused. A target
// that is a symbolic link is written where it points. A source that is no
// regular file (a FIFO, a device) is refused rather than opened.
bool CopyFileOverwrite(const QString &source, const QString &target, QString *error = nullptr);

} // namespace vv
