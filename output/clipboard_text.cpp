#include "output/clipboard_text.h"

#include "engine/dictionary.h"
#include "output/clipboard_retry.h"
#include "output/column_widths.h"

namespace wordloom::output {

namespace {

// Rows of dictionary words are handled in blocks of this many, with the window's yield once per
// block rather than per row and cell (the pump reads a clock on every call).
constexpr std::size_t kRowsPerYield = 256;

// A column of dictionary words: each ticked row is its word without the spaces at its end, then
// CR LF (in one column the padding and the tab are trimmed away). The words are copied straight
// from the dictionary, whose text is already UTF-16. The widths pass of the general path decides
// nothing here, but its yields are kept, once per block.
std::u16string wordRowsText(const platform::WordRows& table, const std::function<void()>& yield) {
    const engine::WordList& words = table.dictionary->words();
    const auto textOf = [&](std::uint32_t ref) {
        std::u16string_view text =
            (ref & platform::WordRows::TextRef) != 0
                ? std::u16string_view(table.texts[ref & ~platform::WordRows::TextRef])
                : words[ref];
        while (!text.empty() && text.back() == u' ') {
            text.remove_suffix(1);
        }
        return text;
    };
    const std::size_t rows = table.rows.size();
    std::size_t length = 0;
    for (std::size_t from = 0; from < rows; from += kRowsPerYield) {
        yield();
        const std::size_t to = std::min(rows, from + kRowsPerYield);
        for (std::size_t r = from; r < to; ++r) {
            if (table.rows[r].checked) {
                length += textOf(table.rows[r].ref).size() + 2;
            }
        }
    }
    std::u16string text(length, u'\0');
    char16_t* at = text.data();
    for (std::size_t from = 0; from < rows; from += kRowsPerYield) {
        yield();
        const std::size_t to = std::min(rows, from + kRowsPerYield);
        for (std::size_t r = from; r < to; ++r) {
            if (table.rows[r].checked) {
                const std::u16string_view word = textOf(table.rows[r].ref);
                std::copy(word.begin(), word.end(), at);
                at += word.size();
                *at++ = u'\r';
                *at++ = u'\n';
            }
        }
    }
    return text;
}

}  // namespace

std::u16string clipboardText(const platform::TableSnapshot& table,
                             const std::function<void()>& yield) {
    if (const platform::WordRows* wordRows = table.wordRows(); wordRows != nullptr) {
        return wordRowsText(*wordRows, yield);
    }
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
