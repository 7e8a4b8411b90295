#pragma once
// Tab 1: the categories of the user file in the shared list.

#include "EditorPage.h"

namespace vv {

class CategoriesPage : public EditorPage {
public:
    using EditorPage::EditorPage;
    QString helpText() const override;
    int enabledButtons() const override { return Add | Remove; }
    QWidget *frame() const override;
    void Load() override;
    void add() override;
    void remove() override;
    void save() override;
};

} // namespace vv
