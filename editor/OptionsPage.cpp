#include "OptionsPage.h"

#include "Editor.h"
#include "FileServices.h"
#include "PdfReader.h"
#include "PdfRender.h"
#include "Registry.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace vv {
namespace {

QLabel *WrappedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

OptionsPage::OptionsPage(Editor &editor) : EditorPage(editor)
{
    m_frame = new QFrame(&editor);
    m_frame->setObjectName(QStringLiteral("fOptionen"));
    auto *grid = new QGridLayout(m_frame);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(8);

    QLabel *label1 = WrappedLabel("Label1",
                                  QStringLiteral("Die Standard-Dokumente können per Weblink aus dem Internet geladen "
                                                 "werden. Anschließend müssen Sie die Dokumente im Vorlagen-Ordner "
                                                 "von Ordinalis entpacken."),
                                  m_frame);
    const QString address = DownloadAddress(*editor.services().registry).toString();
    m_weblink = new QLabel(m_frame);
    m_weblink->setObjectName(QStringLiteral("tWeblink"));
    m_weblink->setTextFormat(Qt::RichText);
    m_weblink->setText(QStringLiteral("<a href=\"#\">") + address.toHtmlEscaped() + QStringLiteral("</a>"));
    m_weblink->setToolTip(address);
    m_weblink->setCursor(Qt::PointingHandCursor);
    m_weblink->setFocusPolicy(Qt::StrongFocus);
    m_weblink->setTextInteractionFlags(Qt::NoTextInteraction);
    m_weblink->installEventFilter(this);

    QLabel *label2 = WrappedLabel("Label2", QStringLiteral("Verzeichnis als Speicherort für Vorlagen verwenden:"),
                                  m_frame);
    m_folder = new QLineEdit(m_frame);
    m_folder->setObjectName(QStringLiteral("tVorlageOrdner"));
    m_folder->setReadOnly(true);
    label2->setBuddy(m_folder);
    auto *choose = new QPushButton(QStringLiteral("..."), m_frame);
    choose->setObjectName(QStringLiteral("bVorlageOrdner"));
    choose->setAutoDefault(false);
    // The library stays where the installation put it.
    choose->setEnabled(false);

    QLabel *label3 = WrappedLabel("Label3",
                                  QStringLiteral("Aktualisieren der Datenbankeinträge für die vorhandenen Kategorien "
                                                 "und PDF-Dokumente, falls die Einträge nicht fehlerfrei geladen werden "
                                                 "können:"),
                                  m_frame);
    auto *update = new QToolButton(m_frame);
    update->setObjectName(QStringLiteral("bCheckDocData"));
    update->setIcon(m_frame->style()->standardIcon(QStyle::SP_BrowserReload));
    update->setIconSize(QSize(24, 24));
    update->setToolTip(QStringLiteral("Datenbank aktualisieren"));
    m_checkDocData = new QLabel(QStringLiteral("STARTE: ...\\_VORLAGEN PDF-LISTE.CMD"), m_frame);
    m_checkDocData->setObjectName(QStringLiteral("tCheckDocData"));
    m_checkDocData->setTextFormat(Qt::PlainText);
    m_checkDocData->setCursor(Qt::PointingHandCursor);
    m_checkDocData->installEventFilter(this);

    QLabel *label4 = WrappedLabel("Label4", QStringLiteral("Programm zum Anzeigen und Drucken der PDF-Dokumente:"),
                                  m_frame);
    m_pdfProgram = new QLineEdit(m_frame);
    m_pdfProgram->setObjectName(QStringLiteral("tPdfProgramm"));
    m_pdfProgram->setReadOnly(true);
    m_pdfProgram->setPlaceholderText(QStringLiteral("(noch keines gewählt)"));
    label4->setBuddy(m_pdfProgram);
    auto *choosePdf = new QPushButton(QStringLiteral("Ändern …"), m_frame);
    choosePdf->setObjectName(QStringLiteral("bPdfProgramm"));
    choosePdf->setAutoDefault(false);
    auto *desktopPdf = new QPushButton(QStringLiteral("Standard des Desktops"), m_frame);
    desktopPdf->setObjectName(QStringLiteral("bPdfStandard"));
    desktopPdf->setAutoDefault(false);
    desktopPdf->setToolTip(QStringLiteral("Das Programm verwenden, das der Desktop für PDF-Dokumente vorsieht"));
    auto *pdfButtons = new QHBoxLayout;
    pdfButtons->setSpacing(6); // otherwise the two buttons touch
    pdfButtons->addWidget(choosePdf);
    pdfButtons->addWidget(desktopPdf);
    pdfButtons->addStretch();

    QLabel *label5 = WrappedLabel("Label5",
                                  QStringLiteral("Vorschaubilder aus der ersten Seite für alle Dokumente erzeugen, "
                                                 "die noch keines haben:"),
                                  m_frame);
    auto *previews = new QPushButton(QStringLiteral("Fehlende Vorschaubilder erzeugen"), m_frame);
    previews->setObjectName(QStringLiteral("bVorschauErzeugen"));
    previews->setAutoDefault(false);
    auto *previewRow = new QHBoxLayout;
    previewRow->addWidget(previews);
    previewRow->addStretch();

    grid->addWidget(label1, 0, 0, 1, 3);
    grid->addWidget(m_weblink, 1, 0, 1, 3);
    grid->addItem(new QSpacerItem(0, 12), 2, 0);
    grid->addWidget(label2, 3, 0, 1, 3);
    grid->addWidget(m_folder, 4, 0, 1, 2);
    grid->addWidget(choose, 4, 2);
    grid->addItem(new QSpacerItem(0, 12), 5, 0);
    grid->addWidget(label3, 6, 0, 1, 3);
    grid->addWidget(update, 7, 0);
    grid->addWidget(m_checkDocData, 7, 1, 1, 2);
    grid->addItem(new QSpacerItem(0, 12), 8, 0);
    grid->addWidget(label4, 9, 0, 1, 3);
    grid->addWidget(m_pdfProgram, 10, 0, 1, 3);
    grid->addLayout(pdfButtons, 11, 0, 1, 3);
    grid->addItem(new QSpacerItem(0, 12), 12, 0);
    grid->addWidget(label5, 13, 0, 1, 3);
    grid->addLayout(previewRow, 14, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(15, 1);

    connect(update, &QToolButton::clicked, this, [this] { m_editor.UpdateDatabase(); });
    connect(choosePdf, &QPushButton::clicked, this, [this] { choosePdfProgram(); });
    connect(desktopPdf, &QPushButton::clicked, this, [this] { useDesktopPdfProgram(); });
    connect(previews, &QPushButton::clicked, this, [this] { MakePreviews(); });
}

QString OptionsPage::helpText() const
{
    return QStringLiteral("Verwaltung für den Ordner mit den Vorlagen und Indexerstellung der Datenbank, soweit "
                          "Dokumente oder Kategorien hinzugefügt wurden. Verwalten Sie hier die Einstellungen und "
                          "ändern Sie bei Bedarf den Eintrag, soweit die Vorlage-Dokumente nicht ordnungsgemäss "
                          "funktionieren.");
}

QWidget *OptionsPage::frame() const { return m_frame; }

void OptionsPage::Load() { showPdfProgram(); }

void OptionsPage::showPdfProgram()
{
    const QString program = StoredPdfProgram(*m_editor.services().registry);
    m_pdfProgram->setText(program);
    m_pdfProgram->setToolTip(program);
    m_pdfProgram->setCursorPosition(0);
}

void OptionsPage::choosePdfProgram()
{
    if (GetPdfReader(*m_editor.services().registry, *m_editor.services().fileDialog, &m_editor) == 1)
        showPdfProgram();
}

void OptionsPage::useDesktopPdfProgram()
{
    Registry &registry = *m_editor.services().registry;
    QString problem;
    if (AssociatedPdfProgram(registry).status != AssociatedProgram::Found)
        problem = QStringLiteral("Auf diesem Desktop ist kein Standardprogramm für PDF-Dokumente eingerichtet, "
                                 "oder es ist nicht installiert. Wählen Sie das Programm mit ''Ändern …''.");
    else if (!UseAssociatedPdfProgram(registry))
        problem = QStringLiteral("Das PDF-Programm konnte nicht in den Einstellungen gespeichert werden.");
    if (!problem.isEmpty())
        m_editor.services().msg->MsgBox(&m_editor, problem, Buttons::OK | Icon::Exclamation, m_editor.messageTitle());
    showPdfProgram();
}

void OptionsPage::MakePreviews()
{
    MessageBoxSeam &msg = *m_editor.services().msg;
    const QList<MissingPreview> missing = m_editor.library().MissingPreviews();
    if (missing.isEmpty()) {
        msg.MsgBox(&m_editor, QStringLiteral("Alle Dokumente haben bereits ein Vorschaubild."),
                   Buttons::OK | Icon::Information, m_editor.messageTitle());
        return;
    }
    QProgressDialog progress(QStringLiteral("Vorschaubilder werden erzeugt …"), QStringLiteral("Abbrechen"), 0,
                             int(missing.size()), &m_editor);
    progress.setObjectName(QStringLiteral("dVorschauErzeugen"));
    progress.setWindowTitle(m_editor.messageTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    int made = 0, skipped = 0, failed = 0, done = 0;
    bool noModule = false;
    for (const MissingPreview &m : missing) {
        progress.setLabelText(QStringLiteral("Vorschaubild für ''") + GetFileName(m.document)
                              + QStringLiteral("'' wird erzeugt …"));
        progress.setValue(done);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            break;
        switch (MakePreview(m.document, m.picture, m_editor.services().pdf)) {
        case PreviewStatus::Made: ++made; break;
        case PreviewStatus::Exists:
        case PreviewStatus::Encrypted:
        case PreviewStatus::Damaged: ++skipped; break;
        case PreviewStatus::NotWritten: ++failed; break;
        case PreviewStatus::NoPdfModule: noModule = true; break;
        }
        if (noModule)
            break;
        ++done;
    }
    const bool cancelled = done < missing.size();
    progress.close();
    if (noModule) {
        // Every other document would fail alike.
        msg.MsgBox(&m_editor, m_editor.NoPdfModuleText(), Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    }
    QString summary = QStringLiteral("Erzeugte Vorschaubilder: %1\nÜbersprungen (geschützt oder beschädigt): %2\n"
                                     "Fehlgeschlagen (nicht gespeichert): %3")
                          .arg(made)
                          .arg(skipped)
                          .arg(failed);
    if (cancelled)
        summary += QStringLiteral("\n \nAbgebrochen: %1 Dokumente wurden nicht bearbeitet.").arg(missing.size() - done);
    msg.MsgBox(&m_editor, summary, Buttons::OK | (failed > 0 ? Icon::Exclamation : Icon::Information),
               m_editor.messageTitle());
}

void OptionsPage::setTemplatesFolder(const QString &folder) { m_folder->setText(folder); }

bool OptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    bool activated = false;
    if (event->type() == QEvent::MouseButtonRelease)
        activated = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    else if (event->type() == QEvent::KeyPress && watched == m_weblink) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        activated = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    if (activated) {
        if (watched == m_weblink)
            m_editor.OpenDownload();
        else if (watched == m_checkDocData)
            m_editor.UpdateDatabase();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vv
