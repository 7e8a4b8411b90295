#pragma once
// The production file dialog behind FileDialogSeam.

#include "ComDlgDll.h"

class QFileDialog;

namespace vv {

// Sets up dialog for one request. An empty folder starts in the home folder.
// The default extension is applied only when saving.
void ConfigureFileDialog(QFileDialog &dialog, const QString &title, const QString &folder,
                         const QString &initialName, const QString &filter, const QString &defaultExt, int mode);

class QtFileDialog : public FileDialogSeam {
public:
    QString ShowFileDialog(QWidget *owner, const QString &title, QString &folder, const QString &initialName,
                           const QString &filter, const QString &defaultExt, int mode) override;
};

} // namespace vv
