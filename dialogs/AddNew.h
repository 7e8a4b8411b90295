#pragma once
// The add-document dialog: puts a chosen PDF with its preview picture and help
// text into the main window's selected category, or changes the help text of
// an existing document (edit mode).
//
// The main window opens it with exec():
//   add:  dialog.Prepare(); dialog.exec();
//   edit: dialog.setEditMode(name, storedHelpText, shownPicture); dialog.exec();
// Closing it (OK, Abbrechen, Esc) returns it to its designer state.

#include "Services.h"

#include <QDialog>
#include <QPixmap>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vv {

class MainWindowLink;

class AddNew : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Hinzufügen");
    static inline const QString kEditCaption = QStringLiteral("Bearbeiten");

    AddNew(MainWindowLink &main, const Services &services, QWidget *parent = nullptr);

    // Designer state: caption "Hinzufügen", empty fields, no preview, mark "0".
    void Prepare();
    // The edit command's filling; the mode mark stays "0", so OK changes only
    // the help text of fileName.
    void setEditMode(const QString &fileName, const QString &helpText, const QPixmap &picture);

    // "1" after a PDF was chosen through the file dialog, else "0".
    QString modeMark() const { return m_modeMark; }
    // Full path of the chosen preview picture, "" until one was accepted.
    QString previewPath() const { return m_previewPath; }

    // A PDF chosen elsewhere (dropped on the main window), as if through the
    // file dialog: mode mark "1".
    void setChosenDocument(const QString &path);

    // The commands behind the controls.
    void ChooseDocument();
    void ChoosePreview();
    void OkCommand();

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();

    MainWindowLink &m_main;
    Services m_services;
    QString m_modeMark;
    QString m_previewPath;
    bool m_running = false;
    bool m_editMode = false;

    QLineEdit *m_filename = nullptr;
    QPushButton *m_dateiwahl = nullptr;
    QPlainTextEdit *m_hilfetext = nullptr;
    QFrame *m_vorschau = nullptr;
    QLabel *m_image = nullptr;
    QPushButton *m_hinzufuegen = nullptr;
    QPushButton *m_abbrechen = nullptr;
};

} // namespace vv
