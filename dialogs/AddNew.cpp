#include "AddNew.h"

#include "BusyPointer.h"
#include "Clock.h"
#include "Twips.h"
#include "ComDlgDll.h"
#include "DialogLayout.h"
#include "FileServices.h"
#include "MainWindowLink.h"
#include "Library.h"
#include "Picture.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vv {
namespace {

const QString kOpenTitle = QStringLiteral("Datei öffnen");

// The chosen file as folder plus name, or "" when nothing usable came back.
// A cancelled dialog leaves the folder empty, which becomes a lone separator
// and is then too short.
QString ChosenPath(FileDialogSeam &seam, QWidget *owner, const QString &filter, const QString &defaultExt)
{
    QString folder;
    const QString name = OpenFileDialog(seam, owner, kOpenTitle, folder, QString(), filter, defaultExt);
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    const QString path = folder + name;
    if (path.size() < 5 || name.isEmpty())
        return QString();
    return path;
}

} // namespace

AddNew::AddNew(MainWindowLink &main, const Services &services, QWidget *parent)
    : QDialog(parent), m_main(main), m_services(services)
{
    setObjectName(QStringLiteral("AddNew"));
    setModal(true);
    buildControls();
    Prepare();
}

void AddNew::buildControls()
{
    auto *hint = new QLabel(
        QStringLiteral("Zum Hinzufügen in die Datenbank, wählen Sie ein Pdf-Dokument und fügen "
                       "anschließend eine Vorschau (.jpf, .gif) hinzufügen. Geben Sie einen "
                       "Hilfetext für die Vorschau ein."),
        this);
    hint->setObjectName(QStringLiteral("Label1"));
    QGridLayout *grid = BuildDialogHead(this, QStyle::SP_FileDialogDetailedView, hint);
    QWidget *frame1 = grid->parentWidget();

    auto *nameLabel = new QLabel(QStringLiteral("&Dateiname:"), frame1);
    m_filename = new QLineEdit(frame1);
    m_filename->setObjectName(QStringLiteral("tFilename"));
    nameLabel->setBuddy(m_filename);
    m_dateiwahl = new QPushButton(QStringLiteral("..."), frame1);
    m_dateiwahl->setObjectName(QStringLiteral("bDateiwahl"));
    m_dateiwahl->setAutoDefault(false);
    grid->addWidget(nameLabel, 0, 0, 1, 3);
    grid->addWidget(m_filename, 1, 0, 1, 2);
    grid->addWidget(m_dateiwahl, 1, 2);

    auto *helpLabel = new QLabel(QStringLiteral("&Hilfetext für das Dokument:"), frame1);
    m_hilfetext = new QPlainTextEdit(frame1);
    m_hilfetext->setObjectName(QStringLiteral("tHilfetext"));
    m_hilfetext->setTabChangesFocus(true);
    helpLabel->setBuddy(m_hilfetext);
    grid->addWidget(helpLabel, 2, 0, 1, 2);
    grid->addWidget(m_hilfetext, 3, 0);

    m_vorschau = new QFrame(frame1);
    m_vorschau->setObjectName(QStringLiteral("pVorschau"));
    m_vorschau->setFrameShape(QFrame::StyledPanel);
    m_vorschau->setFrameShadow(QFrame::Sunken);
    m_vorschau->setFixedSize(TwipsToPixelsX(1700), TwipsToPixelsY(2400));
    m_vorschau->setCursor(Qt::PointingHandCursor);
    m_vorschau->setToolTip(QStringLiteral("Klicken, um eine Vorschau auszuwählen"));
    auto *previewLayout = new QVBoxLayout(m_vorschau);
    previewLayout->setContentsMargins(2, 2, 2, 2);
    m_image = new QLabel(m_vorschau);
    m_image->setObjectName(QStringLiteral("pImage"));
    m_image->setScaledContents(true);
    previewLayout->addWidget(m_image);
    grid->addWidget(m_vorschau, 3, 1, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(0, 1);

    BuildOkCancelRow(this, m_hinzufuegen, m_abbrechen);

    // Only a path the file dialog produced may be copied; typing replaces it.
    connect(m_filename, &QLineEdit::textEdited, this, [this] { m_modeMark = QStringLiteral("0"); });
    connect(m_dateiwahl, &QPushButton::clicked, this, [this] { ChooseDocument(); });
    connect(m_hinzufuegen, &QPushButton::clicked, this, [this] { OkCommand(); });
    connect(m_abbrechen, &QPushButton::clicked, this, [this] { reject(); });
    m_vorschau->installEventFilter(this);
    m_image->installEventFilter(this);

    resize(TwipsToPixelsX(6600), TwipsToPixelsY(5200));
}

void AddNew::Prepare()
{
    setWindowTitle(kCaption);
    m_running = false;
    m_editMode = false;
    m_hinzufuegen->setEnabled(true);
    m_filename->clear();
    m_modeMark = QStringLiteral("0");
    m_hilfetext->clear();
    m_previewPath.clear();
    m_image->clear();
    m_filename->setFocus();
}

void AddNew::setEditMode(const QString &fileName, const QString &helpText, const QPixmap &picture)
{
    Prepare();
    setWindowTitle(kEditCaption);
    m_editMode = true;
    m_hilfetext->setPlainText(helpText);
    m_image->setPixmap(picture);
    m_filename->setText(fileName);
}

void AddNew::done(int result)
{
    QDialog::done(result);
    Prepare(); // an unloaded form starts from its designer state next time
}

bool AddNew::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_vorschau || watched == m_image) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        ChoosePreview();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AddNew::ChooseDocument()
{
    const QString path = ChosenPath(*m_services.fileDialog, this,
                                    QStringLiteral("Pdf-Dokumente|*.pdf|Alle Dateitypen|*.*"),
                                    QStringLiteral("pdf"));
    if (!path.isEmpty())
        setChosenDocument(path);
}

void AddNew::setChosenDocument(const QString &path)
{
    m_filename->setText(path);
    m_modeMark = QStringLiteral("1");
}

void AddNew::ChoosePreview()
{
    QString path;
    for (;;) {
        path = ChosenPath(*m_services.fileDialog, this, QStringLiteral("Bilder|*.jpg; *.gif|Alle Dateitypen|*.*"),
                          QStringLiteral("jpg, gif"));
        // Editing a help text stores no picture, so there is nothing to warn of.
        const bool stored = !m_editMode || m_modeMark == QLatin1String("1");
        if (path.isEmpty() || !stored || Library::PreviewTypeShown(path))
            break;
        const int answer = m_services.msg->MsgBox(
            this,
            QStringLiteral("Das Hauptfenster zeigt nur Vorschaubilder, deren Name auf „jpg“ oder „gif“ "
                           "endet. Die Vorschau „%1“ würde mit der Endung „%2“ gespeichert und nie angezeigt.\n \n"
                           "Möchten Sie dieses Bild trotzdem verwenden? Mit „Nein“ wählen Sie ein anderes.")
                .arg(GetFileName(path), path.right(3)),
            Buttons::YesNo | Icon::Exclamation, windowTitle());
        if (answer == vbYes)
            break;
    }
    if (path.isEmpty())
        return;
    // The dialog may not have been shown yet: place the picture in its fixed frame first.
    m_vorschau->layout()->activate();
    const QImage picture = ReadPicture(path, ShownSize(m_image));
    if (picture.isNull()) {
        // Stored anyway, it would become a preview no window can show.
        m_services.msg->MsgBox(this,
                               QStringLiteral("Die Datei \"") + GetFileName(path)
                                   + QStringLiteral("\" ist kein Bild und kann nicht als Vorschau "
                                                    "verwendet werden. Bitte wählen Sie ein Bild im "
                                                    "Format JPEG oder GIF."),
                               Buttons::OK | Icon::Exclamation, windowTitle());
        return;
    }
    m_previewPath = path;
    m_image->setPixmap(QPixmap::fromImage(picture));
    m_image->update();
}

void AddNew::OkCommand()
{
    // A second press while the command runs would back the user file up over
    // the half-changed one.
    if (m_running)
        return;
    m_running = true;
    m_hinzufuegen->setEnabled(false);
    BusyPointer busy;
    Yield();

    const Library &library = m_main.library();
    const QString text = m_filename->text();
    const QString name = GetFileName(text);
    const QString category = m_main.categoryText();

    if (library.DocumentExists(category, name)) {
        const int answer = m_services.msg->MsgBox(
            this, QStringLiteral("Möchten Sie die Informationen für das ausgewählte Dokument ändern. "),
            Buttons::YesNo | Icon::Question, QStringLiteral(" Dokumente bearbeiten"));
        if (answer == vbNo) {
            busy.restore();
            m_hinzufuegen->setEnabled(true);
            m_running = false;
            return;
        }
    }

    if (GetFilePath(text).isEmpty())
        m_modeMark = QStringLiteral("0");
    const bool copy = m_modeMark == QLatin1String("1");
    // Also with mark "0" and a folder typed by hand the bare name is the key:
    // it is the only one a reader ever looks up.
    library.AddDocument(category, name, m_hilfetext->toPlainText(), copy ? text : QString(),
                        copy ? m_previewPath : QString());
    Yield();
    if (copy)
        WaitSeconds(*m_services.clock, 1.0);

    m_main.selectCategoryIndex(m_main.categoryIndex());
    m_main.LoadCategory();

    busy.restore();
    Yield();
    accept();
}

} // namespace vv
