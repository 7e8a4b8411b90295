#include "TemplateViewer.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace vv {

TemplateViewer::TemplateViewer(const QString &typeName, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(kName);
    setTypeName(typeName);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *bar = new QHBoxLayout;
    m_fitButton = new QPushButton(QStringLiteral("An &Fenster anpassen"), this);
    m_fitButton->setObjectName(QStringLiteral("bEinpassen"));
    m_fitButton->setCheckable(true);
    m_fitButton->setChecked(true);
    auto *close = new QPushButton(QStringLiteral("&Schließen"), this);
    close->setObjectName(QStringLiteral("bSchliessen"));
    bar->addWidget(m_fitButton);
    bar->addStretch();
    bar->addWidget(close);
    layout->addLayout(bar);

    m_area = new QScrollArea(this);
    m_area->setObjectName(QStringLiteral("pVollmachtScroll"));
    m_area->setAlignment(Qt::AlignCenter);
    m_area->setBackgroundRole(QPalette::Dark);
    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("pVollmachtGross"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_area->setWidget(m_picture);
    layout->addWidget(m_area, 1);
    // Fitting follows the room the picture really has, which the layout
    // settles only after the window has its size.
    m_area->viewport()->installEventFilter(this);

    connect(m_fitButton, &QPushButton::toggled, this, &TemplateViewer::setFitToWindow);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    // A page's shape, as tall as the screen allows.
    const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const int height = screen.height() * 9 / 10;
    resize(qMin(screen.width() * 9 / 10, height * 3 / 4), height);
}

void TemplateViewer::setTypeName(const QString &typeName)
{
    // A plain hyphen: window managers with old title fonts show no dash.
    setWindowTitle(kName + QStringLiteral(" - ") + typeName);
}

void TemplateViewer::setImage(const QImage &image)
{
    m_image = image;
    showImage();
}

void TemplateViewer::setFitToWindow(bool fit)
{
    m_fit = fit;
    m_fitButton->setChecked(fit);
    showImage();
}

void TemplateViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

bool TemplateViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area->viewport() && event->type() == QEvent::Resize && m_fit)
        showImage();
    return QWidget::eventFilter(watched, event);
}

void TemplateViewer::showImage()
{
    if (m_image.isNull()) {
        m_picture->clear();
        m_picture->resize(m_area->viewport()->size());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap;
    if (m_fit) {
        m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const QSize room = m_area->viewport()->size() * ratio;
        pixmap = QPixmap::fromImage(m_image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        pixmap = QPixmap::fromImage(m_image);
    }
    pixmap.setDevicePixelRatio(ratio);
    m_picture->setPixmap(pixmap);
    const QSize shown = (QSizeF(pixmap.size()) / ratio).toSize();
    m_picture->resize(m_fit ? m_area->viewport()->size().expandedTo(shown) : shown);
}

} // namespace vv
