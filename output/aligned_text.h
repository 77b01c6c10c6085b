#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/table_snapshot.h"

namespace wordloom::output {

// The column-aligned text of a table: a header line, then one line per ticked row in order.
// Every cell, header cells included, is padded with spaces to its column's width (headers
// counted) and followed by a tab; every line ends in CR LF; nothing is trimmed.
std::u16string alignedText(const platform::TableSnapshot& table);

// The pieces of alignedText, for writers that interleave them with other work. Each appends one
// line, CR LF included, and yields once per cell.
void appendAlignedHeaderLine(std::u16string& out, const platform::TableSnapshot& table,
                             const std::vector<std::size_t>& widths,
                             const std::function<void()>& yield);
void appendAlignedRowLine(std::u16string& out, const platform::TableSnapshot& table, int row,
                          const std::vector<std::size_t>& widths,
                          const std::function<void()>& yield);

}  // namespace wordloom::output
