#pragma once
// A label for texts the user wrote: it wraps between words and, where a single
// word is wider than the label, inside that word, so no text can make its
// window wider. Frame, margin, alignment and palette work as on any label.

#include <QLabel>

namespace vv {

class WrappingLabel : public QLabel {
    Q_OBJECT
public:
    explicit WrappingLabel(QWidget *parent = nullptr);
    explicit WrappingLabel(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The text's height when laid out into width pixels; with painter, drawn there too.
    int layOut(int width, QPainter *painter = nullptr, const QRect &area = QRect()) const;
    // The room the frame and the margin leave for the text.
    QRect textArea() const;
    int chrome() const; // frame and margin on one side
};

} // namespace vv
