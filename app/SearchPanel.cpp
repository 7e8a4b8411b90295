#include "SearchPanel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>

namespace vv {
namespace {
constexpr int kCategoryRole = Qt::UserRole;
constexpr int kDocumentRole = Qt::UserRole + 1;
// The start of a help text is enough to tell two hits apart.
constexpr int kHelpShown = 120;
} // namespace

SearchPanel::SearchPanel(const LibraryPaths &paths, QWidget *window)
    : QObject(window), m_window(window), m_index(paths)
{
    m_field = new QLineEdit(window);
    m_field->setObjectName(QStringLiteral("tSuche"));
    m_field->setPlaceholderText(QStringLiteral("Suchen (Strg+F)"));
    m_field->setToolTip(QStringLiteral("Sucht in allen Kategorien nach Dateinamen und Hilfetexten"));

    auto *find = new QShortcut(QKeySequence::Find, window);
    connect(find, &QShortcut::activated, this, [this] {
        m_field->setFocus(Qt::ShortcutFocusReason);
        m_field->selectAll();
    });
    // The clear button shows only over text. Its icon is looked up in the
    // icon themes' folders, which takes longer than building the rest of the
    // window: not at start, but once the field has the focus or text.
    auto clearButton = [this] {
        if (!m_field->isClearButtonEnabled())
            m_field->setClearButtonEnabled(true);
    };
    connect(m_field, &QLineEdit::textChanged, this, [this, clearButton] {
        clearButton();
        search();
    });
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        if (m_list)
            choose(m_list->currentItem() ? m_list->currentItem() : m_list->topLevelItem(0));
    });
    // The list stays up while the search has the focus. The library is read
    // when the field gets it, before the first keystroke.
    connect(qApp, &QApplication::focusChanged, this, [this, clearButton](QWidget *, QWidget *now) {
        if (now != m_field && now != m_list) {
            showList(false);
        } else if (now == m_field) {
            clearButton();
            m_index.Refresh();
            if (!m_field->text().trimmed().isEmpty())
                search();
        }
    });
    m_field->installEventFilter(this);
    window->installEventFilter(this);
}

// Made on the first search: hidden until then, it would only lengthen the start.
QTreeWidget *SearchPanel::list()
{
    if (m_list)
        return m_list;
    m_list = new QTreeWidget(m_window);
    m_list->setObjectName(QStringLiteral("LSuchergebnis"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Kategorie"), QStringLiteral("Dokument"), QStringLiteral("Hilfetext")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setFrameShape(QFrame::Box);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionsMovable(false);
    m_list->hide();

    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { choose(item); });
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { choose(item); });
    m_list->installEventFilter(this);
    return m_list;
}

bool SearchPanel::listShown() const { return m_list && m_list->isVisible(); }

void SearchPanel::search()
{
    if (m_list)
        m_list->clear();
    if (m_field->text().trimmed().isEmpty()) {
        showList(false);
        return;
    }
    m_index.Refresh();
    const SearchResult found = m_index.Find(m_field->text(), kListedHits);
    QList<QTreeWidgetItem *> items;
    items.reserve(found.hits.size() + 1);
    for (const SearchHit &hit : found.hits) {
        QString help = hit.helpText.left(kHelpShown);
        if (help.size() < hit.helpText.size())
            help += QChar(0x2026);
        auto *item = new QTreeWidgetItem({hit.category, hit.document, help});
        item->setData(0, kCategoryRole, hit.categoryIndex);
        item->setData(0, kDocumentRole, hit.document);
        item->setToolTip(2, hit.helpText);
        items.append(item);
    }
    QString note;
    if (found.total == 0)
        note = QStringLiteral("Kein Dokument gefunden.");
    else if (found.total > found.hits.size())
        note = QStringLiteral("… und %1 weitere Treffer: bitte genauer suchen.").arg(found.total - found.hits.size());
    if (!note.isEmpty()) {
        auto *item = new QTreeWidgetItem({QString(), note});
        item->setFlags(Qt::NoItemFlags);
        items.append(item);
    }
    list()->addTopLevelItems(items);
    if (!found.hits.isEmpty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
    showList(true);
}

void SearchPanel::choose(QTreeWidgetItem *item)
{
    // A click also activates on some styles: one choice per showing.
    if (!item || !listShown() || !item->data(0, kCategoryRole).isValid())
        return;
    const int category = item->data(0, kCategoryRole).toInt();
    const QString document = item->data(0, kDocumentRole).toString();
    showList(false);
    emit chosen(category, document);
}

void SearchPanel::showList(bool on)
{
    if (!on && !m_list)
        return;
    QTreeWidget *shown = list();
    if (on) {
        place();
        shown->raise();
    }
    shown->setVisible(on);
}

// Below the field, across the window's width, at most down to its bottom margin.
void SearchPanel::place()
{
    const int margin = m_field->height() / 2;
    const QPoint below = m_field->mapTo(m_window, QPoint(0, m_field->height() + 2));
    const int rows = qMax(1, m_list->topLevelItemCount());
    const int row = m_list->sizeHintForRow(0) > 0 ? m_list->sizeHintForRow(0) : m_field->height();
    const int wanted = m_list->header()->sizeHint().height() + rows * row + 2 * m_list->frameWidth() + 2;
    const int height = qMin(wanted, m_window->height() - below.y() - margin);
    m_list->setGeometry(margin, below.y(), m_window->width() - 2 * margin, height);
    // Category and name as wide as they need, within a quarter and two fifths;
    // the help text takes the rest.
    const int width = m_list->viewport()->width();
    const int gap = 2 * m_list->fontMetrics().averageCharWidth();
    for (int column : {0, 1})
        m_list->resizeColumnToContents(column);
    m_list->setColumnWidth(0, qMin(m_list->columnWidth(0) + gap, width / 4));
    m_list->setColumnWidth(1, qMin(m_list->columnWidth(1) + gap, width * 2 / 5));
}

bool SearchPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Resize && listShown())
            place();
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Esc leaves the search instead of ending the program.
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
            && (listShown() || !m_field->text().isEmpty())) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Escape) {
        if (listShown()) {
            showList(false);
            m_field->setFocus();
        } else {
            m_field->clear();
        }
        return true;
    }
    if (watched == m_field && key == Qt::Key_Down && listShown()) {
        m_list->setFocus();
        if (!m_list->currentItem())
            m_list->setCurrentItem(m_list->topLevelItem(0));
        return true;
    }
    if (watched == m_list && key == Qt::Key_Up && m_list->currentItem() == m_list->topLevelItem(0)) {
        m_field->setFocus();
        return true;
    }
    return false;
}

} // namespace vv
