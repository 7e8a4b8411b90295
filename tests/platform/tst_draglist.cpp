// Reordering a list by buttons and by the mouse: the resulting order, the
// selection, the values that belong to each text, and a drag that leaves no
// move cursor or mark behind.

#include "DragList.h"

#include <QDialog>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace vv;

namespace {

// Lists are written "AB[C]D": one letter per entry, the selected one in
// brackets. Each value is derived from its letter, so a value that did not
// travel with its text shows up as "?".
qint32 valueOf(QChar letter) { return letter.unicode() * 10; }

void setState(QListWidget *list, const QString &state)
{
    list->clear();
    int selected = -1;
    for (QChar c : state) {
        if (c == u'[')
            selected = list->count();
        if (!c.isLetter())
            continue;
        list->addItem(QString(c));
        SetItemData(list, list->count() - 1, valueOf(c));
    }
    if (selected >= 0)
        list->setCurrentRow(selected);
    else // current but not selected, which must not count as a selection
        list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
}

QString state(const QListWidget *list)
{
    QString result;
    for (int i = 0; i < list->count(); ++i) {
        const QChar c = list->item(i)->text().at(0);
        const QString entry = ItemData(list, i) == valueOf(c) ? QString(c) : QStringLiteral("?");
        result += i == SelectedIndex(list) ? u'[' + entry + u']' : entry;
    }
    return list->selectedItems().size() > 1 ? result + QStringLiteral(" (several selected)") : result;
}

// A dialog, since there Esc would otherwise also reject the window.
struct Window {
    QDialog owner;
    QListWidget *list = new QListWidget(&owner);
    QWidget *viewport = list->viewport();
    DragList *drag = nullptr;

    Window(const QString &entries, int height)
    {
        list->setGeometry(0, 0, 200, height);
        setState(list, entries);
        owner.show();
        drag = EnableDragList(&owner, list);
    }
    QPoint centre(int index) const { return list->visualItemRect(list->item(index)).center(); }
};

} // namespace

class TestDragList : public QObject {
    Q_OBJECT

    int m_beeps = 0;
    std::function<void()> m_savedBeep;

private slots:
    void initTestCase() { m_savedBeep = SetBeep([this] { ++m_beeps; }); }
    void cleanupTestCase() { SetBeep(m_savedBeep); }

    void moves_data()
    {
        QTest::addColumn<QString>("op"); // "up", "down" or "to <target>"
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("beeps");

        QTest::newRow("down from first") << "down" << "[A]BCD" << "B[A]CD" << 0;
        QTest::newRow("up from first beeps") << "up" << "[A]BCD" << "[A]BCD" << 1;
        QTest::newRow("up from third") << "up" << "AB[C]D" << "A[C]BD" << 0;
        QTest::newRow("down from last beeps") << "down" << "ABC[D]" << "ABC[D]" << 1;
        QTest::newRow("down without selection beeps") << "down" << "ABCD" << "ABCD" << 1;
        QTest::newRow("first to the end") << "to 4" << "[A]BCD" << "BCD[A]" << 0;
        QTest::newRow("to the first") << "to 0" << "AB[C]D" << "[C]ABD" << 0;
        QTest::newRow("to itself") << "to 2" << "AB[C]D" << "AB[C]D" << 0;
        QTest::newRow("in front of its neighbour") << "to 2" << "A[B]CD" << "A[B]CD" << 0;
        QTest::newRow("past the end") << "to 5" << "[A]BCD" << "[A]BCD" << 0;
        QTest::newRow("negative target") << "to -1" << "A[B]CD" << "A[B]CD" << 0;
        QTest::newRow("to without selection") << "to 2" << "ABCD" << "ABCD" << 0;
    }

    void moves()
    {
        QFETCH(QString, op);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, beeps);

        QListWidget list;
        setState(&list, before);
        m_beeps = 0;
        if (op == "up")
            MoveItemUp(&list);
        else if (op == "down")
            MoveItemDown(&list);
        else
            MoveItemTo(&list, op.mid(3).toInt());
        QCOMPARE(state(&list), after);
        QCOMPARE(m_beeps, beeps);
    }

    void drag_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("via"); // -1: straight to the drop point
        QTest::addColumn<QString>("drop"); // "entry", "outside", "below" the entries, "esc" over the entry
        QTest::addColumn<int>("onto");
        QTest::addColumn<QString>("after");

        QTest::newRow("fourth onto second") << 3 << -1 << "entry" << 1 << "A[D]BC";
        QTest::newRow("first onto third") << 0 << -1 << "entry" << 2 << "B[A]CD";
        QTest::newRow("back onto itself") << 1 << 3 << "entry" << 1 << "A[B]CD";
        QTest::newRow("outside the list") << 1 << 3 << "outside" << -1 << "A[B]CD";
        QTest::newRow("below the last entry") << 0 << -1 << "below" << -1 << "[A]BCD";
        QTest::newRow("esc, then release") << 3 << -1 << "esc" << 1 << "ABC[D]";
    }

    void drag()
    {
        QFETCH(int, from);
        QFETCH(int, via);
        QFETCH(QString, drop);
        QFETCH(int, onto);
        QFETCH(QString, after);

        Window w("ABCD", 300);
        QSignalSpy finished(w.drag, &DragList::finished);
        const QPoint dropAt = drop == "outside" ? QPoint(20, w.viewport->height() + 40)
            : drop == "below"                   ? QPoint(20, w.viewport->height() - 5)
                                                : w.centre(onto);
        QTest::mousePress(w.viewport, Qt::LeftButton, {}, w.centre(from));
        if (via >= 0)
            QTest::mouseMove(w.viewport, w.centre(via));
        QTest::mouseMove(w.viewport, dropAt);
        QVERIFY(w.drag->isDragging());
        QCOMPARE(w.viewport->cursor().shape(), Qt::DragMoveCursor);
        QCOMPARE(SelectedIndex(w.list), from); // the selection does not follow the cursor
        QCOMPARE(w.drag->insertMark()->isVisible(), onto >= 0);
        if (onto >= 0)
            QVERIFY(qAbs(w.drag->insertMark()->geometry().center().y() - w.list->visualItemRect(w.list->item(onto)).top()) <= 2);

        if (drop == "esc") {
            QTest::keyClick(w.list, Qt::Key_Escape);
            QVERIFY(w.owner.isVisible());
        }
        QTest::mouseRelease(w.viewport, Qt::LeftButton, {}, dropAt);
        QCOMPARE(state(w.list), after);
        QVERIFY(!w.drag->isDragging());
        QVERIFY(!w.viewport->testAttribute(Qt::WA_SetCursor));
        QVERIFY(!w.drag->insertMark()->isVisible());
        QCOMPARE(finished.size(), 1);
    }

    void autoScrollsPastTheEdge()
    {
        Window w("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 80);
        const QPoint below(20, w.viewport->height() + 10);
        QTest::mousePress(w.viewport, Qt::LeftButton, {}, w.centre(0));
        QTest::mouseMove(w.viewport, below);
        QVERIFY(QTest::qWaitFor([&] { return w.list->verticalScrollBar()->value() >= 2; }, 5000));
        QTest::mouseRelease(w.viewport, Qt::LeftButton, {}, below);
        QCOMPARE(state(w.list), "[A]BCDEFGHIJKLMNOPQRSTUVWXYZ");
    }

    // A window deletes its list before the handler it made later; the
    // viewport's last events and a pending scroll step must not reach the
    // list then (the sanitizer build reports any access).
    void listGoesFirst_data()
    {
        QTest::addColumn<bool>("dragging");
        QTest::newRow("idle") << false;
        QTest::newRow("while scrolling past the edge") << true;
    }

    void listGoesFirst()
    {
        QFETCH(bool, dragging);

        Window w("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 80);
        if (dragging) {
            QTest::mousePress(w.viewport, Qt::LeftButton, {}, w.centre(0));
            QTest::mouseMove(w.viewport, QPoint(20, w.viewport->height() + 10));
            QVERIFY(w.drag->isDragging());
        }
        delete w.list;
        QCOMPARE(w.drag->list(), nullptr);
        QVERIFY(!w.drag->isDragging());
        QTest::qWait(250); // longer than a scroll step
        delete w.drag;
    }

    void enableAndDisable()
    {
        Window w("ABCD", 300);
        QCOMPARE(EnableDragList(&w.owner, w.list), w.drag);
        DisableDragList(&w.owner);
        QVERIFY(w.owner.findChildren<DragList *>().isEmpty());
        QTest::mousePress(w.viewport, Qt::LeftButton, {}, w.centre(3));
        QTest::mouseMove(w.viewport, w.centre(1));
        QTest::mouseRelease(w.viewport, Qt::LeftButton, {}, w.centre(1));
        QCOMPARE(state(w.list).remove(u'[').remove(u']'), "ABCD");
    }
};

QTEST_MAIN(TestDragList)
#include "tst_draglist.moc"
