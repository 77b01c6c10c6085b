#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fail_switch.h"
#include "platform/list_view.h"

namespace fakes {

// An in-memory list view; items hold texts, sub-items and check marks.
class FakeListView : public wordloom::platform::ListView {
public:
    wordloom::platform::TableData table;
    std::vector<int> columnWidths;
    std::optional<int> selected;
    mutable FailSwitch fail;  // the read-only calls count() and snapshot() can fail too
    int clearCalls = 0;

    int count() const override {
        fail.check("count");
        return static_cast<int>(table.rows.size());
    }
    std::u16string text(int item) const override { return cellOf(item, 1); }
    std::u16string subItem(int item, int k) const override { return cellOf(item, k + 1); }
    bool isChecked(int item) const override { return rowAt(item).checked; }
    void addItem(const std::u16string& text) override {
        fail.check("addItem");
        table.rows.push_back({{text}, false});
    }
    void removeItem(int item) override {
        fail.check("removeItem");
        rowAt(item);
        table.rows.erase(table.rows.begin() + (item - 1));
    }
    void clear() override {
        fail.check("clear");
        ++clearCalls;
        table.rows.clear();
        selected.reset();
    }
    std::optional<int> selectedItem() const override { return selected; }
    void addColumnHeader(const std::u16string& text) override {
        fail.check("addColumnHeader");
        table.headers.push_back(text);
        columnWidths.push_back(0);
    }
    void setColumnWidth(int column, int twips) override {
        fail.check("setColumnWidth");
        columnWidths.at(static_cast<std::size_t>(column - 1)) = twips;
    }
    int columnCount() const override { return static_cast<int>(table.headers.size()); }
    std::u16string headerText(int column) const override {
        if (column < 1 || column > columnCount()) {
            throw wordloom::platform::ListIndexError("Invalid column header index.");
        }
        return table.headers[static_cast<std::size_t>(column - 1)];
    }
    std::shared_ptr<const wordloom::platform::TableSnapshot> snapshot() const override {
        fail.check("snapshot");
        return std::make_shared<wordloom::platform::TableData>(table);
    }

    // Test helpers.
    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> all;
        for (const auto& row : table.rows) {
            all.push_back(row.cells.at(0));
        }
        return all;
    }
    void addRow(std::vector<std::u16string> cells, bool checked) {
        table.rows.push_back({std::move(cells), checked});
    }

protected:
    const wordloom::platform::TableData::Row& rowAt(int item) const {
        if (item < 1 || item > static_cast<int>(table.rows.size())) {
            throw wordloom::platform::ListIndexError("Index out of bounds");
        }
        return table.rows[static_cast<std::size_t>(item - 1)];
    }
    std::u16string cellOf(int item, int column) const {
        const auto& row = rowAt(item);
        const auto index = static_cast<std::size_t>(column - 1);
        return index < row.cells.size() ? row.cells[index] : std::u16string();
    }
};

}  // namespace fakes
