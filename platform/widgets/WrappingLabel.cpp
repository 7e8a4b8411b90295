#include "WrappingLabel.h"

#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QtMath>

namespace vv {
namespace {

// A line this wide holds a sentence comfortably; wider hints would pull the window wider.
constexpr int kHintChars = 60;
// However narrow the label gets, this much text still fits on a line.
constexpr int kMinimumChars = 8;

} // namespace

WrappingLabel::WrappingLabel(QWidget *parent) : WrappingLabel(QString(), parent) {}

WrappingLabel::WrappingLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true); // the size policy then asks for height for width
}

int WrappingLabel::chrome() const { return frameWidth() + qMax(0, margin()); }

QRect WrappingLabel::textArea() const
{
    const int m = qMax(0, margin());
    return contentsRect().adjusted(m, m, -m, -m);
}

int WrappingLabel::layOut(int width, QPainter *painter, const QRect &area) const
{
    QTextOption option(QStyle::visualAlignment(layoutDirection(), alignment() & Qt::AlignHorizontal_Mask));
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QString shown = text();
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font());
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(qMax(1, width));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    if (painter) {
        qreal top = area.top();
        if (alignment() & Qt::AlignVCenter)
            top += (area.height() - height) / 2;
        else if (alignment() & Qt::AlignBottom)
            top += area.height() - height;
        layout.draw(painter, QPointF(area.left(), top));
    }
    return qCeil(height);
}

int WrappingLabel::heightForWidth(int width) const
{
    return layOut(width - 2 * chrome()) + 2 * chrome();
}

QSize WrappingLabel::sizeHint() const
{
    const int natural = fontMetrics().horizontalAdvance(text()) + 1;
    const int width = qMin(natural, fontMetrics().averageCharWidth() * kHintChars) + 2 * chrome();
    return QSize(width, heightForWidth(width)).expandedTo(minimumSize());
}

QSize WrappingLabel::minimumSizeHint() const
{
    const int width = fontMetrics().averageCharWidth() * kMinimumChars + 2 * chrome();
    return QSize(width, qMax(fontMetrics().height() + 2 * chrome(), minimumHeight()));
}

void WrappingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = textArea();
    painter.setClipRect(area);
    painter.setPen(palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, foregroundRole()));
    layOut(area.width(), &painter, area);
}

} // namespace vv
