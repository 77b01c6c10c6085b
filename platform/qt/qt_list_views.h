#pragma once

#include <QPointer>
#include <QTreeView>
#include <functional>

#include "event_hook.h"
#include "letter_set_model.h"
#include "platform/list_view.h"
#include "result_list_model.h"

namespace wordloom::platform::qt {

// ListView1: the letter sets, over a LetterSetModel shown in a QTreeView.
class QtListView final : public ListView {
public:
    QtListView(QTreeView& view, LetterSetModel& model);

    int count() const override;
    std::u16string text(int item) const override;
    std::u16string subItem(int item, int k) const override;
    bool isChecked(int item) const override;
    void addItem(const std::u16string& text) override;
    void removeItem(int item) override;
    void clear() override;
    std::optional<int> selectedItem() const override;

    void addColumnHeader(const std::u16string& text) override;
    void setColumnWidth(int column, int twips) override;
    int columnCount() const override;
    std::u16string headerText(int column) const override;

    std::shared_ptr<const TableSnapshot> snapshot() const override;

    // A double-click anywhere in the list, rows or the empty space below them.
    void setDoubleClickHandler(std::function<void()> handler);
    // A key pressed while the list has the focus: Windows key code, Shift, Ctrl, Alt. The list
    // still handles the key itself.
    void setKeyDownHandler(std::function<void(int, bool, bool, bool)> handler);

private:
    QTreeView& m_view;
    LetterSetModel& m_model;
    QPointer<EventHook> m_doubleClickHook;
    QPointer<EventHook> m_keyDownHook;
};

// ListView2: the results, whose rows name words of the loaded dictionary, each with a check box.
class QtResultListView final : public ResultListView {
public:
    QtResultListView(QTreeView& view, ResultListModel& model);

    int count() const override;
    std::u16string text(int item) const override;
    std::u16string subItem(int item, int k) const override;
    bool isChecked(int item) const override;
    void addItem(const std::u16string& text) override;
    void removeItem(int item) override;
    void clear() override;
    std::optional<int> selectedItem() const override;

    void addColumnHeader(const std::u16string& text) override;
    void setColumnWidth(int column, int twips) override;
    int columnCount() const override;
    std::u16string headerText(int column) const override;

    std::shared_ptr<const TableSnapshot> snapshot() const override;

    void setDictionary(std::shared_ptr<const engine::Dictionary> dictionary) override;
    void appendWords(std::span<const std::uint32_t> wordPositions) override;

private:
    QTreeView& m_view;
    ResultListModel& m_model;
};

}  // namespace wordloom::platform::qt
