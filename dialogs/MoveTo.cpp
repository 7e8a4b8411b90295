#include "MoveTo.h"

#include "BusyPointer.h"
#include "Clock.h"
#include "Twips.h"
#include "DialogLayout.h"
#include "FileServices.h"
#include "MainWindowLink.h"
#include "RecycleKillFiles.h"
#include "UserFile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace vv {
namespace {

bool SameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// A copy counts only when it is there in full; a target that merely exists
// (an older file the copy could not replace) does not.
bool Arrived(const QString &source, const QString &target)
{
    const QFileInfo t(target);
    return t.isFile() && t.size() == QFileInfo(source).size() && !SameFile(source, target);
}

// Into the trash: restorable, simple progress, no question, no error box.
bool ToTrash(const QString &file, QWidget *owner)
{
    return RecycleFiles(QStringList{file}, true, true, false, true, false, owner);
}

} // namespace

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
    m_category->addItems(UserFile(m_main.installDir() + QStringLiteral("/Vorlagen")).ReadCategories());
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
            69, windowTitle() + QLatin1Char(' '));
        if (answer == vbRetry) {
            m_hinzufuegen->setEnabled(true);
            m_category->setFocus();
        } else {
            reject();
        }
        return;
    }

    const UserFile user(m_main.installDir() + QStringLiteral("/Vorlagen"));
    const QString targetName = row >= 0 ? m_category->item(row)->text() : QString();
    const QString targetFolder = user.CategoryFolder(targetName);
    const QString name = m_main.selectedDocument();
    const QString sourceFolder = m_main.fileListFolder() + QLatin1Char('/');
    const QString source = sourceFolder + name;
    const QString preview = UserFile::PreviewFileName(name, QStringLiteral("gif"));
    const QString sourcePreview = sourceFolder + preview;
    const QString target = targetFolder + name;
    const QString targetPreview = targetFolder + preview;

    // Without a target folder or a document name nothing may be copied, and
    // a copy onto itself would let the source be deleted as "arrived".
    const bool usable = !targetFolder.isEmpty() && !name.isEmpty();
    bool failed = true;
    if (usable && FileExists(source) && !SameFile(source, target)) {
        CopyFileOverwrite(source, target);
        failed = false;
    }
    const bool hasPreview = usable && !preview.isEmpty() && FileExists(sourcePreview)
        && !SameFile(sourcePreview, targetPreview);
    if (hasPreview)
        CopyFileOverwrite(sourcePreview, targetPreview);

    user.Backup();
    Yield();

    if (!failed) {
        if (Arrived(source, target) && ToTrash(source, this)) {
            if (hasPreview && Arrived(sourcePreview, targetPreview) && !ToTrash(sourcePreview, this))
                failed = true;
        } else {
            failed = true;
        }
        Yield();
    }

    hide();
    Yield();

    QWidget *owner = m_main.linkWidget();
    const QString title = windowTitle() + QLatin1Char(' ');
    if (failed) {
        m_services.msg->MsgBox(owner,
                               QStringLiteral("Es sind Fehler beim Verschieben in die neue Kategorie aufgetreten. "),
                               16, title);
    } else {
        m_services.msg->MsgBox(owner,
                               QStringLiteral("Das Dokument wurde in die neue Kategorie verschoben:\n\r''")
                                   + targetName + QStringLiteral("''. "),
                               64, title);
    }

    Yield();
    if (row >= 0)
        m_main.selectCategoryIndex(row);
    m_main.LoadCategory();
    Yield();
    accept();
}

} // namespace vv
