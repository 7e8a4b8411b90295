#pragma once
// The library editor: a tab column with five tabs, the shared list frame
// with its buttons, and the closing that offers the database update after
// deletions and the restart after changed favourites.
//
// The main window makes it when it opens it, calls Load(), shows it, and
// hides itself; the editor deletes itself once it has closed.

#include "Library.h"
#include "Services.h"

#include <QWidget>

#include <array>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vv {

class EditorLink;
class EditorPage;
class FavouritesPage;
class OptionsPage;
class PowerOfAttorneyPage;

class Editor : public QWidget {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Veltrano Vorlagen-Bibliothek");
    static constexpr int kTabs = 5;
    // A category's folder is missing: the offer of the download, in the main
    // window and on the documents tab alike.
    static QString MissingFolderText();
    // The module that draws PDF pages cannot be loaded.
    QString NoPdfModuleText() const;

    Editor(EditorLink &link, const QString &programDir, const Services &services, QWidget *parent = nullptr);
    ~Editor() override;

    // The loading steps: drag support, the database and templates folders
    // from the settings, the start tab from the main window.
    void Load();
    // Starts the download of the standard documents and selects tab 4.
    void ErrorDatabase();
    // Tab selection, 1 to 5; any other number changes nothing.
    void SelectTab(int n);

    // Rebuilds the category index from the folders. Unless the deleted-marker
    // is 2 (the closing update) it reports and ends the program. A second
    // request while one runs is ignored.
    void UpdateDatabase();
    // The download link: the archive's address to the browser, three seconds,
    // then the program folder's library in the file manager.
    void OpenDownload();

    // True once closed: the window is on its way out and opens no more.
    bool isClosed() const { return m_unloaded; }
    int tabNumber() const { return m_tab; }
    int deletedMarker() const { return m_deleted; }
    int changesMarker() const { return m_changes; }
    void setDeletedMarker(int marker);
    void setChangesMarker(int marker);

    // The favourites into the list, as the favourites tab shows them.
    void LoadFavoriten();

    // What the pages share.
    const Library &library() const { return *m_library; }
    const Services &services() const { return m_services; }
    QString programDir() const { return m_programDir; }
    QString messageTitle() const { return QStringLiteral(" ") + kCaption; }
    QListWidget *fileList() const { return m_fileList; }
    // The shared list's selected row, -1 when the list is empty or nothing
    // is selected: then the delete buttons do nothing.
    int selectedEntry() const;
    // Takes the row out of the shared list and selects the first entry left.
    void removeEntry(int row);
    QListWidget *subjectList() const { return m_subject; }
    QWidget *listFrame() const;
    void WaitSeconds(double seconds);
    EditorLink &link() const { return m_link; }
    // The save button, once enabled, stays so until the editor closes.
    void enableSave();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    QWidget *buildTabColumn();
    QWidget *buildListFrame();
    void layOutTabColumn();
    void placeCloseButton();
    // The closing steps; false when the program has ended in them.
    bool closing();
    void unload();
    EditorPage &page(int n) const { return *m_pages[n - 1]; }

    EditorLink &m_link;
    QString m_programDir;
    Services m_services;
    std::unique_ptr<Library> m_library;
    std::array<std::unique_ptr<EditorPage>, kTabs> m_pages;
    FavouritesPage *m_favouritesPage = nullptr;
    PowerOfAttorneyPage *m_powerOfAttorney = nullptr;
    OptionsPage *m_options = nullptr;

    int m_tab = 0; // 0 until a tab is selected
    int m_deleted = 0;
    int m_changes = 0;
    bool m_updating = false;
    bool m_downloading = false;
    bool m_closing = false;
    bool m_commandRunning = false;
    bool m_unloaded = false;

    QFrame *m_tabsFrame = nullptr;
    std::array<QPushButton *, kTabs> m_tabButtons{};
    QFrame *m_settings = nullptr;
    QLabel *m_help = nullptr;
    QListWidget *m_subject = nullptr;
    QFrame *m_picture1 = nullptr;
    QListWidget *m_folderList = nullptr;
    QListWidget *m_documentList = nullptr;
    QLabel *m_rVorlagen = nullptr;
    QLabel *m_rDatabase = nullptr;
    QFrame *m_listFrame = nullptr;
    QPushButton *m_addFile = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_favourites = nullptr;
    QPushButton *m_down = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_save = nullptr;
    QListWidget *m_fileList = nullptr;
    QPushButton *m_winClose = nullptr;
};

} // namespace vv
