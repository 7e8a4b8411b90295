#include "DocumentsPage.h"

#include "Clock.h"
#include "DragList.h"
#include "Editor.h"
#include "EditorLink.h"
#include "Favourites.h"
#include "Library.h"

#include <QListWidget>

namespace vv {

DocumentsPage::DocumentsPage(Editor &editor) : EditorPage(editor)
{
    connect(m_editor.subjectList(), &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling && row >= 0 && m_editor.fileList()->isVisible()) {
            LoadCategoryDocuments();
            Yield();
        }
    });
}

QWidget *DocumentsPage::frame() const { return m_editor.listFrame(); }

void DocumentsPage::Load()
{
    LoadCategoryList();
    LoadCategoryDocuments();
}

void DocumentsPage::LoadCategoryList()
{
    QListWidget *subject = m_editor.subjectList();
    m_filling = true;
    subject->clear();
    subject->addItems(m_editor.library().Categories());
    if (subject->count() > 0)
        subject->setCurrentRow(0);
    m_filling = false;
    if (subject->isEnabled() && m_editor.isVisible())
        subject->setFocus();
    Yield();
}

void DocumentsPage::LoadCategoryDocuments()
{
    const QListWidgetItem *item = m_editor.subjectList()->currentItem();
    QListWidget *list = m_editor.fileList();
    list->clear();
    m_folder.clear();
    if (!item)
        return; // no category, nothing to list
    const CategoryLocation where = m_editor.library().LocateCategory(item->text());
    if (!where.exists) {
        const int answer = m_editor.services().msg->MsgBox(&m_editor, Editor::MissingFolderText(),
                                                           Buttons::OKCancel | Icon::Critical,
                                                           m_editor.messageTitle());
        if (answer == vbOK)
            m_editor.ErrorDatabase();
        return;
    }
    m_folder = where.folder;
    list->setVisible(true);
    list->addItems(m_editor.library().Documents(where.folder));
    if (list->count() > 0)
        list->setCurrentRow(0);
    if (list->isEnabled() && m_editor.isVisible())
        list->setFocus();
    Yield();
}

void DocumentsPage::add()
{
    EditorLink &main = m_editor.link();
    main.selectCategoryIndex(m_editor.subjectList()->currentRow());
    Yield();
    main.selectDocumentIndex(m_editor.fileList()->currentRow());
    Yield();
    m_editor.hide();
    main.NewDokument();
    m_editor.close();
    Yield();
}

void DocumentsPage::remove()
{
    QListWidget *list = m_editor.fileList();
    const int row = m_editor.selectedEntry();
    if (row < 0)
        return;
    const QString name = list->item(row)->text();
    if (m_editor.services().msg->MsgBox(
            &m_editor,
            QStringLiteral("Dokumente werden in den Papierkorb verschoben. Standard-Dokumente können unter den "
                           "Optionen wiederhergestellt werden.\n \nDie ''")
                + name + QStringLiteral("'' jetzt löschen ? "),
            Buttons::YesNo | Icon::Exclamation, m_editor.messageTitle())
        != vbYes)
        return;
    // A file that is gone or cannot move stays unreported; the entry goes.
    m_editor.library().DeleteDocument(m_folder, name);
    m_editor.removeEntry(row);
    m_editor.setDeletedMarker(1);
    Yield();
    m_editor.WaitSeconds(1);
    Yield();
}

void DocumentsPage::favourite()
{
    QListWidget *list = m_editor.fileList();
    const QListWidgetItem *category = m_editor.subjectList()->currentItem();
    const int row = SelectedIndex(list);
    if (!m_editor.subjectList()->isVisible() || list->count() == 0 || row < 0 || !category)
        return;
    if (Favourites(m_editor.library().paths()).Add(category->text(), list->item(row)->text()) < 0) {
        m_editor.services().msg->MsgBox(&m_editor,
                                        QStringLiteral("Es können maximal 10 Favoriten gespeichert werden. \n"
                                                       "Löschen Sie bitte einen Eintrag aus den Favoriten."),
                                        Buttons::OK | Icon::Critical, m_editor.messageTitle());
        Yield();
        return;
    }
    m_editor.SelectTab(3);
    Yield();
}

void DocumentsPage::save()
{
    // Off the categories tab the save only refreshes the backups.
    m_editor.library().SaveCategoryOrder(QStringList(), false);
    Yield();
}

} // namespace vv
