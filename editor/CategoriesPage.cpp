#include "CategoriesPage.h"

#include "Clock.h"
#include "DragList.h"
#include "Editor.h"

#include <QListWidget>

namespace vv {

QString CategoriesPage::helpText() const
{
    return QStringLiteral("Kategorien können erstellt oder gelöscht werden. Beachten Sie jedoch, dass alle "
                          "Änderungen an den Verzeichnissen auch Auswirkungen auf die Dokumente und Favoriten "
                          "haben. Kategorien können nur gelöscht werden, wenn der Ordner keine weiteren "
                          "Dokumente enthält.");
}

QWidget *CategoriesPage::frame() const { return m_editor.listFrame(); }

void CategoriesPage::Load()
{
    QListWidget *list = m_editor.fileList();
    list->clear();
    list->addItems(m_editor.library().Categories());
    if (list->count() > 0)
        list->setCurrentRow(0);
    Yield();
}

void CategoriesPage::add()
{
    // Creating a category is not offered here; the box only names the tab.
    m_editor.services().msg->MsgBox(&m_editor, QStringLiteral("Kategorie: ") + QString::number(m_editor.tabNumber()),
                                    Buttons::OK | Icon::Information, m_editor.messageTitle());
}

void CategoriesPage::remove()
{
    QListWidget *list = m_editor.fileList();
    const int row = m_editor.selectedEntry();
    if (row < 0)
        return;
    const QString name = list->item(row)->text();
    MessageBoxSeam &msg = *m_editor.services().msg;
    if (msg.MsgBox(&m_editor,
                   QStringLiteral("Kategorien enthalten Dokumente (siehe Menüpunkt) und können nur gelöscht werden, "
                                  "wenn der Ordner keine Einträge mehr enthält. \n \nMöchten Sie ''")
                       + name + QStringLiteral("'' jetzt löschen ?"),
                   Buttons::YesNo | Icon::Exclamation, m_editor.messageTitle())
        != vbYes)
        return;
    if (m_editor.library().CountDocuments(name) > 0) {
        msg.MsgBox(&m_editor,
                   QStringLiteral("Die Kategorie kann nur gelöscht werden, wenn der Ordner keine Einträge mehr "
                                  "enthält. \n \nDer Vorgang wurde daher abgebrochen."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    }
    Yield();
    m_editor.WaitSeconds(1);
    m_editor.library().DeleteCategory(name);
    m_editor.removeEntry(row);
    m_editor.setDeletedMarker(1);
    Yield();
    m_editor.WaitSeconds(1);
    m_editor.SelectTab(1);
}

void CategoriesPage::save()
{
    QStringList names;
    for (int i = 0; i < m_editor.fileList()->count(); ++i)
        names << m_editor.fileList()->item(i)->text();
    m_editor.library().SaveCategoryOrder(names, true);
    Yield();
}

} // namespace vv
