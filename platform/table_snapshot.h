#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::engine {
class Dictionary;
}

namespace wordloom::platform {

// The rows of a one-column list whose cells are words of a dictionary, with their check marks:
// what the result list holds. The output commands write such rows from the words' prepared
// bytes rather than reading them cell by cell.
struct WordRows {
    struct Row {
        std::uint32_t ref;  // a word position, or TextRef | index into `texts`
        bool checked;
    };
    static constexpr std::uint32_t TextRef = 0x80000000u;

    std::shared_ptr<const engine::Dictionary> dictionary;
    std::span<const Row> rows;
    std::span<const std::u16string> texts;
};

// An immutable copy of a list's table data (headers, cells, check marks), taken when an output
// command starts so that edits made while it yields cannot pull rows from under it.
// Rows and columns count from 1; column 1 is the row's own text, column c >= 2 sub-item c - 1.
class TableSnapshot {
public:
    virtual ~TableSnapshot() = default;
    virtual int columnCount() const = 0;
    virtual std::u16string_view header(int column) const = 0;
    virtual int rowCount() const = 0;
    virtual std::u16string_view cell(int row, int column) const = 0;  // empty when absent
    virtual bool isChecked(int row) const = 0;
    // The same table as word rows, when it has one column of dictionary words; null otherwise.
    virtual const WordRows* wordRows() const { return nullptr; }
};

// A snapshot that owns plain copies of everything: for small lists and for tests.
class TableData final : public TableSnapshot {
public:
    struct Row {
        std::vector<std::u16string> cells;  // cells[0] is the row's text
        bool checked = false;
    };

    std::vector<std::u16string> headers;
    std::vector<Row> rows;

    int columnCount() const override { return static_cast<int>(headers.size()); }
    std::u16string_view header(int column) const override { return headers.at(column - 1); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::u16string_view cell(int row, int column) const override {
        const Row& r = rows.at(row - 1);
        const auto index = static_cast<std::size_t>(column - 1);
        return index < r.cells.size() ? std::u16string_view(r.cells[index]) : std::u16string_view();
    }
    bool isChecked(int row) const override { return rows.at(row - 1).checked; }
};

}  // namespace wordloom::platform
