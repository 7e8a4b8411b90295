#pragma once
// The file-open (and save) dialog behind FileDialogSeam: the calls the
// windows make and the filter conversion. The Qt dialog is in widgets/.

#include "Seams.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace vv {

// mode 0: open, the file must exist; 1: save, asking before overwriting;
// 2 (and any other number): save without asking. folder is in/out: on a
// choice it receives the file's folder with a trailing "/" and the bare file
// name is returned; on cancel "" comes back and folder stays as it was, even
// if the seam touched it.
QString ShowFileDialog(FileDialogSeam &seam, QWidget *owner, const QString &title, QString &folder,
                       const QString &initialName, const QString &filter, const QString &defaultExt, int mode);
QString OpenFileDialog(FileDialogSeam &seam, QWidget *owner, const QString &title, QString &folder,
                       const QString &initialName, const QString &filter, const QString &defaultExt);

// "Desc|*.a; *.b|Alle Dateitypen|*.*" -> {"Desc (*.a *.b)", "Alle Dateitypen (*)"}.
// The list ends at the first empty element, as the Windows list did at two
// NULs; a description without patterns is dropped. "*.*" becomes "*", since
// on Windows it meant every file, with or without a dot.
QStringList ConvertFilter(const QString &filter);

// The first extension of "jpg, gif" / "*.pdf" / ".exe" forms, without dot.
QString FirstExtension(const QString &defaultExt);

// Splits a chosen path: folder := its folder with trailing "/", returns the
// bare name; "" and folder untouched when path is "".
QString TakeChosenFile(const QString &path, QString &folder);

} // namespace vv
