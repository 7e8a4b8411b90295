#include "CategoriesPage.h"

#include "Clock.h"
#include "DragList.h"
#include "Editor.h"
#include "EditorLink.h"

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

namespace {

QString Quoted(const QString &name) { return QStringLiteral("''") + name + QStringLiteral("''"); }

QString RefusalText(CategoryNameProblem problem, const QString &name)
{
    switch (problem) {
    case CategoryNameProblem::None:
        break;
    case CategoryNameProblem::Empty:
        return QStringLiteral("Bitte geben Sie einen Namen für die neue Kategorie ein.");
    case CategoryNameProblem::TooLong:
        return QStringLiteral("Der Name einer Kategorie darf höchstens %1 Zeichen lang sein.").arg(kMaxCategoryName);
    case CategoryNameProblem::ControlCharacter:
        return QStringLiteral("Der Name einer Kategorie darf keine Tabulatoren, Zeilenumbrüche oder anderen "
                              "Steuerzeichen enthalten.");
    case CategoryNameProblem::ForbiddenCharacter:
        return QStringLiteral("Der Name einer Kategorie darf keines der Zeichen / \\ : * ? \" < > | enthalten.");
    case CategoryNameProblem::BlankOrDotAtEnd:
        return QStringLiteral("Der Name einer Kategorie darf nicht mit einem Leerzeichen oder einem Punkt beginnen "
                              "oder enden.");
    case CategoryNameProblem::ReservedName:
        return QStringLiteral("Der Name ") + Quoted(name)
            + QStringLiteral(" ist unter Windows einem Gerät vorbehalten und kann kein Ordner sein.");
    case CategoryNameProblem::QuotedName:
        return QStringLiteral("Der Name einer Kategorie darf nicht in Hochkommas stehen.");
    case CategoryNameProblem::NotStorable:
        return QStringLiteral("Der Name enthält Zeichen, die die Datenbank der Bibliothek nicht speichern kann.");
    case CategoryNameProblem::Exists:
        return QStringLiteral("Eine Kategorie oder ein Ordner ") + Quoted(name)
            + QStringLiteral(" ist bereits vorhanden (Groß- und Kleinschreibung zählt nicht).");
    case CategoryNameProblem::TooMany:
        return QStringLiteral("Es können höchstens neun Kategorien angelegt werden; das Hauptfenster zeigt nicht "
                              "mehr an.");
    case CategoryNameProblem::NoFreeKey:
        return QStringLiteral("Nach dem Löschen von Kategorien enthält die Datenbank Lücken. Bitte führen Sie "
                              "zuerst die Aktualisierung im Menüpunkt ''Optionen'' durch.");
    }
    return QString();
}

} // namespace

void CategoriesPage::add()
{
    MessageBoxSeam &msg = *m_editor.services().msg;
    const Library &library = m_editor.library();
    // No name is asked for when none could be added.
    if (const CategoryNameProblem room = library.CategoryRoom(); room != CategoryNameProblem::None) {
        msg.MsgBox(&m_editor, RefusalText(room, QString()), Buttons::OK | Icon::Exclamation, m_editor.messageTitle());
        return;
    }
    // A refused name is offered again for correction, until it is good or
    // the user cancels.
    QString name;
    CreateCategoryResult result;
    for (;;) {
        name = msg.InputBox(&m_editor, QStringLiteral("Name der neuen Kategorie:"), m_editor.messageTitle(), name);
        if (name.isNull())
            return;
        result = library.CreateCategory(name);
        if (result.status != CreateCategoryResult::Refused)
            break;
        msg.MsgBox(&m_editor, RefusalText(result.problem, name), Buttons::OK | Icon::Exclamation,
                   m_editor.messageTitle());
        if (result.problem == CategoryNameProblem::TooMany || result.problem == CategoryNameProblem::NoFreeKey)
            return;
    }
    if (result.status != CreateCategoryResult::Created) {
        msg.MsgBox(&m_editor,
                   result.status == CreateCategoryResult::FolderFailed
                       ? QStringLiteral("Der Ordner für die Kategorie ") + Quoted(name)
                           + QStringLiteral(" konnte nicht angelegt werden.")
                       : QStringLiteral("Die Kategorie ") + Quoted(name)
                           + QStringLiteral(" konnte nicht in der Datenbank gespeichert werden."),
                   Buttons::OK | Icon::Critical, m_editor.messageTitle());
        return;
    }
    m_editor.link().categoriesChanged();
    m_editor.SelectTab(1);
    const auto found = m_editor.fileList()->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        m_editor.fileList()->setCurrentItem(found.first());
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
