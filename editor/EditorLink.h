#pragma once
// What the library editor needs of the main window. The main window
// implements it; tests pass a small fake, so the editor never sees app/.

#include <QString>

class QWidget;

namespace vv {

class EditorLink {
public:
    virtual ~EditorLink() = default;
    // The window hidden while the editor is open and shown when it closes.
    virtual QWidget *mainWindow() = 0;
    // The caption of the hidden menu entry mnxKatEditor: the tab the editor
    // opens at ("1" to "5"); the editor sets it back to "1" when it unloads.
    virtual QString editorStartTab() const = 0;
    virtual void setEditorStartTab(const QString &tab) = 0;
    // Puts the end marker into the host field, which ends the program at once.
    virtual void endThroughHostField() = 0;
    // Selects by position in the main window's category and document lists,
    // which shows that category or document there.
    virtual void selectCategoryIndex(int index) = 0;
    virtual void selectDocumentIndex(int index) = 0;
    // The categories of the user file changed: the main window lists them
    // anew, keeping its selected position.
    virtual void categoriesChanged() = 0;
    // The add-document dialog, modal.
    virtual void NewDokument() = 0;
};

} // namespace vv
