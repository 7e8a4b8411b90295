#include "FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vv {

void ConfigureFileDialog(QFileDialog &dialog, const QString &title, const QString &folder,
                         const QString &initialName, const QString &filter, const QString &defaultExt, int mode)
{
    dialog.setWindowTitle(title);
    dialog.setDirectory(folder.isEmpty() ? QDir::homePath() : folder);
    const QStringList filters = ConvertFilter(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    if (mode == 0) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QString());
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, mode != 1);
        dialog.setDefaultSuffix(FirstExtension(defaultExt));
    }
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
}

QString QtFileDialog::ShowFileDialog(QWidget *owner, const QString &title, QString &folder,
                                     const QString &initialName, const QString &filter,
                                     const QString &defaultExt, int mode)
{
    QFileDialog dialog(owner);
    ConfigureFileDialog(dialog, title, folder, initialName, filter, defaultExt, mode);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString chosen = dialog.selectedFiles().value(0);
    // A desktop's own dialog may not enforce the open mode's rule.
    if (mode == 0 && !QFileInfo(chosen).isFile())
        return QString();
    return TakeChosenFile(chosen, folder);
}

} // namespace vv
