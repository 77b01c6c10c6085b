#pragma once

#include <memory>

#include "engine/dictionary.h"
#include "fake_list_view.h"

namespace fakes {

// The result list: rows appended by word position are stored as their words' texts.
class FakeResultListView : public wordloom::platform::ResultListView {
public:
    FakeListView list;
    std::shared_ptr<const wordloom::engine::Dictionary> dictionary;
    int appendBatches = 0;

    int count() const override { return list.count(); }
    std::u16string text(int item) const override { return list.text(item); }
    std::u16string subItem(int item, int k) const override { return list.subItem(item, k); }
    bool isChecked(int item) const override { return list.isChecked(item); }
    void addItem(const std::u16string& text) override { list.addItem(text); }
    void removeItem(int item) override { list.removeItem(item); }
    void clear() override { list.clear(); }
    std::optional<int> selectedItem() const override { return list.selectedItem(); }
    void addColumnHeader(const std::u16string& text) override { list.addColumnHeader(text); }
    void setColumnWidth(int column, int twips) override { list.setColumnWidth(column, twips); }
    int columnCount() const override { return list.columnCount(); }
    std::u16string headerText(int column) const override { return list.headerText(column); }
    std::shared_ptr<const wordloom::platform::TableSnapshot> snapshot() const override {
        return list.snapshot();
    }

    void setDictionary(std::shared_ptr<const wordloom::engine::Dictionary> loaded) override {
        dictionary = std::move(loaded);
    }
    void appendWords(std::span<const std::uint32_t> wordPositions) override {
        list.fail.check("appendWords");
        ++appendBatches;
        for (std::uint32_t position : wordPositions) {
            list.table.rows.push_back({{std::u16string(dictionary->words()[position])}, false});
        }
    }
};

}  // namespace fakes
