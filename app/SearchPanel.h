#pragma once
// The main window's search: the field tSuche and, while it holds text and
// has the focus, the hit list LSuchergebnis laid over the window below it.
// Choosing a hit hands its category and document to the window, which
// selects them as the user would.

#include "Search.h"

#include <QObject>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace vv {

class SearchPanel : public QObject {
    Q_OBJECT
public:
    // More hits than this are counted, not listed.
    static constexpr int kListedHits = 200;

    // field and list become children of window; Ctrl+F there focuses the field.
    SearchPanel(const LibraryPaths &paths, QWidget *window);

    QLineEdit *field() const { return m_field; }

signals:
    void chosen(int categoryIndex, const QString &document);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void search();
    void choose(QTreeWidgetItem *item);
    void place();
    void showList(bool on);
    QTreeWidget *list();
    bool listShown() const;

    QWidget *m_window;
    SearchIndex m_index;
    QLineEdit *m_field;
    QTreeWidget *m_list = nullptr;
};

} // namespace vv
