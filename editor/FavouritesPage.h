#pragma once
// Tab 3: the favourites of VORLAGEN.DAT in the shared list, one entry each
// (label, eight TABs, path).

#include "EditorPage.h"

namespace vv {

class FavouritesPage : public EditorPage {
public:
    using EditorPage::EditorPage;
    QString helpText() const override;
    int enabledButtons() const override { return Add | Remove | Up | Down; }
    QWidget *frame() const override;
    void Load() override { LoadFavoriten(); }

    void LoadFavoriten();
};

} // namespace vv
