#include "CategoriesPage.h"

#include "Clock.h"
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

} // namespace vv
