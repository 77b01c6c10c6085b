#include "output/column_widths.h"

#include <algorithm>

namespace wordloom::output {

std::vector<std::size_t> measureColumnWidths(const platform::TableSnapshot& table,
                                             HeaderWidths headers,
                                             const std::function<void()>& yield) {
    const int columns = table.columnCount();
    const int rows = table.rowCount();
    std::vector<std::size_t> widths;
    widths.reserve(static_cast<std::size_t>(std::max(columns, 0)));
    for (int c = 1; c <= columns; ++c) {
        std::size_t width = headers == HeaderWidths::Counted ? table.header(c).size() : 0;
        for (int r = 1; r <= rows; ++r) {
            yield();
            width = std::max(width, table.cell(r, c).size());
        }
        widths.push_back(width);
    }
    return widths;
}

}  // namespace wordloom::output
