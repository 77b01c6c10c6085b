#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "table_snapshot.h"

namespace wordloom::engine {
class Dictionary;
}

namespace wordloom::platform {

// Thrown when an operation names an item position that does not exist.
class ListIndexError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// A list control with column headers and items (positions from 1). Each item has a text,
// optional sub-items and a check mark that only the user sets.
class ListView {
public:
    virtual ~ListView() = default;

    virtual int count() const = 0;
    virtual std::u16string text(int item) const = 0;            // throws ListIndexError
    virtual std::u16string subItem(int item, int k) const = 0;  // k >= 1; empty when absent
    virtual bool isChecked(int item) const = 0;                 // throws ListIndexError
    virtual void addItem(const std::u16string& text) = 0;       // appended after the last item
    virtual void removeItem(int item) = 0;                      // later items move up by one
    virtual void clear() = 0;                                   // headers stay
    virtual std::optional<int> selectedItem() const = 0;

    virtual void addColumnHeader(const std::u16string& text) = 0;
    virtual void setColumnWidth(int column, int twips) = 0;
    virtual int columnCount() const = 0;
    virtual std::u16string headerText(int column) const = 0;  // throws ListIndexError

    // A copy of the whole table as it is now; cheap even for millions of rows.
    virtual std::shared_ptr<const TableSnapshot> snapshot() const = 0;
};

// The result list: its rows refer to words of the loaded dictionary by position instead of
// holding copies, and arrive in batches.
class ResultListView : public ListView {
public:
    // The dictionary whose words the rows name; set once it is loaded.
    virtual void setDictionary(std::shared_ptr<const engine::Dictionary> dictionary) = 0;
    // Appends one unticked row per position, in order.
    virtual void appendWords(std::span<const std::uint32_t> wordPositions) = 0;
};

}  // namespace wordloom::platform
