#pragma once
// Tab 3: the favourites of VORLAGEN.DAT in the shared list, one entry each
// (label, eight TABs, path): relabelled with the right mouse button,
// reordered, removed and saved.

#include "EditorPage.h"

#include <QObject>

namespace vv {

class FavouritesPage : public QObject, public EditorPage {
    Q_OBJECT
public:
    explicit FavouritesPage(Editor &editor);
    QString helpText() const override;
    int enabledButtons() const override { return Add | Remove | Up | Down; }
    QWidget *frame() const override;
    void Load() override { LoadFavoriten(); }

    void LoadFavoriten();
    // The list, in its order, becomes the file; marks the restart.
    void SaveFavoriten();
    void Relabel();

    // Shows the chosen favourite's path.
    void add() override;
    void remove() override;
    void up() override { move(true); }
    void down() override { move(false); }
    void save() override { SaveFavoriten(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void move(bool up);
};

} // namespace vv
