#include "output/aligned_text.h"

#include "output/column_widths.h"

namespace wordloom::output {

namespace {

template <class CellOf>
void appendLine(std::u16string& out, const std::vector<std::size_t>& widths, CellOf&& cellOf,
                const std::function<void()>& yield) {
    const int columns = static_cast<int>(widths.size());
    for (int c = 1; c <= columns; ++c) {
        yield();
        appendPaddedCell(out, cellOf(c), widths[static_cast<std::size_t>(c - 1)]);
    }
    out += u"\r\n";
}

}  // namespace

void appendAlignedHeaderLine(std::u16string& out, const platform::TableSnapshot& table,
                             const std::vector<std::size_t>& widths,
                             const std::function<void()>& yield) {
    appendLine(
        out, widths, [&](int c) { return table.header(c); }, yield);
}

void appendAlignedRowLine(std::u16string& out, const platform::TableSnapshot& table, int row,
                          const std::vector<std::size_t>& widths,
                          const std::function<void()>& yield) {
    appendLine(
        out, widths, [&](int c) { return table.cell(row, c); }, yield);
}

std::u16string alignedText(const platform::TableSnapshot& table) {
    const std::function<void()> noYield = [] {};
    const std::vector<std::size_t> widths =
        measureColumnWidths(table, HeaderWidths::Counted, noYield);
    std::size_t lineLength = widths.size() + 2;
    for (std::size_t width : widths) {
        lineLength += width;
    }
    const int rows = table.rowCount();
    std::size_t ticked = 0;
    for (int r = 1; r <= rows; ++r) {
        ticked += table.isChecked(r) ? 1 : 0;
    }

    std::u16string text;
    text.reserve((ticked + 1) * lineLength);
    appendAlignedHeaderLine(text, table, widths, noYield);
    for (int r = 1; r <= rows; ++r) {
        if (table.isChecked(r)) {
            appendAlignedRowLine(text, table, r, widths, noYield);
        }
    }
    return text;
}

}  // namespace wordloom::output
