#pragma once
// Safe replacement of shared data files: a lock file serialises the
// read-modify-write of several processes (or workstations on one share), and
// the new content replaces the old in one rename, so nobody ever reads a
// half-written file.

#include <QByteArray>
#include <QString>

#include <memory>

namespace vv {

// Holds <file>.lock while alive. The lock dies with its owner, so a writer
// that crashed or was killed never blocks the next one.
class FileLock {
public:
    explicit FileLock(const QString &file);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Waits at most timeoutMs; false when the lock could not be had.
    bool Lock(int timeoutMs);

    // The lock file was there before: a holder left it behind, mostly one that
    // died, maybe in the middle of a write (see RemoveLeftovers).
    bool TookOver() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// How long a writer waits for another one before giving up (default 5 s).
int FileLockTimeoutMs();
void SetFileLockTimeoutMs(int ms);

// Writes bytes to a new sibling of path, flushes it to disk and renames it
// over path. An existing file's permissions (and, where allowed, owner) are
// carried over; a new file gets the usual mode under the umask. On failure
// path is left as it was. The caller holds the FileLock of path.
bool ReplaceFileContents(const QString &path, const QByteArray &bytes);

// Removes the siblings of path that ReplaceFileContents (or a copy) left when
// its process died before the rename. Only for the holder of the FileLock of
// path, and only worth a look at the folder when the lock was taken over.
void RemoveLeftovers(const QString &path);

} // namespace vv
