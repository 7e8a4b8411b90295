#pragma once
// Tab 2: the categories in the column's list, the chosen category's PDF
// documents in the shared list.

#include "EditorPage.h"

#include <QObject>

namespace vv {

class DocumentsPage : public QObject, public EditorPage {
    Q_OBJECT
public:
    explicit DocumentsPage(Editor &editor);
    QString helpText() const override { return QString(); }
    bool showsCategories() const override { return true; }
    int enabledButtons() const override { return Add | Remove | Favourite; }
    QWidget *frame() const override;
    void Load() override;

    void LoadCategoryList();
    // A missing folder offers the download; the list then stays empty.
    void LoadCategoryDocuments();

    // Hands the chosen document's place to the main window's add dialog
    // and closes the editor.
    void add() override;
    void remove() override;
    void favourite() override;
    void save() override;

private:
    bool m_filling = false;
    QString m_folder; // the folder of the documents listed
};

} // namespace vv
