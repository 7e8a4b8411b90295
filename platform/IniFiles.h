#pragma once
// Profile files (INI format): the user file and the template database are read
// and written only through these calls. Each call opens, works on and
// closes the file; nothing is cached, so a write is seen by the next read.
//
// Behaviour, matching the Windows profile-string functions where known:
// - Text is Windows-1252. A file starting with the UTF-16 byte order mark
//   (FF FE or FE FF) is read as UTF-16 and written back in the same byte order
//   with its mark. A file that is valid UTF-8 and holds non-ASCII text (an
//   editor may have saved it so) is read and written as UTF-8; any other file,
//   and every new one, is Windows-1252. A UTF-8 mark is not recognised: its
//   three bytes are part of the first line (so a header on that line is not
//   seen), and a write keeps them.
// - Lines end in CR LF, LF or CR, mixed freely. There is no length limit.
// - Blanks and tabs around section names, keys, "=" and values are ignored;
//   names compare without regard to letter case. The names a caller passes are
//   trimmed the same way.
// - A line whose first non-blank character is ";" is a comment. "#" is an
//   ordinary character, and a ";" after a value belongs to the value.
// - A line whose first non-blank character is "[" starts a section. Its name
//   runs to the last "]"; text after that is ignored. A header without "]"
//   still starts a section, named by the rest of the line.
// - Any other line is an entry when it holds "="; the first "=" splits key and
//   value. Lines without "=" are kept but mean nothing. Entries before the first
//   section header belong to no section and are never found.
// - Duplicates: sections of the same name count as one section in file order,
//   so a key in the first of them wins over the same key in a later one, and
//   the first entry of a key wins. A write replaces that first entry; a delete
//   removes every entry of the key (or every section of the name), so that a
//   later read gives "".
// - A read trims the value, removes one pair of enclosing quotes (" or ') when
//   the trimmed value is at least two characters long and starts and ends with
//   the same one, cuts it at a NUL character (the Windows call hands back a C
//   string) and returns at most 254 characters. Missing file, section or key
//   read as "". A read never creates or changes a file.
// - A write replaces only the value part of the entry's line; the stored
//   spelling of the key, the blanks around "=" and every other byte of the file
//   stay. A new key goes directly after the last entry of its section (after
//   the header when it has none); a new section goes at the end of the file.
//   New lines use the file's first line end (CR LF for a new file), and an
//   unterminated last line is ended first. A value is stored up to its first
//   line break; characters without a Windows-1252 form become "?".
// - A write fails (returns 0, file untouched) when the file or its folder
//   cannot be written, the file is read-only (no write permission bit), an
//   existing file cannot be read, the file is locked by another writer for too
//   long, or a name holds a line break, the key is empty, holds "=" or starts
//   with ";" or "[" (it could never be read back).
// - Deleting from a missing file, or a key or section that is not there,
//   succeeds and leaves the file as it was (a missing file is not created).
//
// - Only a regular file of at most 64 MB is read (see DataFile.h). Anything
//   else under the name (a FIFO, a device, a folder) reads as a missing file
//   does, and a write or delete fails and leaves it alone.
//
// A write locks <file>.lock (the lock ends with its process, so a writer that
// died blocks nobody), writes a hidden sibling file, flushes it to disk and
// renames it over the file, keeping its permissions; a link is followed. So a crash or a concurrent
// reader never sees half a file, and writers on several machines sharing a
// folder never lose each other's change. Reads take no lock.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vv {

// One step of a batch of changes to a profile file.
struct IniChange {
    enum Kind { Write, DeleteKey, DeleteSection } kind;
    QString section, key, value;

    static IniChange SetValue(const QString &section, const QString &key, const QString &value)
    {
        return {Kind::Write, section, key, value};
    }
    static IniChange RemoveKey(const QString &section, const QString &key)
    {
        return {Kind::DeleteKey, section, key, QString()};
    }
    static IniChange RemoveSection(const QString &section)
    {
        return {Kind::DeleteSection, section, QString(), QString()};
    }
};

struct IniKey {
    QString section, key;
};

QString ReadIniValue(const QString &file, const QString &section, const QString &key);
// The same read on a file's bytes, as the fuzz target parses from memory.
QString ReadIniValueFromBytes(const QByteArray &bytes, const QString &section, const QString &key);
// The values of several keys, in the order asked, each as ReadIniValue would
// give it, from one read of the file.
QStringList ReadIniValues(const QString &file, const QList<IniKey> &keys);
QStringList ReadIniValuesFromBytes(const QByteArray &bytes, const QList<IniKey> &keys);
// Non-zero on success, 0 on failure.
int WriteIniValue(const QString &file, const QString &section, const QString &key, const QString &value);
int DeleteIniKey(const QString &file, const QString &section, const QString &key);
int DeleteIniSection(const QString &file, const QString &section);

// The changes in order, with the result the single calls above would give one
// after the other, but under one lock, from one read and with one replace of
// the file: a reader sees the file before or after the whole batch, never in
// between. All or nothing: a batch with an invalid name changes nothing.
int ModifyIni(const QString &file, const QList<IniChange> &changes);

} // namespace vv
