#include "FavouritesPage.h"

#include "Clock.h"
#include "Editor.h"
#include "Favourites.h"

#include <QListWidget>

namespace vv {

QString FavouritesPage::helpText() const
{
    return QStringLiteral("Wählen Sie Dokumente als Favoriten aus, die im Tabulon im Menü zur Schnellauswahl "
                          "eingetragen werden. Fügen Sie neue Favoriten hinzu, indem Sie das Dokument bei der "
                          "Auswahl favoritisieren. Verschieben Sie die Einträge mit den Up- sowie Down-Tasten. ");
}

QWidget *FavouritesPage::frame() const { return m_editor.listFrame(); }

void FavouritesPage::LoadFavoriten()
{
    QListWidget *list = m_editor.fileList();
    list->clear();
    for (const vv::Favourite &f : Favourites(m_editor.library().paths()).Load())
        list->addItem(Favourites::ListEntry(f.label, f.path));
    if (list->count() > 0)
        list->setCurrentRow(0);
    Yield();
}

} // namespace vv
