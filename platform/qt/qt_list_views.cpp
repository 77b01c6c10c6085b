#include "qt_list_views.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <cmath>
#include <string>

#include "key_codes.h"
#include "qt_text.h"

namespace wordloom::platform::qt {
namespace list_view_detail {

// Item positions count from 1; returns the model row of a valid one.
int rowOf(int item, int count) {
    if (item < 1 || item > count) {
        throw ListIndexError("List item " + std::to_string(item) +
                             " does not exist; the list holds " + std::to_string(count) +
                             " items.");
    }
    return item - 1;
}

int columnOf(int column, const ListModelBase& model) {
    if (column < 1 || column > model.headerCount()) {
        throw ListIndexError("List column " + std::to_string(column) +
                             " does not exist; the list has " +
                             std::to_string(model.headerCount()) + " columns.");
    }
    return column - 1;
}

std::optional<int> selectedItemOf(const QTreeView& view) {
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return rows.first().row() + 1;
}

void setColumnWidthOf(QTreeView& view, const ListModelBase& model, int column, int twips) {
    view.setColumnWidth(columnOf(column, model), static_cast<int>(std::lround(twips / 15.0)));
}

}  // namespace list_view_detail

// ---- QtListView ----

bool QtListView::isChecked(int item) const {
    rowOf(item);
    return false;  // the letter-set list shows no check boxes
}

void QtListView::addItem(const std::u16string& text) {
    m_model.append(text);
}

std::shared_ptr<const TableSnapshot> QtListView::snapshot() const {
    return m_model.snapshot();
}

void QtListView::setDoubleClickHandler(std::function<void()> handler) {
    // The viewport receives double-clicks on rows and on the empty space below them alike.
    delete m_doubleClickHook;
    m_doubleClickHook = new EventHook(*m_view.viewport(), {QEvent::MouseButtonDblClick},
                                      [handler = std::move(handler)](QEvent&) { handler(); });
}

void QtListView::setKeyDownHandler(std::function<void(int, bool, bool, bool)> handler) {
    delete m_keyDownHook;
    m_keyDownHook =
        new EventHook(m_view, {QEvent::KeyPress}, [handler = std::move(handler)](QEvent& event) {
            const auto& key = static_cast<QKeyEvent&>(event);
            const Qt::KeyboardModifiers modifiers = key.modifiers();
            handler(windowsKeyCode(key.key()), modifiers.testFlag(Qt::ShiftModifier),
                    modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier));
        });
}

// ---- QtResultListView ----

QtResultListView::QtResultListView(QTreeView& view, ResultListModel& model)
    : ListViewAdapter(view, model) {
    // Dragging, the wheel, the keys and scrollTo() all end up here; the value only changes when
    // the view moves, so a view already at the end asks once.
    QScrollBar* bar = view.verticalScrollBar();
    m_atEnd = QObject::connect(bar, &QScrollBar::valueChanged, &model, [bar, &model](int value) {
        if (value == bar->maximum()) {
            model.showMoreRows();
        }
    });
}

QtResultListView::~QtResultListView() {
    QObject::disconnect(m_atEnd);
}

bool QtResultListView::isChecked(int item) const {
    return m_model.isChecked(rowOf(item));
}

void QtResultListView::addItem(const std::u16string& text) {
    m_model.appendText(text);
}

std::shared_ptr<const TableSnapshot> QtResultListView::snapshot() const {
    return m_model.snapshot();
}

void QtResultListView::setDictionary(std::shared_ptr<const engine::Dictionary> dictionary) {
    m_model.setDictionary(std::move(dictionary));
}

void QtResultListView::appendWords(std::span<const std::uint32_t> wordPositions) {
    m_model.appendWords(wordPositions);
}

}  // namespace wordloom::platform::qt
