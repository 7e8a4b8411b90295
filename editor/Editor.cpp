#include "Editor.h"

#include "BusyPointer.h"
#include "CategoriesPage.h"
#include "Clock.h"
#include "DocumentsPage.h"
#include "DragList.h"
#include "EditorLink.h"
#include "FavouritesPage.h"
#include "FileServices.h"
#include "OptionsPage.h"
#include "PdfRender.h"
#include "PowerOfAttorneyPage.h"
#include "Settings.h"
#include "TabColumn.h"
#include "TabbedEntryDelegate.h"
#include "Twips.h"
#include "WrappingLabel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace vv {
namespace {

// The tab column's measures, in twips.
constexpr int kFirstTabTop = 150;
constexpr int kTabHeight = 600;
constexpr int kPanelHeight = 3600;
constexpr int kColumnWidth = 3000;
constexpr int kColumnMargin = 120;

const char *const kTabCaptions[Editor::kTabs] = {"Kategorien ", "Dokumente ", "Favoriten ", "Vollmacht ",
                                                 "Optionen "};

QString DesignHelpText()
{
    return QStringLiteral("Wählen Sie die Dokumente als Favoriten, welche Sie im Tabulon in der Menüanzeige "
                          "zur Schnellauswahl verwenden möchten. Verschieben Sie die Einträge mit den Up- "
                          "sowie den Down-Tasten. Fügen Sie neue Favoriten hinzu, indem Sie das Dokument bei "
                          "der Auswahl favoritisieren.");
}

QPushButton *SharedButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

Editor::Editor(EditorLink &link, const QString &programDir, const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_link(link), m_programDir(programDir), m_services(services),
      m_library(std::make_unique<Library>(LibraryPaths(programDir)))
{
    setObjectName(QStringLiteral("Editor"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    resize(TwipsToPixelsX(11400), TwipsToPixelsY(8100));
}

Editor::~Editor() = default;

QWidget *Editor::listFrame() const { return m_listFrame; }

QString Editor::NoPdfModuleText() const
{
    const QString module = PdfModule::Or(m_services.pdf).file();
    return QStringLiteral("Die PDF-Darstellung des Programms (%1) fehlt oder lässt sich nicht laden; "
                          "PDF-Seiten können nicht gezeichnet werden. Bitte installieren Sie das Programm neu.")
        .arg(module);
}

QString Editor::MissingFolderText()
{
    return QStringLiteral(
               "Während der Installation von Ordinalis wurden nicht alle Dokumente der "
               "Vorlagen-Bibliothek kopiert, sodass die Einträge in der Datenbank fehlerhaft "
               "sind. Der gestartete Web-Download (manuell) und bzw. oder die Aktualisierung der "
               "Datenbank könnte das Problem lösen. Wähle in den Einstellungen den Kartenreiter "
               "''Verwaltung'' und entpacken die heruntergeladene Zip-Datei in den vom Explorer "
               "geöffneten Installationsordner, danach klicken Sie die Schaltfläche zur "
               "Aktualisierung der Datenbank.")
        + QStringLiteral("\n \n")
        + QStringLiteral("Möchten Sie die den Download jetzt starten und die Einstellungen öffnen ?");
}

void Editor::LoadFavoriten() { m_favouritesPage->LoadFavoriten(); }

void Editor::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 6);
    outer->setSpacing(6);
    auto *body = new QHBoxLayout;
    body->setSpacing(10);
    body->addWidget(buildTabColumn());

    auto *frames = new QVBoxLayout;
    frames->setContentsMargins(0, 0, 0, 0);
    frames->addWidget(buildListFrame(), 1);
    m_pages[0] = std::make_unique<CategoriesPage>(*this);
    m_pages[1] = std::make_unique<DocumentsPage>(*this);
    auto favourites = std::make_unique<FavouritesPage>(*this);
    m_favouritesPage = favourites.get();
    m_pages[2] = std::move(favourites);
    auto powerOfAttorney = std::make_unique<PowerOfAttorneyPage>(*this);
    m_powerOfAttorney = powerOfAttorney.get();
    m_pages[3] = std::move(powerOfAttorney);
    auto options = std::make_unique<OptionsPage>(*this);
    m_options = options.get();
    m_pages[4] = std::move(options);
    for (int n = 4; n <= kTabs; ++n) {
        frames->addWidget(page(n).frame(), 1);
        page(n).frame()->hide();
    }
    body->addLayout(frames, 1);
    outer->addLayout(body, 1);

    // The folders the editor works on, for the record; its two lists are
    // the model's listings and nobody operates them.
    m_picture1 = new QFrame(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    auto *footer = new QHBoxLayout(m_picture1);
    footer->setContentsMargins(2, 0, 2, 0);
    m_folderList = new QListWidget(m_picture1);
    m_folderList->setObjectName(QStringLiteral("LFolder"));
    m_folderList->hide();
    m_documentList = new QListWidget(m_picture1);
    m_documentList->setObjectName(QStringLiteral("LDocuments"));
    m_documentList->hide();
    m_rVorlagen = new QLabel(QStringLiteral("<VORLAGEN>"), m_picture1);
    m_rVorlagen->setObjectName(QStringLiteral("LrVorlagen"));
    m_rDatabase = new QLabel(QStringLiteral("<DATABASE>"), m_picture1);
    m_rDatabase->setObjectName(QStringLiteral("LrDatabase"));
    for (QLabel *l : {m_rVorlagen, m_rDatabase}) {
        l->setTextFormat(Qt::PlainText);
        l->setForegroundRole(QPalette::PlaceholderText);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    m_rVorlagen->setToolTip(QStringLiteral("Ordner der Vorlagen"));
    m_rDatabase->setToolTip(QStringLiteral("Ordner der Favoriten-Datenbank"));
    footer->addWidget(m_rVorlagen);
    footer->addStretch();
    footer->addWidget(m_rDatabase);
    outer->addWidget(m_picture1);

    // Out of view below the window, still the button Esc clicks.
    m_winClose = new QPushButton(QStringLiteral("&Close"), this);
    m_winClose->setObjectName(QStringLiteral("bWinClose"));
    m_winClose->setFocusPolicy(Qt::NoFocus);
    connect(m_winClose, &QPushButton::clicked, this, &QWidget::close);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, m_winClose, &QPushButton::click);
}

QWidget *Editor::buildTabColumn()
{
    m_tabsFrame = new QFrame(this);
    m_tabsFrame->setObjectName(QStringLiteral("pTabsFrame"));
    m_tabsFrame->setFrameShape(QFrame::StyledPanel);
    m_tabsFrame->setFixedWidth(TwipsToPixelsX(kColumnWidth));
    const int inner = TwipsToPixelsX(kColumnWidth - 2 * kColumnMargin);
    for (int i = 0; i < kTabs; ++i) {
        auto *b = new QPushButton(QString::fromUtf8(kTabCaptions[i]), m_tabsFrame);
        b->setObjectName(QStringLiteral("bTabs") + QString::number(i + 1));
        b->setProperty("index", i + 1);
        b->setCheckable(true);
        b->setAutoDefault(false);
        b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: 12px; }"));
        b->setGeometry(TwipsToPixelsX(kColumnMargin), TwipsToPixelsY(kFirstTabTop), inner,
                       TwipsToPixelsY(kTabHeight));
        connect(b, &QPushButton::clicked, this, [this, i] { SelectTab(i + 1); });
        m_tabButtons[i] = b;
    }

    m_settings = new QFrame(m_tabsFrame);
    m_settings->setObjectName(QStringLiteral("LSettings"));
    m_settings->setFrameShape(QFrame::StyledPanel);
    m_settings->setBackgroundRole(QPalette::ToolTipBase);
    m_settings->setAutoFillBackground(true);
    auto *settingsLayout = new QVBoxLayout(m_settings);
    settingsLayout->setContentsMargins(8, 8, 8, 8);
    m_help = new WrappingLabel(DesignHelpText(), m_settings);
    m_help->setObjectName(QStringLiteral("tHilfethemen"));
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    settingsLayout->addWidget(m_help, 1);

    m_subject = new QListWidget(m_tabsFrame);
    m_subject->setObjectName(QStringLiteral("LSubject"));
    m_subject->setSelectionMode(QAbstractItemView::SingleSelection);
    m_subject->hide();

    for (QWidget *panel : {static_cast<QWidget *>(m_settings), static_cast<QWidget *>(m_subject)})
        panel->setGeometry(TwipsToPixelsX(kColumnMargin), TwipsToPixelsY(kPanelTopUnderFirstTab), inner,
                           TwipsToPixelsY(kPanelHeight));
    m_tabsFrame->setMinimumHeight(
        TwipsToPixelsY(kFirstTabTop + kTabs * (kTabHeight + kTabGap) + kPanelHeight + kColumnMargin));
    layOutTabColumn();
    return m_tabsFrame;
}

QWidget *Editor::buildListFrame()
{
    m_listFrame = new QFrame(this);
    m_listFrame->setObjectName(QStringLiteral("fDokumente"));
    auto *grid = new QHBoxLayout(m_listFrame);
    grid->setContentsMargins(0, 0, 0, 0);
    m_fileList = new QListWidget(m_listFrame);
    m_fileList->setObjectName(QStringLiteral("LFilelist"));
    m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fileList->setItemDelegate(new TabbedEntryDelegate(m_fileList));
    m_fileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long entries are elided
    grid->addWidget(m_fileList, 1);

    auto *buttons = new QVBoxLayout;
    m_addFile = SharedButton(m_listFrame, "bAddfile", QStringLiteral("Hinzufügen"));
    m_remove = SharedButton(m_listFrame, "bRemove", QStringLiteral("Löschen"));
    m_favourites = SharedButton(m_listFrame, "bFavoriten", QStringLiteral("Favoriten"));
    m_up = SharedButton(m_listFrame, "BAufwärts", QStringLiteral("Aufwärts"));
    m_down = SharedButton(m_listFrame, "BAbwärts", QStringLiteral("Abwärts"));
    m_save = SharedButton(m_listFrame, "bSpeichern", QStringLiteral("SPEICHERN"));
    m_save->setEnabled(false);
    m_remove->setProperty("tag", QStringLiteral("0"));
    for (QPushButton *b : {m_addFile, m_remove, m_favourites, m_up, m_down})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_save);
    grid->addLayout(buttons);

    // Each click goes to the page of the selected tab. A click while an
    // earlier command still pauses is dropped: no command runs twice over
    // files it is changing.
    auto forward = [this](QPushButton *b, void (EditorPage::*action)()) {
        connect(b, &QPushButton::clicked, this, [this, action] {
            if (m_tab < 1 || m_commandRunning)
                return;
            m_commandRunning = true;
            const QPointer<Editor> alive(this); // the hand-over closes the editor
            (page(m_tab).*action)();
            if (alive)
                m_commandRunning = false;
        });
    };
    forward(m_addFile, &EditorPage::add);
    forward(m_remove, &EditorPage::remove);
    forward(m_favourites, &EditorPage::favourite);
    forward(m_up, &EditorPage::up);
    forward(m_down, &EditorPage::down);
    forward(m_save, &EditorPage::save);
    return m_listFrame;
}

void Editor::Load()
{
    EnableDragList(this, m_fileList);
    m_fileList->unsetCursor();

    m_rDatabase->setText(DatabaseFolder(*m_services.registry, m_programDir));

    const TemplatesSetting templates = TemplatesFolder(*m_services.registry, m_programDir);
    m_rVorlagen->setText(templates.folder);
    m_options->setTemplatesFolder(templates.folder);
    m_library = std::make_unique<Library>(LibraryPaths(m_programDir, templates.folder));

    placeCloseButton();

    const QString start = m_link.editorStartTab();
    for (int n = 1; n <= kTabs; ++n)
        if (start == QString::number(n))
            SelectTab(n);
    Yield();
}

void Editor::SelectTab(int n)
{
    if (n < 1 || n > kTabs)
        return;
    m_tab = n;
    EditorPage &p = page(n);
    const QString help = p.helpText();
    if (!help.isNull())
        m_help->setText(help);
    for (int i = 0; i < kTabs; ++i)
        m_tabButtons[i]->setChecked(i + 1 == n);
    layOutTabColumn();

    m_subject->setVisible(p.showsCategories());
    m_settings->setVisible(!p.showsCategories());
    const int enabled = p.enabledButtons();
    m_addFile->setEnabled(enabled & EditorPage::Add);
    m_remove->setEnabled(enabled & EditorPage::Remove);
    m_favourites->setEnabled(enabled & EditorPage::Favourite);
    m_up->setEnabled(enabled & EditorPage::Up);
    m_down->setEnabled(enabled & EditorPage::Down);
    // The others go first: for a moment with two frames shown the window
    // would grow to hold both, and keep that height.
    for (int i = 1; i <= kTabs; ++i)
        if (page(i).frame() != p.frame())
            page(i).frame()->hide();
    p.frame()->show();
    p.Load();
}

void Editor::layOutTabColumn()
{
    const int selected = m_tab >= 1 ? m_tab : 1;
    std::array<int, kTabs> heights;
    heights.fill(kTabHeight);
    const TabColumnLayout l = LayOutTabColumn(selected, kFirstTabTop, heights, kPanelHeight);
    for (int i = 0; i < kTabs; ++i)
        m_tabButtons[i]->move(m_tabButtons[i]->x(), TwipsToPixelsY(l.tabTop[i]));
    m_subject->move(m_subject->x(), TwipsToPixelsY(l.panelTop));
    if (selected != 2)
        m_settings->move(m_settings->x(), TwipsToPixelsY(l.panelTop));
}

void Editor::placeCloseButton() { m_winClose->move(8, height() + TwipsToPixelsY(300)); }

void Editor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeCloseButton();
}

void Editor::setDeletedMarker(int marker)
{
    m_deleted = marker;
    m_remove->setProperty("tag", QString::number(marker));
}

void Editor::setChangesMarker(int marker)
{
    m_changes = marker;
    m_winClose->setProperty("tag", QString::number(marker));
}

int Editor::selectedEntry() const { return m_fileList->count() == 0 ? -1 : SelectedIndex(m_fileList); }

void Editor::removeEntry(int row)
{
    delete m_fileList->takeItem(row);
    if (m_fileList->count() > 0)
        m_fileList->setCurrentRow(0);
}

void Editor::enableSave() { m_save->setEnabled(true); }

void Editor::WaitSeconds(double seconds) { vv::WaitSeconds(*m_services.clock, seconds); }

void Editor::ErrorDatabase()
{
    OpenDownload();
    Yield();
    SelectTab(4);
    Yield();
}

void Editor::OpenDownload()
{
    if (m_downloading)
        return;
    m_downloading = true;
    m_services.process->OpenUrl(DownloadAddress(*m_services.registry));
    Yield();
    WaitSeconds(3);
    // The program folder's library, whatever the settings name: the archive
    // belongs to this installation.
    m_services.process->OpenUrl(QUrl::fromLocalFile(LibraryPaths(m_programDir).templatesFolder()));
    Yield();
    m_downloading = false;
}

void Editor::UpdateDatabase()
{
    if (m_updating)
        return;
    m_updating = true;
    BusyPointer busy;
    Yield();
    const UpdateResult result = m_library->UpdateDatabase();
    m_folderList->clear();
    m_folderList->addItems(result.categories);
    Yield();
    WaitSeconds(1);
    busy.restore();
    m_updating = false;
    if (m_deleted == 2)
        return;
    m_services.msg->MsgBox(this,
                           QStringLiteral("Die Einträge für die Kategorien der Vorlage-Dokumente wurden "
                                          "aktualisiert und gespeichert. \n \nDas Programm muss neu gestartet "
                                          "werden ..."),
                           Buttons::OK | Icon::Exclamation, messageTitle());
    m_link.endThroughHostField();
}

void Editor::closeEvent(QCloseEvent *event)
{
    if (m_closing && !m_unloaded) {
        event->ignore(); // the first request is still pausing; it closes the window
        return;
    }
    m_closing = true;
    if (!m_unloaded && closing())
        unload();
    m_unloaded = true;
    event->accept();
}

bool Editor::closing()
{
    m_library->DeleteSnapshot();

    if (m_deleted == 1) {
        const int answer = m_services.msg->MsgBox(
            this,
            QStringLiteral("Nach dem Löschen von Kategorien und Dokumenten sollte die Datenbank aktualisiert "
                           "werden. Die Aktualisierung können Sie im Menüpunkt ''Optionen'' auch manuell "
                           "durchführen.\n \nMöchten Sie die Aktualisierung durchführen ?"),
            Buttons::YesNo | Icon::Exclamation, messageTitle());
        if (answer == vbYes) {
            setDeletedMarker(2);
            UpdateDatabase();
            m_link.endThroughHostField();
            return false;
        }
    }

    if (m_changes == 1) {
        const int answer = m_services.msg->MsgBox(
            this, QStringLiteral("Die Änderungen werden nach dem Neustart von Ordinalis wirksam. "),
            Buttons::OKCancel | Icon::Exclamation, messageTitle());
        if (answer == vbOK) {
            const QString relay = m_library->paths().restartRelay();
            // Without the relay, or when it does not start, the user starts
            // the program again by hand; the end goes on regardless.
            if (FileExists(relay)) {
                QString error;
                m_services.process->StartCommandLine(QStringLiteral("\"") + relay + QStringLiteral("\" /restart"),
                                                     &error);
            }
            Yield();
            WaitSeconds(1);
            m_services.exit->ExitNow(0);
            m_services.exit->QuitApplication(0); // only a test's exit seam returns
            return false;
        }
    }

    m_link.mainWindow()->show();
    setEnabled(false);
    Yield();
    WaitSeconds(1);
    return true;
}

void Editor::unload()
{
    DisableDragList(this);
    m_link.setEditorStartTab(QStringLiteral("1"));
    m_link.mainWindow()->show();
    Yield();
}

} // namespace vv
