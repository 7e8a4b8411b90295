#pragma once
// The program's data files (the user file, the favourites file, the settings
// stores) are names anybody can point elsewhere: at a FIFO, whose open blocks
// until some writer comes, at /dev/zero, which never ends, at a folder. Such a
// name reads as empty, as a missing file does, and is never written through.

#include <QByteArray>
#include <QString>

namespace vv {

// Far more than any library holds (5,000 help texts make half a megabyte).
inline constexpr qint64 kMaxDataFileSize = 64 * 1024 * 1024;

enum class DataFileKind {
    Missing, // nothing there, or a link to nothing
    Regular, // a regular file (links followed) of at most kMaxDataFileSize bytes
    Other,   // anything else: never read, never written through
};

DataFileKind KindOfDataFile(const QString &path);

struct DataFileContent {
    DataFileKind kind = DataFileKind::Missing;
    // False when the name holds something that could not be read whole: a
    // regular file without read permission or with a read error, or Other.
    bool ok = true;
    QByteArray bytes;
};

// The whole file in a buffer of exactly its size. Only a regular file is ever
// opened, and without blocking.
DataFileContent ReadDataFile(const QString &path);

} // namespace vv
