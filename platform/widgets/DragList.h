#pragma once
// Reordering the entries of a list: one place up or down, in front of another
// entry, or by dragging with the mouse. An entry is its text and its item
// value (Qt::UserRole); both always move together.

#include <QListWidget>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace vv {

// The value stored with entry index; 0 for a missing entry or value, as a
// fresh list box entry had.
qint32 ItemData(const QListWidget *list, int index);
void SetItemData(QListWidget *list, int index, qint32 value);

// The selected entry's index, -1 when none is selected (a current entry that
// is not selected does not count).
int SelectedIndex(const QListWidget *list);

// The moves report the list's edges (and a missing selection) only by a beep.
// Tests put a counter here; an empty function restores the system beep.
// Returns the previous one.
std::function<void()> SetBeep(std::function<void()> beep);

// The selected entry changes place with its neighbour and stays selected.
// Only text and value change places; other roles stay with the row.
void MoveItemUp(QListWidget *list);
void MoveItemDown(QListWidget *list);

// The selected entry goes directly in front of the entry now at target
// (target == count puts it last), with all it carries, and stays selected. A negative target or
// selection, or a target past the count, changes nothing.
void MoveItemTo(QListWidget *list, int target);

// Mouse reordering of one list, owned by its window. Pressing the left button
// on an entry and dragging shows an insertion mark above the entry under the
// cursor and a move cursor; releasing over another entry moves the dragged
// entry in front of it. Releasing outside the entries or on the start entry,
// and Esc, change nothing. The list's cursor is the default outside a drag.
// Driven by the viewport's own mouse events, so QTest can drag offscreen.
class DragList : public QObject {
    Q_OBJECT
public:
    DragList(QWidget *owner, QListWidget *list);
    ~DragList() override;

    // Null once the list has gone.
    QListWidget *list() const { return m_list; }
    bool isDragging() const { return m_dragging; }
    // Index under the cursor when the last drag began.
    int startIndex() const { return m_start; }
    // The line painted above the entry the drop would go in front of.
    QWidget *insertMark() const { return m_mark; }

signals:
    // After a drop that moved an entry from startIndex to in front of target.
    void moved(int startIndex, int target);
    // After every drag, dropped or cancelled.
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int entryAt(const QPoint &viewportPos) const;
    void showMark(int index);
    void endDrag();
    void autoScroll();
    void forgetList();

    // Plain pointers, compared by address only: while the list is destroyed
    // its viewport still sends events, and by then the list is no longer a
    // QListWidget (not even for a QPointer's cast). Both are cleared when the
    // viewport goes, which is before the list itself goes.
    QListWidget *m_list = nullptr;
    QWidget *m_viewport = nullptr;
    QPointer<QWidget> m_mark;
    QTimer m_scrollTimer;
    QPoint m_pressPos;
    QPoint m_lastPos;
    int m_start = -1;
    bool m_pressed = false;
    bool m_dragging = false;
};

// Called by the owning window when it is made; a second call for the same list
// returns the existing handler.
DragList *EnableDragList(QWidget *owner, QListWidget *list);
// Called when the owning window goes away; ends dragging on all its lists.
void DisableDragList(QWidget *owner);

} // namespace vv
