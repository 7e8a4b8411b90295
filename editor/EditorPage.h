#pragma once
// One tab of the library editor. The frame owns the tab column and the row
// of shared buttons; a page says which of them it enables and what they do
// on it, so no handler switches on the tab number.

#include <QString>

class QWidget;

namespace vv {

class Editor;

class EditorPage {
public:
    // The shared buttons a page can enable.
    enum Button { Add = 1, Remove = 2, Favourite = 4, Up = 8, Down = 16 };

    explicit EditorPage(Editor &editor) : m_editor(editor) {}
    virtual ~EditorPage() = default;

    // Shown in the help panel when the tab is selected; a null text leaves
    // the panel's text as it is.
    virtual QString helpText() const = 0;
    // The category list instead of the help panel under the tab.
    virtual bool showsCategories() const { return false; }
    virtual int enabledButtons() const = 0;
    // The frame shown right of the tab column.
    virtual QWidget *frame() const = 0;
    // What the page loads each time its tab is selected.
    virtual void Load() {}

    // The shared buttons on this page.
    virtual void add() {}
    virtual void remove() {}
    virtual void favourite() {}
    virtual void up() {}
    virtual void down() {}
    virtual void save() {}

protected:
    Editor &m_editor;
};

} // namespace vv
