#include "Root.h"

#include "AddNew.h"
#include "DroppedFiles.h"
#include "BusyPointer.h"
#include "Clock.h"
#include "Editor.h"
#include "Twips.h"
#include "FileServices.h"
#include "Memory.h"
#include "MoveTo.h"
#include "PdfReader.h"
#include "Picture.h"
#include "SearchPanel.h"
#include "Printing.h"
#include "Settings.h"
#include "WebSupports.h"
#include "WrappingLabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vv {
Root::~Root() = default;

Root::Root(const QString &installDir, const Services &services, QWidget *parent)
    : QWidget(parent), m_installDir(installDir), m_services(services),
      m_library(LibraryPaths(installDir))
{
    setObjectName(QStringLiteral("Root"));
    setWindowTitle(kCaption);
    buildControls();
    buildMenus();
}

void Root::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 8);
    outer->setSpacing(8);

    // Category row.
    auto *catRow = new QHBoxLayout;
    auto *catLabel = new QLabel(QStringLiteral("&Kategorie:"), this);
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("LCategory"));
    m_category->setMinimumWidth(260);
    catLabel->setBuddy(m_category);
    catRow->addWidget(catLabel);
    catRow->addWidget(m_category, 1);
    m_search = new SearchPanel(m_library.paths(), this);
    m_search->field()->setMinimumWidth(160);
    catRow->addSpacing(12);
    catRow->addWidget(m_search->field(), 1);
    outer->addLayout(catRow);
    connect(m_search, &SearchPanel::chosen, this, &Root::showSearchHit);

    // Documents and preview.
    auto *middle = new QHBoxLayout;
    auto *docBox = new QVBoxLayout;
    auto *docLabel = new QLabel(QStringLiteral("D&okumente:"), this);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("LDateien"));
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    m_files->setMinimumWidth(250);
    // One line height for all: a category of thousands is laid out without
    // measuring each name. A name wider than the list is cut short with "…".
    m_files->setUniformItemSizes(true);
    docLabel->setBuddy(m_files);
    docBox->addWidget(docLabel);
    docBox->addWidget(m_files, 1);
    middle->addLayout(docBox, 1);

    auto *previewBox = new QVBoxLayout;
    previewBox->addWidget(new QLabel(QStringLiteral("Vorschau:"), this));
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("pImage"));
    // Grows with the window in the proportions of a page; the picture is
    // stretched to it.
    m_image->setMinimumSize(kPreviewMinimum);
    m_image->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    m_image->setFrameShape(QFrame::StyledPanel);
    m_image->setFrameShadow(QFrame::Sunken);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setBackgroundRole(QPalette::Base);
    m_image->setAutoFillBackground(true);
    m_image->setToolTip(QStringLiteral("Doppelklick öffnet eine Kopie des Dokuments"));
    previewBox->addWidget(m_image, 1);
    middle->addLayout(previewBox);
    outer->addLayout(middle, 3);

    // Help text.
    m_infos = new WrappingLabel(this);
    m_infos->setObjectName(QStringLiteral("LInfos"));
    m_infos->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_infos->setMargin(6);
    m_infos->setBackgroundRole(QPalette::ToolTipBase);
    m_infos->setAutoFillBackground(true);
    // A long help text scrolls; the box shares the window's growth.
    auto *infosArea = new QScrollArea(this);
    infosArea->setWidget(m_infos);
    infosArea->setWidgetResizable(true);
    infosArea->setFrameShape(QFrame::StyledPanel);
    infosArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    infosArea->setMinimumHeight(48);
    outer->addWidget(infosArea, 1);

    // The two hint lines with their buttons, and the print switch.
    auto *hints = new QGridLayout;
    hints->setHorizontalSpacing(6);
    m_bDocument = new QToolButton(this);
    m_bDocument->setObjectName(QStringLiteral("bDocument"));
    m_bDocument->setText(QStringLiteral("»"));
    m_bDocument->setToolTip(QStringLiteral("Befehle zum ausgewählten Dokument"));
    m_tDocument = new QLabel(
        QStringLiteral("Klicke zum Bearbeiten mit der rechten Maustaste auf ein Dokument » "), this);
    m_tDocument->setObjectName(QStringLiteral("tDocument"));
    m_tDocument->setCursor(Qt::PointingHandCursor);
    m_bEditor = new QToolButton(this);
    m_bEditor->setObjectName(QStringLiteral("bEditor"));
    m_bEditor->setText(QStringLiteral("+"));
    m_bEditor->setToolTip(QStringLiteral("Pdf-Dokumente verwalten"));
    m_tEditor = new QLabel(
        QStringLiteral("Klicke auf die [+] Schaltfläche, um die Pdf-Dokumente zu verwalten » "),
        this);
    m_tEditor->setObjectName(QStringLiteral("tEditor"));
    m_tEditor->setCursor(Qt::PointingHandCursor);
    hints->addWidget(m_bDocument, 0, 0);
    hints->addWidget(m_tDocument, 0, 1);
    hints->addWidget(m_bEditor, 1, 0);
    hints->addWidget(m_tEditor, 1, 1);
    hints->setColumnStretch(1, 1);
    outer->addLayout(hints);

    m_print = new QCheckBox(QStringLiteral("&Ausdruck beim Doppelklick der Vorlage "), this);
    m_print->setObjectName(QStringLiteral("BAusdrucken"));
    outer->addWidget(m_print);

    m_database = new QLabel(this);
    m_database->setObjectName(QStringLiteral("LDatabase"));
    m_database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_database->setForegroundRole(QPalette::PlaceholderText);
    // A deep installation path is cut off at the window's edge, not made room for.
    m_database->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    outer->addWidget(m_database);

    // Not part of the layout: kept out of view, still the Esc button.
    m_quit = new QPushButton(QStringLiteral("Beenden"), this);
    m_quit->setObjectName(QStringLiteral("BBeenden"));
    m_quit->setFocusPolicy(Qt::NoFocus);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, m_quit, &QPushButton::click);

    m_text1 = new QLineEdit(QStringLiteral("$Start$"), this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->hide();

    connect(m_text1, &QLineEdit::textChanged, this, [this] { onText1Changed(); });
    connect(m_quit, &QPushButton::clicked, this, [this] { quitCommand(); });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading)
            categorySelected();
    });
    connect(m_files, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            documentSelected();
        updateDocumentCommands();
    });
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this] { m_showViewer->trigger(); });
    connect(m_print, &QCheckBox::clicked, this, [this] {
        if (m_files->isEnabled())
            m_files->setFocus();
    });
    connect(m_bDocument, &QToolButton::clicked, this, [this] { popupMenuFixed(); });
    connect(m_bEditor, &QToolButton::clicked, this, [this] { openEditor(); });

    m_image->installEventFilter(this);
    m_files->viewport()->installEventFilter(this);
    m_files->viewport()->setAcceptDrops(true);
    m_pictureTimer = new QTimer(this);
    m_pictureTimer->setSingleShot(true);
    m_pictureTimer->setInterval(120);
    connect(m_pictureTimer, &QTimer::timeout, this, [this] { showPicture(m_picturePath); });
    m_files->installEventFilter(this);
    m_infos->installEventFilter(this);
    m_tDocument->installEventFilter(this);
    m_tEditor->installEventFilter(this);

    resize(TwipsToPixelsX(9600), TwipsToPixelsY(8400));
}

void Root::buildMenus()
{
    m_menu = new QMenu(QStringLiteral("[MENU]"), this);
    m_menu->setObjectName(QStringLiteral("bBearbeiten"));
    auto add = [this](const char *name, const QString &caption) {
        QAction *a = m_menu->addAction(caption);
        a->setObjectName(QString::fromUtf8(name));
        return a;
    };
    auto separator = [this](const char *name) {
        m_menu->addSeparator()->setObjectName(QString::fromUtf8(name));
    };
    QAction *addNew = add("mnuHinzufügen", QStringLiteral("&Hinzufügen ... "));
    m_showViewer = add("mnuShowViewer", QStringLiteral("&Pdf-Viewer anzeigen "));
    separator("mnuTrennung1");
    QAction *kategorie = add("mnuKategorie", QStringLiteral("&Kategorien bearbeiten "));
    QAction *favoriten = add("mnuFavoriten", QStringLiteral("&Favoriten bearbeiten"));
    separator("mnuTrennung2");
    QAction *verschieben = add("mnuVerschieben", QStringLiteral("&Verschieben ... "));
    QAction *bearbeiten = add("mnuBearbeiten", QStringLiteral("&Bearbeiten ..."));
    separator("mnuTrennung3");
    QAction *loeschen = add("mnuLöschen", QStringLiteral("&Löschen ... "));
    m_documentCommands = {m_showViewer, verschieben, bearbeiten, loeschen};
    connect(m_menu, &QMenu::aboutToShow, this, [this] { updateDocumentCommands(); });

    m_infoMenu = new QMenu(QStringLiteral("[INFO]"), this);
    m_infoMenu->setObjectName(QStringLiteral("bInformation"));
    m_katEditor = m_infoMenu->addAction(QStringLiteral("1"));
    m_katEditor->setObjectName(QStringLiteral("mnxKatEditor"));
    m_katEditor->setVisible(false);

    connect(addNew, &QAction::triggered, this, [this] { NewDokument(); });
    connect(verschieben, &QAction::triggered, this, [this] { moveCommand(); });
    connect(bearbeiten, &QAction::triggered, this, [this] { editCommand(); });
    connect(m_showViewer, &QAction::triggered, this, [this] { openCopy(false); });
    connect(kategorie, &QAction::triggered, this, [this] {
        m_katEditor->setText(QStringLiteral("1"));
        m_bEditor->click();
    });
    connect(favoriten, &QAction::triggered, this, [this] {
        m_katEditor->setText(QStringLiteral("3"));
        m_bEditor->click();
    });
    connect(loeschen, &QAction::triggered, this, [this] {
        m_services.msg->MsgBox(
            this,
            QStringLiteral("Das Dokument ''") + selectedDocument()
                + QStringLiteral("'' konnte nicht gelöscht werden, weil Funktion noch nicht "
                                 "verfügbar !\r\rDer Vorgang wurde abgebrochen."),
            Buttons::OK | Icon::Critical, kCaption);
        Yield();
    });
}

bool Root::Load()
{
    m_database->setText(m_installDir + QLatin1Char('/'));
    if (!PathExists(templatesFolder())) {
        m_services.msg->MsgBox(
            this,
            QStringLiteral("Die Dokumente sind nicht vorhanden oder wurden verschoben.  \n"
                           "Die Anwendung kann nicht ordnungsgemäss arbeiten."),
            Buttons::OK | Icon::Critical, QStringLiteral(" Ordinalis ") + windowTitle());
        m_ended = true;
        return false;
    }
    m_print->setChecked(m_library.userFile().PrintDoc());

    m_loading = true;
    m_category->clear();
    m_category->addItems(m_library.Categories());
    m_loading = false;
    if (m_category->count() > 0) {
        m_category->setCurrentIndex(0);
        categorySelected();
    }
    if (m_files->count() > 0 && m_files->currentRow() != 0)
        m_files->setCurrentRow(0);

    placeQuitButton();
    m_showViewer->setText(m_showViewer->text() + QStringLiteral("\tEnter"));
    updateDocumentCommands();
    placeWindow();
    Yield();
    return true;
}

void Root::placeQuitButton()
{
    m_quit->move(8, height() + TwipsToPixelsY(150));
}

void Root::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeQuitButton();
}

void Root::WriteHostText(const QString &text)
{
    if (m_text1->text() == text)
        onText1Changed();
    else
        m_text1->setText(text);
}

void Root::BringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void Root::onText1Changed()
{
    if (m_text1->text() != kEndMarker)
        return;
    m_services.exit->ExitNow(0);
    // Only a test's exit seam returns: end as when the templates are missing.
    m_ended = true;
    m_services.exit->QuitApplication(0);
}

void Root::closeEvent(QCloseEvent *event)
{
    if (m_text1->text() != kEndMarker && !m_ended)
        AppClosed();
    event->accept();
}

void Root::AppClosed() { quitCommand(); }

void Root::quitCommand()
{
    if (m_ended)
        return;
    m_library.userFile().WritePrintDoc(m_print->isChecked());
    storePlacement();
    unloadDialogs();
    Yield();
    m_ended = true;
    m_services.exit->QuitApplication(0);
}

void Root::NewDokument()
{
    AddNew &dialog = addNewDialog();
    dialog.Prepare();
    dialog.exec();
}

AddNew &Root::addNewDialog()
{
    if (!m_addNew)
        m_addNew = std::make_unique<AddNew>(*this, m_services, this);
    return *m_addNew;
}

MoveTo &Root::moveToDialog()
{
    if (!m_moveTo)
        m_moveTo = std::make_unique<MoveTo>(*this, m_services, this);
    return *m_moveTo;
}

void Root::editCommand()
{
    const QString name = selectedDocument();
    AddNew &dialog = addNewDialog();
    dialog.setEditMode(name, m_library.userFile().DocumentInfo(name), m_image->pixmap());
    Yield();
    dialog.exec();
    Yield();
    // An OK reloaded the category and moved the selection; show that document's text.
    m_infos->setText(m_library.userFile().DocumentInfo(selectedDocument()));
}

void Root::moveCommand()
{
    MoveTo &dialog = moveToDialog();
    dialog.setMoveOrRename(QStringLiteral("1"));
    dialog.ReadTypDocuments();
    dialog.exec();
}

void Root::unloadDialogs()
{
    if (m_addNew && m_addNew->isVisible())
        m_addNew->reject();
    if (m_moveTo && m_moveTo->isVisible())
        m_moveTo->reject();
    // Its closing may end the program (update, restart) before the quit does.
    if (m_editor)
        m_editor->close();
}

void Root::LoadCategory()
{
    categorySelected();
    Yield();
}

int Root::LoadPdfReader()
{
    BusyPointer busy; // stays up across the file dialog, as it always has
    return vv::LoadPdfReader(*m_services.registry, *m_services.fileDialog, this);
}

int Root::GetPdfReader()
{
    return vv::GetPdfReader(*m_services.registry, *m_services.fileDialog, this);
}

QString Root::selectedDocument() const
{
    const QListWidgetItem *item = m_files->currentItem();
    return item ? GetFileName(item->text()) : QString();
}

int Root::categoryIndex() const { return m_category->currentIndex(); }

QString Root::categoryText() const { return m_category->currentText(); }

void Root::selectCategoryIndex(int index) { m_category->setCurrentIndex(index); }

void Root::selectDocumentIndex(int index) { m_files->setCurrentRow(index); }

void Root::categorySelected()
{
    BusyPointer busy;
    clearPicture();
    Yield();

    const int position = m_category->currentIndex() + 1;
    const CategoryLocation where = m_library.LocateCategory(position);
    if (!where.exists) {
        const int answer = m_services.msg->MsgBox(this, Editor::MissingFolderText(), Buttons::OKCancel | Icon::Critical,
                                                  QStringLiteral(" ") + windowTitle());
        busy.restore();
        if (answer == vbOK) {
            Editor &editor = loadEditor();
            editor.ErrorDatabase();
            Yield();
            editor.show();
            editor.raise();
        }
        return;
    }
    if (!where.dirValue.isEmpty())
        m_fileListFolder = where.folder;
    refreshFileList();

    // The first document's help text replaces the category's at once, so
    // the category's is read only for an empty category.
    if (m_files->count() > 0)
        m_files->setCurrentRow(0);
    else
        m_infos->setText(m_library.userFile().CategoryInfo(position));
    ReleaseFreeMemory(); // what the listing and the help text's read left behind
    busy.restore();
    Yield();
}

// As the user picks them: the category's selection runs (again, when it is
// the shown one, so a document added since is listed), then the document's.
void Root::showSearchHit(int categoryIndex, const QString &document)
{
    if (categoryIndex < 0 || categoryIndex >= m_category->count())
        return;
    if (categoryIndex != m_category->currentIndex())
        m_category->setCurrentIndex(categoryIndex);
    else
        LoadCategory();
    const QList<QListWidgetItem *> found = m_files->findItems(document, Qt::MatchExactly);
    if (!found.isEmpty())
        m_files->setCurrentItem(found.first());
    m_files->setFocus();
}

void Root::refreshFileList()
{
    const QStringList names = m_library.Documents(m_fileListFolder);
    const QSignalBlocker block(m_files);
    m_files->clear();
    m_files->addItems(names);
    m_files->setCurrentRow(-1);
    updateDocumentCommands();
}

void Root::documentSelected()
{
    BusyPointer busy;
    Yield();
    const QString name = selectedDocument();
    m_infos->setText(m_library.userFile().DocumentInfo(name));
    clearPicture();
    const QString picture = m_library.PreviewPicture(m_fileListFolder, name);
    if (!picture.isEmpty())
        showPicture(picture);
    busy.restore();
    Yield();
}

void Root::showPicture(const QString &file)
{
    m_picturePath = file;
    if (file.isEmpty())
        return;
    layout()->activate(); // the preview's size follows the window's
    if (fitPreviewWidth())
        layout()->activate();
    const QImage image = ReadPicture(file, ShownSize(m_image));
    if (image.isNull())
        return; // an unreadable picture leaves the preview empty
    m_image->setScaledContents(true);
    m_image->setPixmap(QPixmap::fromImage(image));
}

void Root::clearPicture()
{
    m_image->clear();
    m_picturePath.clear();
}

bool Root::fitPreviewWidth()
{
    // A page's proportions (210 × 297) at the height the window leaves it.
    const int width = qMax(kPreviewMinimum.width(), qRound(m_image->height() * 210.0 / 297.0));
    if (m_image->minimumWidth() == width && m_image->maximumWidth() == width)
        return false;
    m_image->setFixedWidth(width);
    return true;
}

void Root::updateDocumentCommands()
{
    const bool selected = !selectedDocument().isEmpty();
    for (QAction *command : std::as_const(m_documentCommands))
        command->setEnabled(selected);
}

namespace {
// Room for a title bar and borders, which no window knows before it is shown.
const QMargins kFrameAllowance(4, 32, 4, 4);
} // namespace

void Root::placeWindow()
{
    // Stored and restored by the frame's corner, which window managers place
    // where they are asked to; the inside then follows by the frame.
    const WindowPlacement stored = StoredWindowPlacement(*m_services.registry);
    const QPoint toInside(kFrameAllowance.left(), kFrameAllowance.top());
    QRect wanted = stored.rect;
    if (!wanted.isNull())
        wanted.translate(toInside);
    QScreen *screen = wanted.isNull() ? nullptr : QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect inside = FitOnScreen(wanted, size(), screen->availableGeometry(), kFrameAllowance);
    resize(inside.size());
    move(inside.topLeft() - toInside);
    if (stored.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void Root::storePlacement()
{
    QRect place = normalGeometry();
    if (!place.isValid())
        return;
    place.translate(frameGeometry().topLeft() - geometry().topLeft());
    StoreWindowPlacement(*m_services.registry, {place, isMaximized()});
}

void Root::popupMenuAt(const QPoint &globalPos) { m_menu->popup(globalPos); }

void Root::popupMenuFixed()
{
    popupMenuAt(mapToGlobal(QPoint(TwipsToPixelsX(3825), TwipsToPixelsY(2650))));
}

void Root::openEditor()
{
    hide();
    Editor &editor = loadEditor();
    editor.show();
    editor.raise();
    editor.activateWindow();
}

Editor &Root::loadEditor()
{
    if (!m_editor || m_editor->isClosed()) {
        m_editor = new Editor(*this, m_installDir, m_services, this);
        m_editor->Load();
    }
    return *m_editor;
}

Editor *Root::editor() const { return m_editor; }

void Root::categoriesChanged()
{
    // Only the names change here; the shown category and its documents stay
    // until the user selects anew.
    const int position = m_category->currentIndex();
    m_loading = true;
    m_category->clear();
    m_category->addItems(m_library.Categories());
    m_category->setCurrentIndex(position < m_category->count() ? position : -1);
    m_loading = false;
}

QString Root::editorStartTab() const { return m_katEditor->text(); }

void Root::setEditorStartTab(const QString &tab) { m_katEditor->setText(tab); }

bool Root::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Read the picture again at the new size once the user stops resizing.
    if (watched == m_image && type == QEvent::Resize && !fitPreviewWidth() && !m_picturePath.isEmpty()
        && m_image->pixmap().size() != ShownSize(m_image))
        m_pictureTimer->start();
    if (watched == m_files->viewport() && (type == QEvent::DragEnter || type == QEvent::DragMove)) {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        // Anything but PDF files shows the forbidden pointer. The files are
        // looked at once as the drag comes in, not at every move.
        if (type == QEvent::DragEnter)
            m_dragHoldsDocuments = CheckDroppedFiles(drag->mimeData()->urls()).verdict != DroppedFiles::NotDocuments;
        if (!m_dragHoldsDocuments) {
            drag->ignore();
        } else {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        }
        return true;
    }
    if (watched == m_files->viewport() && type == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const DroppedFiles dropped = CheckDroppedFiles(drop->mimeData()->urls());
        if (dropped.verdict == DroppedFiles::NotDocuments) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The file manager waits for the drop to end; the dialogs come after.
        QTimer::singleShot(0, this, [this, dropped] { addDroppedDocuments(dropped); });
        return true;
    }
    if (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton
            && (watched == m_image || watched == m_files->viewport())) {
            // A popup opened while the release is still being delivered is handed the
            // rest of the click under X11 and closes at once; open it afterwards.
            // One pixel off the pointer: a menu that appears under the pointer takes
            // it out of the main window, a window manager whose focus follows the
            // pointer then takes the focus away, and the menu closes again.
            const QPoint at = mouse->globalPosition().toPoint() + QPoint(1, 1);
            QTimer::singleShot(0, this, [this, at] { popupMenuAt(at); });
            return true;
        }
        if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
            if (watched == m_image) {
                openCopy(true);
                return true;
            }
            if (watched == m_infos) {
                if (QAction *edit = m_menu->findChild<QAction *>(QStringLiteral("mnuBearbeiten")))
                    edit->trigger();
                return true;
            }
        }
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            if (watched == m_tDocument) {
                m_bDocument->click();
                return true;
            }
            if (watched == m_tEditor) {
                m_bEditor->click();
                return true;
            }
        }
    }
    if (type == QEvent::KeyPress && watched == m_files) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_showViewer->trigger();
            return true;
        }
        if (key == Qt::Key_Menu) {
            popupMenuAt(m_files->viewport()->mapToGlobal(
                m_files->visualItemRect(m_files->currentItem()).center()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Root::addDroppedDocuments(const DroppedFiles &dropped)
{
    if (dropped.verdict == DroppedFiles::TooMany) {
        showError(QStringLiteral("Es können höchstens %1 Dokumente auf einmal hinzugefügt werden; "
                                 "abgelegt wurden %2. Bitte legen Sie die Dokumente in kleineren "
                                 "Gruppen ab.")
                      .arg(kMaxDroppedDocuments)
                      .arg(dropped.paths.size()));
        return;
    }
    for (const QString &path : dropped.paths) {
        if (!DroppedFileStillThere(path)) {
            showError(QStringLiteral("Das Dokument „%1“ ist nicht mehr vorhanden und wird nicht "
                                     "hinzugefügt.")
                          .arg(GetFileName(path)));
            continue;
        }
        AddNew &dialog = addNewDialog();
        dialog.Prepare();
        dialog.setChosenDocument(path);
        dialog.exec();
    }
}

void Root::showError(const QString &text)
{
    m_services.msg->MsgBox(this, text, Buttons::OK | Icon::Exclamation, kCaption);
}

bool Root::makeCopy(QString *copyPath)
{
    const QString name = selectedDocument();
    const WorkingCopy copy = m_library.MakeWorkingCopy(m_fileListFolder, name);
    switch (copy.status) {
    case WorkingCopy::Made:
        break;
    case WorkingCopy::NoDocument:
        showError(QStringLiteral("Bitte wählen Sie zuerst ein Dokument aus."));
        return false;
    case WorkingCopy::NoTempFile:
        showError(QStringLiteral("Im Ordner für temporäre Dateien kann keine Kopie angelegt "
                                 "werden. Bitte prüfen Sie den Ordner und den freien Speicherplatz."));
        return false;
    case WorkingCopy::CopyFailed:
        showError(QStringLiteral("Das Dokument \"") + name
                  + QStringLiteral("\" konnte nicht kopiert werden. Die Vorlage ist nicht mehr "
                                   "vorhanden oder nicht lesbar."));
        return false;
    }
    Yield();
    *copyPath = copy.path;
    return true;
}

void Root::startViewer(const QString &commandLine)
{
    QString error;
    if (!m_services.process->StartCommandLine(commandLine, &error))
        showError(error.isEmpty() ? QStringLiteral("Das Pdf-Programm konnte nicht gestartet werden.")
                                  : error);
    Yield();
}

void Root::openCopy(bool allowPrint)
{
    if (allowPrint && LoadPdfReader() != 1)
        return;
    QString program = StoredPdfProgram(*m_services.registry);
    // The menu entry does not send the user off to the double-click: it looks
    // for the program the same way.
    if (program.isEmpty() && LoadPdfReader() == 1)
        program = StoredPdfProgram(*m_services.registry);
    if (program.isEmpty()) {
        showError(QStringLiteral("Auf diesem Rechner ist kein Pdf-Programm eingerichtet. Bitte installieren "
                                 "Sie ein Programm zum Anzeigen von Pdf-Dokumenten oder wählen Sie eines aus."));
        return;
    }
    QString copy;
    if (!makeCopy(&copy))
        return;
    if (allowPrint && m_print->isChecked())
        printCopy(BuildPrintCommandLine(program, copy));
    else
        startViewer(BuildOpenCommandLine(program, copy));
}

void Root::printCopy(const QString &printLine)
{
    QString defaultPrinter;
    const QStringList printers = m_services.print->Printers(&defaultPrinter);
    if (printers.isEmpty()) {
        showError(QStringLiteral("Es ist kein Drucker eingerichtet. Bitte richten Sie in der "
                                 "Druckerverwaltung des Systems (CUPS) einen Drucker ein; danach "
                                 "können Vorlagen gedruckt werden."));
        return;
    }
    PrintOptions options;
    options.printer = printers.contains(defaultPrinter) ? defaultPrinter : printers.first();
    if (!m_services.print->AskPrintOptions(this, selectedDocument(), printers, options))
        return;
    QString error;
    const QString job = PrintJobCommandLine(printLine, options, &error);
    if (job.isEmpty())
        showError(error);
    else
        startViewer(job);
}

} // namespace vv
