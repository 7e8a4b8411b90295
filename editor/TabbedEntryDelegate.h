#pragma once
// Shows a list entry "label<TAB>...<TAB>path" as two columns, the path
// greyed; the entry's text stays as it is, TABs and all.

#include <QStyledItemDelegate>

namespace vv {

class TabbedEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace vv
