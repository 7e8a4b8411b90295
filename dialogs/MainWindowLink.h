#pragma once
// What the document dialogs need of the main window. The main window
// implements it; tests pass a small fake, so the dialogs never see app/.

#include <QString>

class QWidget;

namespace vv {

class Library;

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    // Owner for message boxes once a dialog has hidden itself.
    virtual QWidget *linkWidget() = 0;
    // The library the main window shows.
    virtual const Library &library() const = 0;
    // Index (from 0, -1 for none) and text of the category list.
    virtual int categoryIndex() const = 0;
    virtual QString categoryText() const = 0;
    virtual void selectCategoryIndex(int index) = 0;
    // Folder shown by the document list (no trailing separator) and the
    // selected document's bare file name ("" when none).
    virtual QString fileListFolder() const = 0;
    virtual QString selectedDocument() const = 0;
    // Shows the selected category again after files changed.
    virtual void LoadCategory() = 0;
};

} // namespace vv
