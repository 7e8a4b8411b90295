#pragma once
// The move dialog: moves the main window's selected document, with its GIF
// preview, into another category.
//
// The main window opens it with exec():
//   dialog.setMoveOrRename("1"); dialog.ReadTypDocuments(); dialog.exec();
//
// Its category list offers no dragging: the OK command compares and selects
// categories by index in the main window's list, which a reordered list here
// would no longer match.

#include "Services.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace vv {

class MainWindowLink;

class MoveTo : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Dokumente/Kategorie verschieben");
    static inline const QString kDocumentsCaption = QStringLiteral("Dokumente verschieben");

    MoveTo(MainWindowLink &main, const Services &services, QWidget *parent = nullptr);

    // Caption, instruction, the category list from the user file with the
    // main window's category selected.
    void ReadTypDocuments();

    // The hidden mode label TMoveOrRename: OK moves a document only at "1".
    void setMoveOrRename(const QString &mark);
    QString moveOrRename() const;

    void OkCommand();

    void done(int result) override;

private:
    void buildControls();

    MainWindowLink &m_main;
    Services m_services;

    QListWidget *m_category = nullptr;
    QLabel *m_moveOrRename = nullptr;
    QLabel *m_infotipp = nullptr;
    QPushButton *m_moveUp = nullptr;
    QPushButton *m_moveDown = nullptr;
    QPushButton *m_hinzufuegen = nullptr;
    QPushButton *m_abbrechen = nullptr;
};

} // namespace vv
