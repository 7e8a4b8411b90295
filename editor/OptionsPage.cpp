#include "OptionsPage.h"

#include "Editor.h"
#include "Settings.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(8, 1);

    connect(update, &QToolButton::clicked, this, [this] { m_editor.UpdateDatabase(); });
}

QString OptionsPage::helpText() const
{
    return QStringLiteral("Verwaltung für den Ordner mit den Vorlagen und Indexerstellung der Datenbank, soweit "
                          "Dokumente oder Kategorien hinzugefügt wurden. Verwalten Sie hier die Einstellungen und "
                          "ändern Sie bei Bedarf den Eintrag, soweit die Vorlage-Dokumente nicht ordnungsgemäss "
                          "funktionieren.");
}

QWidget *OptionsPage::frame() const { return m_frame; }

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
