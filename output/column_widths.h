#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/table_snapshot.h"

namespace wordloom::output {

enum class HeaderWidths { Ignored, Counted };

// Per column, the length in UTF-16 code units of its longest cell over all rows, ticked or not;
// with HeaderWidths::Counted the header text counts as well. Yields once per cell, column by
// column.
std::vector<std::size_t> measureColumnWidths(const platform::TableSnapshot& table,
                                             HeaderWidths headers,
                                             const std::function<void()>& yield);

// Appends the cell, spaces up to `width` and one tab. A cell wider than its column (possible only
// when the widths came from other data) is appended without padding.
inline void appendPaddedCell(std::u16string& out, std::u16string_view cell, std::size_t width) {
    out += cell;
    if (width > cell.size()) {
        out.append(width - cell.size(), u' ');
    }
    out += u'\t';
}

}  // namespace wordloom::output
