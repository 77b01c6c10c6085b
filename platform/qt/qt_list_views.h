#pragma once

#include <QPointer>
#include <QTreeView>
#include <functional>
#include <optional>
#include <string>

#include "event_hook.h"
#include "letter_set_model.h"
#include "platform/list_view.h"
#include "result_list_model.h"

namespace wordloom::platform::qt {

namespace list_view_detail {
// Item and column positions count from 1; these return the model's row or column of a valid one
// and throw ListIndexError otherwise.
int rowOf(int item, int count);
int columnOf(int column, const ListModelBase& model);
std::optional<int> selectedItemOf(const QTreeView& view);
void setColumnWidthOf(QTreeView& view, const ListModelBase& model, int column, int twips);
}  // namespace list_view_detail

// What both lists do alike: items and headers over a model shown in a QTreeView. Neither list
// has sub-items.
template <typename Interface, typename Model>
class ListViewAdapter : public Interface {
public:
    ListViewAdapter(QTreeView& view, Model& model) : m_view(view), m_model(model) {}

    int count() const override { return m_model.size(); }
    std::u16string text(int item) const override {
        return std::u16string(m_model.text(rowOf(item)));
    }
    std::u16string subItem(int item, int /*k*/) const override {
        rowOf(item);
        return {};
    }
    void removeItem(int item) override { m_model.remove(rowOf(item)); }
    void clear() override { m_model.clear(); }
    std::optional<int> selectedItem() const override {
        return list_view_detail::selectedItemOf(m_view);
    }

    void addColumnHeader(const std::u16string& text) override { m_model.addHeader(text); }
    void setColumnWidth(int column, int twips) override {
        list_view_detail::setColumnWidthOf(m_view, m_model, column, twips);
    }
    int columnCount() const override { return m_model.headerCount(); }
    std::u16string headerText(int column) const override {
        return m_model
            .headers()[static_cast<std::size_t>(list_view_detail::columnOf(column, m_model))];
    }

protected:
    int rowOf(int item) const { return list_view_detail::rowOf(item, m_model.size()); }

    QTreeView& m_view;
    Model& m_model;
};

// ListView1: the letter sets, over a LetterSetModel shown in a QTreeView.
class QtListView final : public ListViewAdapter<ListView, LetterSetModel> {
public:
    using ListViewAdapter::ListViewAdapter;

    bool isChecked(int item) const override;
    void addItem(const std::u16string& text) override;
    std::shared_ptr<const TableSnapshot> snapshot() const override;

    // A double-click anywhere in the list, rows or the empty space below them.
    void setDoubleClickHandler(std::function<void()> handler);
    // A key pressed while the list has the focus: Windows key code, Shift, Ctrl, Alt. The list
    // still handles the key itself.
    void setKeyDownHandler(std::function<void(int, bool, bool, bool)> handler);

private:
    QPointer<EventHook> m_doubleClickHook;
    QPointer<EventHook> m_keyDownHook;
};

// ListView2: the results, whose rows name words of the loaded dictionary, each with a check box.
// The view learns of more rows whenever it scrolls to the end of those it knows.
class QtResultListView final : public ListViewAdapter<ResultListView, ResultListModel> {
public:
    QtResultListView(QTreeView& view, ResultListModel& model);
    ~QtResultListView() override;
    QtResultListView(const QtResultListView&) = delete;
    QtResultListView& operator=(const QtResultListView&) = delete;

    bool isChecked(int item) const override;
    void addItem(const std::u16string& text) override;
    std::shared_ptr<const TableSnapshot> snapshot() const override;

    void setDictionary(std::shared_ptr<const engine::Dictionary> dictionary) override;
    void appendWords(std::span<const std::uint32_t> wordPositions) override;

private:
    QMetaObject::Connection m_atEnd;
};

}  // namespace wordloom::platform::qt
