#include "DragList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>

namespace vv {

namespace {

std::function<void()> &beepFunction()
{
    static std::function<void()> beep;
    return beep;
}

void Beep()
{
    if (beepFunction())
        beepFunction()();
    else
        QApplication::beep();
}

// Up and down exchange the contents of two entries; the entries themselves
// stay where they are.
void SwapEntries(QListWidget *list, int a, int b)
{
    QListWidgetItem *first = list->item(a);
    QListWidgetItem *second = list->item(b);
    const QString text = first->text();
    const QVariant value = first->data(Qt::UserRole);
    first->setText(second->text());
    first->setData(Qt::UserRole, second->data(Qt::UserRole));
    second->setText(text);
    second->setData(Qt::UserRole, value);
}

} // namespace

qint32 ItemData(const QListWidget *list, int index)
{
    const QListWidgetItem *item = list->item(index);
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void SetItemData(QListWidget *list, int index, qint32 value)
{
    if (QListWidgetItem *item = list->item(index))
        item->setData(Qt::UserRole, value);
}

int SelectedIndex(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

std::function<void()> SetBeep(std::function<void()> beep)
{
    std::swap(beepFunction(), beep);
    return beep;
}

void MoveItemUp(QListWidget *list)
{
    const int i = SelectedIndex(list);
    if (i < 1) {
        Beep();
        return;
    }
    SwapEntries(list, i - 1, i);
    list->setCurrentRow(i - 1);
}

void MoveItemDown(QListWidget *list)
{
    const int i = SelectedIndex(list);
    if (i < 0 || i >= list->count() - 1) {
        Beep();
        return;
    }
    SwapEntries(list, i, i + 1);
    list->setCurrentRow(i + 1);
}

void MoveItemTo(QListWidget *list, int target)
{
    const int old = SelectedIndex(list);
    // In front of itself, the entry already stands there; inserting and
    // removing would only lose the selection.
    if (target < 0 || old < 0 || target > list->count() || target == old)
        return;
    // The copy is selected before the original goes, so whoever follows the
    // selection sees the moved entry, never a neighbour.
    list->insertItem(target, list->item(old)->clone());
    list->setCurrentRow(target);
    delete list->item(target < old ? old + 1 : old);
}

DragList::DragList(QWidget *owner, QListWidget *list)
    : QObject(owner), m_list(list), m_viewport(list->viewport())
{
    QWidget *viewport = list->viewport();
    auto *mark = new QWidget(viewport);
    mark->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark->setAutoFillBackground(true);
    QPalette palette = mark->palette();
    // Text colour rather than highlight, so the line still shows on a selected entry.
    palette.setColor(QPalette::Window, list->palette().color(QPalette::Text));
    mark->setPalette(palette);
    mark->hide();
    m_mark = mark;

    m_scrollTimer.setInterval(100);
    connect(&m_scrollTimer, &QTimer::timeout, this, &DragList::autoScroll);

    list->unsetCursor();
    viewport->unsetCursor();
    list->installEventFilter(this);
    viewport->installEventFilter(this);
    connect(viewport, &QObject::destroyed, this, &DragList::forgetList);
    connect(list, &QObject::destroyed, this, &DragList::forgetList);
}

DragList::~DragList()
{
    if (!m_list)
        return;
    m_list->removeEventFilter(this);
    m_viewport->removeEventFilter(this);
    m_viewport->unsetCursor();
    delete m_mark;
}

void DragList::forgetList()
{
    m_scrollTimer.stop();
    m_pressed = false;
    m_dragging = false;
    m_list = nullptr;
    m_viewport = nullptr;
}

int DragList::entryAt(const QPoint &viewportPos) const
{
    if (!m_viewport->rect().contains(viewportPos))
        return -1;
    QListWidgetItem *item = m_list->itemAt(viewportPos);
    return item ? m_list->row(item) : -1;
}

void DragList::showMark(int index)
{
    QListWidgetItem *item = m_list->item(index);
    if (!item) {
        m_mark->hide();
        return;
    }
    const QRect entry = m_list->visualItemRect(item);
    m_mark->setGeometry(0, qMax(0, entry.top() - 1), m_viewport->width(), 2);
    m_mark->show();
    m_mark->raise();
}

void DragList::endDrag()
{
    m_pressed = false;
    m_dragging = false;
    m_scrollTimer.stop();
    m_mark->hide();
    m_viewport->unsetCursor();
}

void DragList::autoScroll()
{
    if (!m_list)
        return;
    QScrollBar *bar = m_list->verticalScrollBar();
    if (m_lastPos.y() < 0)
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (m_lastPos.y() >= m_viewport->height())
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        m_scrollTimer.stop();
}

bool DragList::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_list || (watched != m_list && watched != m_viewport))
        return false;
    if (watched == m_list) {
        const bool escape = (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
        if (!m_dragging || !escape)
            return false;
        // Accepting the override keeps Esc from a window's shortcut or a
        // dialog's reject; the key press that follows cancels the drag.
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            endDrag();
            emit finished();
        }
        return true;
    }

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_dragging) { // a second button cancels
            endDrag();
            emit finished();
            return true;
        }
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_pressPos = mouse->position().toPoint();
        m_start = entryAt(m_pressPos);
        m_pressed = m_start >= 0;
        return false; // the list itself selects the pressed entry
    }
    case QEvent::MouseMove: {
        if (!m_pressed)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!(mouse->buttons() & Qt::LeftButton)) { // the release went elsewhere
            const bool wasDragging = m_dragging;
            endDrag();
            if (wasDragging)
                emit finished();
            return false;
        }
        m_lastPos = mouse->position().toPoint();
        if (!m_dragging) {
            if ((m_lastPos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
                return true;
            m_dragging = true;
            m_viewport->setCursor(Qt::DragMoveCursor);
        }
        showMark(entryAt(m_lastPos));
        const bool outside = m_lastPos.y() < 0 || m_lastPos.y() >= m_viewport->height();
        if (outside && !m_scrollTimer.isActive())
            m_scrollTimer.start();
        // Swallowed, or the list would move its selection along with the cursor.
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return m_dragging;
        if (!m_dragging) {
            m_pressed = false;
            return false; // an ordinary click
        }
        const int target = entryAt(mouse->position().toPoint());
        endDrag();
        if (target >= 0 && target != m_start) {
            const int selected = SelectedIndex(m_list);
            MoveItemTo(m_list, target);
            if (selected >= 0 && selected != target)
                emit moved(m_start, target);
        }
        emit finished();
        return true;
    }
    case QEvent::MouseButtonDblClick:
        return m_dragging;
    default:
        return false;
    }
}

DragList *EnableDragList(QWidget *owner, QListWidget *list)
{
    for (DragList *drag : owner->findChildren<DragList *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (drag->list() == list)
            return drag;
    }
    return new DragList(owner, list);
}

void DisableDragList(QWidget *owner)
{
    qDeleteAll(owner->findChildren<DragList *>(QString(), Qt::FindDirectChildrenOnly));
}

} // namespace vv
