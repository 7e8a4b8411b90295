#include "DocumentsPage.h"

#include "Clock.h"
#include "Editor.h"
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
    list->setVisible(true);
    list->addItems(m_editor.library().Documents(where.folder));
    if (list->count() > 0)
        list->setCurrentRow(0);
    if (list->isEnabled() && m_editor.isVisible())
        list->setFocus();
    Yield();
}

} // namespace vv
