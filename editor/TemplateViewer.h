#pragma once
// A power-of-attorney template at full size in a window of its own: fitted
// to the window, or at one picture pixel per screen pixel with scroll bars.
// Esc closes it.

#include <QImage>
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;

namespace vv {

class TemplateViewer : public QWidget {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("Vollmachtsansicht");

    TemplateViewer(const QString &typeName, QWidget *parent);

    // The title names the template's type.
    void setTypeName(const QString &typeName);
    // A null image shows an empty page.
    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    bool fitsWindow() const { return m_fit; }
    void setFitToWindow(bool fit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showImage();

    QImage m_image;
    bool m_fit = true;
    QScrollArea *m_area = nullptr;
    QLabel *m_picture = nullptr;
    QPushButton *m_fitButton = nullptr;
};

} // namespace vv
