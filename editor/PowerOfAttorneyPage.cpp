#include "PowerOfAttorneyPage.h"

#include "BusyPointer.h"
#include "Clock.h"
#include "ComDlgDll.h"
#include "Editor.h"
#include "FileServices.h"
#include "Library.h"
#include "PdfRender.h"
#include "Picture.h"
#include "TemplateViewer.h"
#include "Twips.h"

#include <QDir>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vv {

PowerOfAttorneyPage::PowerOfAttorneyPage(Editor &editor) : EditorPage(editor)
{
    m_frame = new QFrame(&editor);
    m_frame->setObjectName(QStringLiteral("fExtras"));
    auto *grid = new QGridLayout(m_frame);
    grid->setContentsMargins(0, 0, 0, 0);

    auto *label = new QLabel(QStringLiteral("Wählen Sie einen Typ der Vollmacht aus der Liste:"), m_frame);
    label->setObjectName(QStringLiteral("Label10"));
    m_type = new QComboBox(m_frame);
    m_type->setObjectName(QStringLiteral("LVollmachtstyp"));
    m_type->addItems({QStringLiteral("Empfangsvollmacht (Verein)"), QStringLiteral("Vertretungsvollmacht (Verein)"),
                      QStringLiteral("Vollmacht und Auftrag (Steuerberater)"),
                      QStringLiteral("Vertretungsvollmacht (Steuerberater)"),
                      QStringLiteral("Beitrittserklärungen (Verein)")});
    m_type->setCurrentIndex(-1); // the tab chooses the first type on its first visit
    label->setBuddy(m_type);

    auto *box = new QFrame(m_frame);
    box->setObjectName(QStringLiteral("pVollmachtCase"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
    auto *boxLayout = new QHBoxLayout(box);
    boxLayout->setContentsMargins(4, 4, 4, 4);
    m_show = new QLabel(box);
    m_show->setObjectName(QStringLiteral("pVollmachtShow"));
    m_show->setProperty("tag", QString());
    m_show->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    boxLayout->addWidget(m_show);
    // A page's proportions, so the stretched picture is not distorted.
    box->setFixedSize(TwipsToPixelsX(4200), TwipsToPixelsY(5940));

    auto *buttons = new QVBoxLayout;
    const auto button = [&](const char *name, const QString &caption, const QString &tip) {
        auto *b = new QPushButton(caption, m_frame);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        b->setToolTip(tip);
        b->setEnabled(false);
        buttons->addWidget(b);
        return b;
    };
    m_showButton = button("bDocShow", QStringLiteral("&Anzeigen"), QStringLiteral("Die Vorlage in voller Größe zeigen"));
    m_replaceButton = button("bDocReplace", QStringLiteral("&Ersetzen"),
                             QStringLiteral("Die Vorlage durch ein Bild oder die erste Seite eines PDF-Dokuments "
                                            "ersetzen; die bisherige bleibt als Sicherungskopie erhalten"));
    m_killButton = button("bDocKill", QStringLiteral("&Löschen"), QStringLiteral("Die Vorlage in den Papierkorb verschieben"));
    buttons->addStretch();

    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_type, 1, 0);
    grid->addWidget(box, 2, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    connect(m_type, &QComboBox::currentIndexChanged, this, [this] {
        showTemplate();
        enableButtons();
    });
    connect(m_showButton, &QPushButton::clicked, this, [this] { showFullSize(); });
    connect(m_replaceButton, &QPushButton::clicked, this, [this] { replaceTemplate(); });
    connect(m_killButton, &QPushButton::clicked, this, [this] { deleteTemplate(); });
}

QString PowerOfAttorneyPage::helpText() const
{
    return QStringLiteral("Bearbeiten Sie hier die Vorlagen zu den Beitrittserklärungen, Vollmachten und Auträge. "
                          "Ersetzen Sie ggf. das entsprechende Dokument, soweit Änderungen vorgenommen wurden. Die "
                          "Positionierung des Textes führen Sie im Dialog des Aisdrucks (in den Eigenschaften links "
                          "unten) durch.");
}

QWidget *PowerOfAttorneyPage::frame() const { return m_frame; }

void PowerOfAttorneyPage::Load()
{
    if (m_type->currentIndex() < 0) {
        m_type->setCurrentIndex(0);
        Yield();
    }
    enableButtons();
}

void PowerOfAttorneyPage::showTemplate()
{
    const QString path = m_editor.library().paths().powerOfAttorneyForm(m_type->currentIndex());
    if (path.isEmpty() || !FileExists(path))
        return; // the previous picture and its path stay
    m_show->setScaledContents(true);
    // The page may not have been shown yet: place the picture in its fixed frame first.
    m_show->parentWidget()->layout()->activate();
    const QImage image = ReadPicture(path, ShownSize(m_show));
    if (!image.isNull())
        m_show->setPixmap(QPixmap::fromImage(image));
    m_shown = path;
    m_show->setProperty("tag", path);
    Yield();
}

} // namespace vv

namespace vv {
namespace {

QString Quoted(const QString &name) { return QStringLiteral("''") + name + QStringLiteral("''"); }

QString PictureRefusal(const TemplatePicture &picture, const QString &name, const Editor &editor)
{
    switch (picture.status) {
    case TemplatePicture::Ready:
        break;
    case TemplatePicture::Missing:
        return QStringLiteral("Die Datei ") + Quoted(name) + QStringLiteral(" wurde nicht gefunden.");
    case TemplatePicture::NotAPicture:
        return QStringLiteral("Die Datei ") + Quoted(name)
            + QStringLiteral(" ist weder ein Bild (JPEG, PNG, GIF oder BMP) noch ein PDF-Dokument.");
    case TemplatePicture::TooLarge:
        return QStringLiteral("Das Bild ") + Quoted(name)
            + QStringLiteral(" ist mit %1 × %2 Bildpunkten zu groß; eine Vorlage darf höchstens %3 Megapixel "
                             "haben.")
                  .arg(picture.size.width())
                  .arg(picture.size.height())
                  .arg(kMaxTemplatePixels / 1'000'000);
    case TemplatePicture::Encrypted:
        return QStringLiteral("Das PDF-Dokument ") + Quoted(name)
            + QStringLiteral(" ist durch ein Kennwort geschützt und kann nicht als Vorlage dienen.");
    case TemplatePicture::Damaged:
        return QStringLiteral("Das PDF-Dokument ") + Quoted(name)
            + QStringLiteral(" ist beschädigt oder enthält keine Seite.");
    case TemplatePicture::NoPdfModule:
        return editor.NoPdfModuleText();
    }
    return QString();
}

} // namespace

QString PowerOfAttorneyPage::typeName() const { return m_type->currentText(); }

void PowerOfAttorneyPage::enableButtons()
{
    const QString path = m_editor.library().paths().powerOfAttorneyForm(m_type->currentIndex());
    const bool exists = !path.isEmpty() && FileExists(path);
    m_showButton->setEnabled(exists);
    m_killButton->setEnabled(exists);
    m_replaceButton->setEnabled(!path.isEmpty());
}

void PowerOfAttorneyPage::showFullSize()
{
    const QString path = m_editor.library().paths().powerOfAttorneyForm(m_type->currentIndex());
    if (path.isEmpty() || !FileExists(path))
        return;
    BusyPointer busy;
    const QImage image = ReadPicture(path);
    if (!m_viewer)
        m_viewer = new TemplateViewer(typeName(), &m_editor);
    m_viewer->setTypeName(typeName());
    m_viewer->setImage(image);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}

void PowerOfAttorneyPage::replaceTemplate()
{
    const int n = m_type->currentIndex();
    const Library &library = m_editor.library();
    const QString form = library.paths().powerOfAttorneyForm(n);
    if (form.isEmpty())
        return;
    MessageBoxSeam &msg = *m_editor.services().msg;
    QString folder = QDir::homePath();
    const QString name = OpenFileDialog(
        *m_editor.services().fileDialog, &m_editor, QStringLiteral("Neue Vorlage für ") + Quoted(typeName()), folder,
        QString(),
        QStringLiteral("Bilder und PDF-Dokumente|*.jpg; *.jpeg; *.png; *.gif; *.bmp; *.pdf|Alle Dateitypen|*.*"),
        QStringLiteral("jpg"));
    if (name.isEmpty())
        return;
    BusyPointer busy;
    const TemplatePicture picture = PrepareTemplatePicture(folder + name, m_editor.services().pdf);
    if (picture.status != TemplatePicture::Ready) {
        busy.restore();
        msg.MsgBox(&m_editor, PictureRefusal(picture, name, m_editor), Buttons::OK | Icon::Exclamation, m_editor.messageTitle());
        return;
    }
    const FormReplaceResult result = library.ReplacePowerOfAttorneyForm(n, picture.bytes);
    busy.restore();
    const QString formName = GetFileName(form);
    switch (result.status) {
    case FormReplaceResult::Replaced:
        break;
    case FormReplaceResult::ReadOnly:
        msg.MsgBox(&m_editor,
                   QStringLiteral("Die Vorlage ") + Quoted(formName)
                       + QStringLiteral(" ist schreibgeschützt und kann nicht ersetzt werden."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    case FormReplaceResult::BackupFailed:
        msg.MsgBox(&m_editor,
                   QStringLiteral("Die Sicherungskopie ") + Quoted(GetFileName(library.paths().powerOfAttorneyBackup(n)))
                       + QStringLiteral(" konnte nicht angelegt werden. Die Vorlage bleibt unverändert."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    case FormReplaceResult::NoForm:
    case FormReplaceResult::WriteFailed:
        msg.MsgBox(&m_editor,
                   QStringLiteral("Die Vorlage ") + Quoted(formName)
                       + QStringLiteral(" konnte nicht geschrieben werden. Sie bleibt unverändert."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    }
    showTemplate();
    enableButtons();
    if (m_viewer)
        m_viewer->setImage(ReadPicture(form));
}

void PowerOfAttorneyPage::deleteTemplate()
{
    const int n = m_type->currentIndex();
    MessageBoxSeam &msg = *m_editor.services().msg;
    if (msg.MsgBox(&m_editor,
                   QStringLiteral("Die Vorlage ") + Quoted(typeName())
                       + QStringLiteral(" wird in den Papierkorb verschoben.\n \nMöchten Sie die Vorlage jetzt "
                                        "löschen ?"),
                   Buttons::YesNo | Icon::Exclamation, m_editor.messageTitle())
        != vbYes)
        return;
    if (!m_editor.library().DeletePowerOfAttorneyForm(n)) {
        msg.MsgBox(&m_editor,
                   QStringLiteral("Die Vorlage ") + Quoted(typeName())
                       + QStringLiteral(" konnte nicht in den Papierkorb verschoben werden."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        enableButtons();
        return;
    }
    // The preview shows no template that is gone.
    m_show->clear();
    m_shown.clear();
    m_show->setProperty("tag", QString());
    if (m_viewer)
        m_viewer->close();
    enableButtons();
}

} // namespace vv
