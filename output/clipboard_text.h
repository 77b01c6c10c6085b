#pragma once

#include <functional>
#include <string>

#include "platform/controls.h"
#include "platform/list_view.h"
#include "platform/services.h"
#include "platform/table_snapshot.h"

namespace wordloom::output {

// The ticked rows of `table` as clipboard text: each cell padded with spaces to its column's
// width (the longest cell of the column, headers not counted), the cells joined by tabs, the
// spaces at the end of each line trimmed, CR LF after every line. Empty when no row is ticked.
// Yields once per cell while measuring, then once per row and once per cell of a ticked row.
std::u16string clipboardText(const platform::TableSnapshot& table,
                             const std::function<void()>& yield);

// Makes the ticked rows of `list`, as taken when the call starts, the clipboard's whole content.
// A list without rows leaves the clipboard as it was. Clipboard failures are absorbed; a failure
// to read the list reaches the caller before the clipboard is touched.
void CopyListviewToClipboard(const platform::ListView& list, platform::Clipboard& clipboard,
                             platform::EventPump& events);

}  // namespace wordloom::output
