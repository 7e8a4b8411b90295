#include "MoveTo.h"

#include "BusyPointer.h"
#include "Clock.h"
#include "Twips.h"
#include "DialogLayout.h"
#include "MainWindowLink.h"
#include "Library.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace vv {

MoveTo::MoveTo(MainWindowLink &main, const Services &services, QWidget *parent)
    : QDialog(parent), m_main(main), m_services(services)
{
    setObjectName(QStringLiteral("MoveTo"));
    setModal(true);
    setWindowTitle(kCaption);
    buildControls();
    ReadTypDocuments();
}

void MoveTo::buildControls()
{
    m_infotipp = new QLabel(this);
    m_infotipp->setObjectName(QStringLiteral("LabInfotipp"));
    QGridLayout *grid = BuildDialogHead(this, QStyle::SP_DirIcon, m_infotipp);
    QWidget *frame1 = grid->parentWidget();
    auto *label = new QLabel(QStringLiteral("Verschieben in die Kategorie:"), frame1);
    m_category = new QListWidget(frame1);
    m_category->setObjectName(QStringLiteral("LCategory"));
    m_category->setSelectionMode(QAbstractItemView::SingleSelection);
    m_category->setDragDropMode(QAbstractItemView::NoDragDrop);
    label->setBuddy(m_category);
    m_moveUp = new QPushButton(frame1);
    m_moveUp->setObjectName(QStringLiteral("BMoveUp"));
    m_moveUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_moveUp->setAutoDefault(false);
    m_moveDown = new QPushButton(frame1);
    m_moveDown->setObjectName(QStringLiteral("BMoveDown"));
    m_moveDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_moveDown->setAutoDefault(false);
    m_moveOrRename = new QLabel(QStringLiteral("1"), frame1);
    m_moveOrRename->setObjectName(QStringLiteral("TMoveOrRename"));
    m_moveOrRename->setToolTip(QStringLiteral("Kategorie (2) oder Dokument (1) verschieben"));
    m_moveOrRename->hide();
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_category, 1, 0, 3, 1);
    grid->addWidget(m_moveUp, 1, 1);
    grid->addWidget(m_moveDown, 2, 1);
    grid->addWidget(m_moveOrRename, 3, 1);
    grid->setRowStretch(3, 1);

    BuildOkCancelRow(this, m_hinzufuegen, m_abbrechen);

    connect(m_hinzufuegen, &QPushButton::clicked, this, [this] { OkCommand(); });
    connect(m_abbrechen, &QPushButton::clicked, this, [this] { reject(); });

    resize(TwipsToPixelsX(5400), TwipsToPixelsY(4600));
}

void MoveTo::setMoveOrRename(const QString &mark) { m_moveOrRename->setText(mark); }

QString MoveTo::moveOrRename() const { return m_moveOrRename->text(); }

void MoveTo::ReadTypDocuments()
{
    setWindowTitle(kDocumentsCaption);
    m_infotipp->setText(QStringLiteral("Zum Verschieben eines Pdf-Dokument, wählen Sie bitte eine neue "
                                       "Kategorie aus und klicken ")
                        + QLatin1Char('"') + QStringLiteral("Ok ") + QLatin1Char('"')
                        + QStringLiteral(" um das Dokument in die neue Kategorie zu verschieben."));
    m_moveUp->hide();
    m_moveDown->hide();

    m_category->clear();
    m_category->addItems(m_main.library().Categories());
    m_category->setCurrentRow(m_main.categoryIndex());
    m_category->setFocus();
    Yield();
}

void MoveTo::done(int result)
{
    QDialog::done(result);
    // Designer state for the next opening.
    m_hinzufuegen->setEnabled(true);
    m_moveOrRename->setText(QStringLiteral("1"));
    setWindowTitle(kCaption);
}

void MoveTo::OkCommand()
{
    if (m_moveOrRename->text() != QLatin1String("1"))
        return;
    m_hinzufuegen->setEnabled(false);
    Yield();

    const int row = m_category->currentRow();
    if (row == m_main.categoryIndex()) {
        const int answer = m_services.msg->MsgBox(
            this,
            QStringLiteral("In dieser Kategorie ist das Dokument bereits enthalten. ") + QLatin1Char('\n')
                + QStringLiteral("Geben Sie eine andere vorhandene Kategorie an, in welche ") + QLatin1Char('\n')
                + QStringLiteral("das Dokument verschoben werden soll. "),
            Buttons::RetryCancel | Icon::Information, windowTitle() + QLatin1Char(' '));
        if (answer == vbRetry) {
            m_hinzufuegen->setEnabled(true);
            m_category->setFocus();
        } else {
            reject();
        }
        return;
    }

    const QString targetName = row >= 0 ? m_category->item(row)->text() : QString();
    const MoveResult moved =
        m_main.library().MoveDocument(m_main.fileListFolder(), m_main.selectedDocument(), targetName);
    const bool failed = !moved.moved;
    Yield();

    hide();
    Yield();

    QWidget *owner = m_main.linkWidget();
    const QString title = windowTitle() + QLatin1Char(' ');
    if (failed) {
        m_services.msg->MsgBox(owner,
                               QStringLiteral("Es sind Fehler beim Verschieben in die neue Kategorie aufgetreten. "),
                               Buttons::OK | Icon::Critical, title);
    } else {
        m_services.msg->MsgBox(owner,
                               QStringLiteral("Das Dokument wurde in die neue Kategorie verschoben:\n\r''")
                                   + targetName + QStringLiteral("''. "),
                               Buttons::OK | Icon::Information, title);
    }

    Yield();
    if (row >= 0)
        m_main.selectCategoryIndex(row);
    m_main.LoadCategory();
    Yield();
    accept();
}

} // namespace vv
