#pragma once
// The main window: category and document browsing, opening and printing a
// fresh copy, the host link field and the orderly end of the program.

#include "EditorLink.h"
#include "MainWindowLink.h"
#include "Services.h"
#include "Library.h"

#include <QWidget>

#include <QList>
#include <QPointer>
#include <QSize>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace vv {

class AddNew;
struct DroppedFiles;
class Editor;
class MoveTo;
class SearchPanel;

class Root : public QWidget, public MainWindowLink, public EditorLink {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Veltrano Vorlagen-Bibliothek");
    static inline const QString kEndMarker = QStringLiteral("$Ende$");
    static constexpr QSize kPreviewMinimum{85, 120};

    Root(const QString &installDir, const Services &services, QWidget *parent = nullptr);
    ~Root() override;

    // Runs the start-up steps. False when the templates folder is missing: the
    // message has been shown and the program must end at once, writing nothing.
    bool Load();

    // Public operations the other windows call.
    void AppClosed();
    void NewDokument() override;
    void LoadCategory() override;
    int LoadPdfReader();
    int GetPdfReader();

    // A text written into the host field from outside; raises the field's
    // change handling even when the text equals the current one.
    void WriteHostText(const QString &text);
    void BringToFront();

    QString installDir() const { return m_installDir; }
    QString templatesFolder() const { return m_library.paths().templatesFolder(); }
    const Library &library() const override { return m_library; }
    QString fileListFolder() const override { return m_fileListFolder; }
    QString selectedDocument() const override;

    // What the document dialogs use of the main window.
    QWidget *linkWidget() override { return this; }
    int categoryIndex() const override;
    QString categoryText() const override;
    void selectCategoryIndex(int index) override;
    void selectDocumentIndex(int index) override;
    const Services &services() const { return m_services; }

    // What the library editor uses of the main window.
    QWidget *mainWindow() override { return this; }
    QString editorStartTab() const override;
    void setEditorStartTab(const QString &tab) override;
    void endThroughHostField() override { WriteHostText(kEndMarker); }
    void categoriesChanged() override;
    // The open library editor, or null.
    Editor *editor() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void placeQuitButton();

    void onText1Changed();
    void quitCommand();
    void categorySelected();
    void documentSelected();
    void refreshFileList();
    void showPicture(const QString &file);
    void clearPicture();
    void popupMenuAt(const QPoint &globalPos);
    void popupMenuFixed();
    void openEditor();
    Editor &loadEditor();
    AddNew &addNewDialog();
    MoveTo &moveToDialog();
    void editCommand();
    void moveCommand();
    void unloadDialogs();
    void openCopy(bool allowPrint);
    bool makeCopy(QString *copyPath);
    void startViewer(const QString &commandLine);
    bool fitPreviewWidth();
    void updateDocumentCommands();
    void placeWindow();
    void storePlacement();
    void addDroppedDocuments(const DroppedFiles &dropped);
    void printCopy(const QString &printLine);
    void showError(const QString &text);
    void showSearchHit(int categoryIndex, const QString &document);

    QString m_installDir;
    Services m_services;
    Library m_library;
    QString m_fileListFolder;
    bool m_ended = false;
    bool m_loading = false;

    QLineEdit *m_text1 = nullptr;
    QComboBox *m_category = nullptr;
    QListWidget *m_files = nullptr;
    QLabel *m_database = nullptr;
    QLabel *m_infos = nullptr;
    QLabel *m_image = nullptr;
    QCheckBox *m_print = nullptr;
    QPushButton *m_quit = nullptr;
    QToolButton *m_bDocument = nullptr;
    QLabel *m_tDocument = nullptr;
    QToolButton *m_bEditor = nullptr;
    QLabel *m_tEditor = nullptr;
    QMenu *m_menu = nullptr;
    QMenu *m_infoMenu = nullptr;
    QAction *m_showViewer = nullptr;
    QAction *m_katEditor = nullptr;
    SearchPanel *m_search = nullptr;
    // The entries that act on the selected document.
    QList<QAction *> m_documentCommands;
    QString m_picturePath; // the picture pImage shows, to read again at a new size
    QTimer *m_pictureTimer = nullptr;
    bool m_dragHoldsDocuments = false; // what the drag over the list brought in

    // Made on first use and kept; each opening starts from the designer state.
    std::unique_ptr<AddNew> m_addNew;
    std::unique_ptr<MoveTo> m_moveTo;
    // Made when opened; it deletes itself once closed.
    QPointer<Editor> m_editor;
};

} // namespace vv
