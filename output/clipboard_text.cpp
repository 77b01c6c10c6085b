#include "output/clipboard_text.h"

#include "output/clipboard_retry.h"
#include "output/column_widths.h"

namespace wordloom::output {

std::u16string clipboardText(const platform::TableSnapshot& table,
                             const std::function<void()>& yield) {
    const std::vector<std::size_t> widths =
        measureColumnWidths(table, HeaderWidths::Ignored, yield);
    const int rows = table.rowCount();
    const int columns = static_cast<int>(widths.size());

    // One allocation: no line of an unchanging table is longer than its padded cells, their tabs
    // and CR LF.
    std::size_t lineLimit = widths.size() + 2;
    for (std::size_t width : widths) {
        lineLimit += width;
    }
    std::size_t ticked = 0;
    for (int r = 1; r <= rows; ++r) {
        ticked += table.isChecked(r) ? 1 : 0;
    }
    std::u16string text;
    text.reserve(ticked * lineLimit);

    for (int r = 1; r <= rows; ++r) {
        yield();
        if (!table.isChecked(r)) {
            continue;
        }
        const std::size_t lineStart = text.size();
        for (int c = 1; c <= columns; ++c) {
            yield();
            appendPaddedCell(text, table.cell(r, c), widths[static_cast<std::size_t>(c - 1)]);
        }
        // The tab after the last cell goes, then the padding and trailing spaces of that cell;
        // a tab stops the trimming.
        if (text.size() > lineStart) {
            text.pop_back();
        }
        while (text.size() > lineStart && text.back() == u' ') {
            text.pop_back();
        }
        text += u"\r\n";
    }
    return text;
}

void CopyListviewToClipboard(const platform::ListView& list, platform::Clipboard& clipboard,
                             platform::EventPump& events) {
    const auto table = list.snapshot();
    if (table->rowCount() == 0) {
        return;
    }
    const std::u16string text = clipboardText(*table, [&events] { events.processEvents(); });
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text, 0);
}

}  // namespace wordloom::output
