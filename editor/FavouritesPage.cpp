#include "FavouritesPage.h"

#include "Clock.h"
#include "DragList.h"
#include "Editor.h"
#include "Favourites.h"

#include <QListWidget>
#include <QMouseEvent>

namespace vv {

FavouritesPage::FavouritesPage(Editor &editor) : EditorPage(editor)
{
    m_editor.fileList()->viewport()->installEventFilter(this);
}

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

void FavouritesPage::SaveFavoriten()
{
    QListWidget *list = m_editor.fileList();
    QList<vv::Favourite> entries;
    for (int i = 0; i < list->count(); ++i)
        entries << Favourites::SplitListEntry(list->item(i)->text());
    // One replace of the file: the host reads the old list or the new one.
    const Favourites::SaveResult saved = Favourites(m_editor.library().paths()).Save(entries);
    m_editor.setChangesMarker(1);
    if (saved.stored > 0)
        list->setCurrentRow(saved.stored - 1);
    Yield();
}

void FavouritesPage::Relabel()
{
    QListWidget *list = m_editor.fileList();
    const int row = SelectedIndex(list);
    if (row < 0)
        return;
    const QString label = Favourites::SplitListEntry(list->item(row)->text()).label;
    const Favourites favourites(m_editor.library().paths());
    if (favourites.SlotOfLabel(label) < 0)
        return;
    const QString answer = m_editor.services().msg->InputBox(
        &m_editor, QStringLiteral("Bitte geben Sie dem Eintrag eine Bezeichnung:"), QStringLiteral(" Beschreibung"),
        label);
    // A TAB would split the entry in the host's reading; it becomes a blank.
    if (favourites.Rename(label, answer) < 0)
        return;
    Yield();
    LoadFavoriten();
    Yield();
    list->setCurrentRow(row);
    Yield();
}

void FavouritesPage::add()
{
    const int row = SelectedIndex(m_editor.fileList());
    if (row < 0)
        return;
    m_editor.services().msg->MsgBox(&m_editor,
                                    Favourites::SplitListEntry(m_editor.fileList()->item(row)->text()).path,
                                    Buttons::OK | Icon::Information, Editor::kCaption);
}

void FavouritesPage::remove()
{
    QListWidget *list = m_editor.fileList();
    const int row = m_editor.selectedEntry();
    if (row < 0)
        return;
    delete list->takeItem(row);
    Yield();
    SaveFavoriten();
    m_editor.WaitSeconds(1);
    Yield();
}

void FavouritesPage::move(bool up)
{
    QListWidget *list = m_editor.fileList();
    if (list->count() < 2)
        return;
    if (up)
        MoveItemUp(list);
    else
        MoveItemDown(list);
    m_editor.enableSave();
}

bool FavouritesPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton
        && m_editor.tabNumber() == 3) {
        Relabel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vv
