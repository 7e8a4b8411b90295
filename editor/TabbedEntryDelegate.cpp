#include "TabbedEntryDelegate.h"

#include <QApplication>
#include <QPainter>

namespace vv {
namespace {

bool Split(const QString &text, QString *label, QString *rest)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return false;
    *label = text.left(tab);
    *rest = text.mid(tab).trimmed();
    return true;
}

} // namespace

void TabbedEntryDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QString label, rest;
    if (!Split(opt.text, &label, &rest)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int split = text.left() + text.width() * 2 / 5;
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect left(text.left(), text.top(), split - text.left() - 8, text.height());
    painter->drawText(left, Qt::AlignLeft | Qt::AlignVCenter,
                      opt.fontMetrics.elidedText(label, Qt::ElideRight, left.width()));
    if (!selected)
        painter->setPen(opt.palette.color(QPalette::PlaceholderText));
    const QRect right(split, text.top(), text.right() - split, text.height());
    painter->drawText(right, Qt::AlignLeft | Qt::AlignVCenter,
                      opt.fontMetrics.elidedText(rest, Qt::ElideMiddle, right.width()));
    painter->restore();
}

QSize TabbedEntryDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QString label, rest;
    if (Split(opt.text, &label, &rest)) {
        // Wide enough to read, never as wide as the TABs would make it.
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(opt.fontMetrics.horizontalAdvance(label + QStringLiteral("    ") + rest));
        return size;
    }
    return QStyledItemDelegate::sizeHint(option, index);
}

} // namespace vv
