#pragma once
// Deleting documents: into the desktop's trash (restorable, the freedesktop
// layout Trash/files + Trash/info), or for good. Qt's own moveToTrash is not
// used: with a missing data folder it reports success and leaves the file in
// a "files" folder below the working directory.

#include <QString>
#include <QStringList>

class QWidget;

namespace vv {

// The number the switches made of the shell's delete request; kept so the
// callers' combinations stay documented (0x0550, 0x0454, 0x0414).
int RecycleFlags(bool allowUndo, bool showProgress, bool confirm, bool simpleProgress, bool showErrors);

// allowUndo: every file (or folder) goes to the trash; otherwise it is deleted
// for good. The other switches only enter RecycleFlags: nothing is shown here,
// neither progress nor questions nor errors. Every entry is tried; the result
// is true only when every one was handled, and false for a missing entry or an
// empty list. Wildcards are not expanded. owner is unused.
bool RecycleFiles(const QStringList &files, bool allowUndo, bool showProgress, bool confirm,
                  bool simpleProgress, bool showErrors, QWidget *owner = nullptr);
// One name, or a list whose names are separated (and possibly ended) by NULs.
bool RecycleFiles(const QString &nulSeparatedOrSingle, bool allowUndo, bool showProgress, bool confirm,
                  bool simpleProgress, bool showErrors, QWidget *owner = nullptr);

// The names a string of the single-string form holds: one name, or names
// separated by NULs; as in the shell's list, an empty name (two NULs) ends it.
QStringList RecycleEntries(const QString &nulSeparatedOrSingle);

#ifdef Q_OS_UNIX
// $XDG_DATA_HOME/Trash, by default ~/.local/share/Trash. Not created here.
QString HomeTrashFolder();

// The trash of the file system mounted at topDir: topDir/.Trash/<uid> when the
// administrator made topDir/.Trash (a real folder with the sticky bit), else
// topDir/.Trash-<uid>. With create, missing folders are made (mode 0700);
// "" when no usable one exists.
QString TopDirTrashFolder(const QString &topDir, uint uid, bool create);

// Moves one entry into trashFolder under a name not yet used there, with its
// .trashinfo. pathBase "" records the absolute path, else the path relative to
// pathBase (a top-directory trash). When the entry lies on another file system
// and copyAcross is set, it is copied into the trash, compared and only then
// deleted. On failure the entry stays where it was and the trash as it was.
bool MoveIntoTrash(const QString &path, const QString &trashFolder, const QString &pathBase, bool copyAcross);
#endif

} // namespace vv
