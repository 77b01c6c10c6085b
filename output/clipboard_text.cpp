#include "output/clipboard_text.h"

#include <algorithm>
#include <new>

#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "output/clipboard_retry.h"
#include "output/column_widths.h"
#include "output/rows/ascii_blocks.h"
#include "output/rows/word_bytes.h"

namespace wordloom::output {

namespace {

// Rows of dictionary words are handled in blocks of this many, with the window's yield once per
// block rather than per row and cell (the pump reads a clock on every call).
constexpr std::size_t kRowsPerYield = 256;

// Text in large pages: a million rows make a text of tens of megabytes, which faults in far
// faster this way, and the block is kept for the next copy when it is released.
using LargeText = engine::HugePageVector<char16_t>;

// A column of dictionary words: each ticked row is its word without the spaces at its end, then
// CR LF (in one column the padding and the tab are trimmed away). A short ASCII word is widened
// from its prepared bytes, one memory access a row; other words are copied from the dictionary.
// The widths pass of the general path decides nothing here; it measures the text instead, and
// its yields are kept, once per block of rows.
LargeText wordRowsText(const platform::WordRows& table, const rows::WordBytes& prepared,
                       const std::function<void()>& yield) {
    const engine::WordList& words = table.dictionary->words();
    // The row's text when it is a short ASCII word that does not end in a space.
    const auto shortAscii = [&](std::uint32_t ref, std::size_t& length) {
        if ((ref & platform::WordRows::TextRef) != 0) {
            return false;
        }
        const rows::WordBytes::Slot& slot = prepared.slot(ref);
        length = static_cast<unsigned char>(slot.bytes[15]);
        return length != rows::WordBytes::kLong && slot.bytes[14] == 0 &&
               (length == 0 || slot.bytes[length - 1] != ' ');
    };
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
                std::size_t units = 0;
                if (!shortAscii(table.rows[r].ref, units)) {
                    units = textOf(table.rows[r].ref).size();
                }
                length += units + 2;
            }
        }
    }
    // A widened slot is 16 code units, of which the word takes only its own.
    LargeText text(length + sizeof(rows::WordBytes::Slot::bytes));
    char16_t* at = text.data();
    for (std::size_t from = 0; from < rows; from += kRowsPerYield) {
        yield();
        const std::size_t to = std::min(rows, from + kRowsPerYield);
        for (std::size_t r = from; r < to; ++r) {
            if (!table.rows[r].checked) {
                continue;
            }
            const std::uint32_t ref = table.rows[r].ref;
            std::size_t units = 0;
            if (shortAscii(ref, units)) {
                // The whole slot at once; the units past the word are overwritten next.
                rows::widenBlock(prepared.slot(ref).bytes, at);
                at += units;
            } else {
                const std::u16string_view word = textOf(ref);
                at = std::copy(word.begin(), word.end(), at);
            }
            *at++ = u'\r';
            *at++ = u'\n';
        }
    }
    text.resize(length);
    return text;
}

// The prepared bytes for a table of dictionary words; null when there is no room for them, and
// the table is then read cell by cell.
std::shared_ptr<const rows::WordBytes> preparedFor(const platform::WordRows* table) {
    if (table == nullptr) {
        return nullptr;
    }
    try {
        return rows::preparedWordBytes(table->dictionary);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

std::u16string clipboardText(const platform::TableSnapshot& table,
                             const std::function<void()>& yield) {
    const platform::WordRows* wordRows = table.wordRows();
    if (const auto prepared = preparedFor(wordRows)) {
        const LargeText text = wordRowsText(*wordRows, *prepared, yield);
        return {text.begin(), text.end()};
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
    const auto yield = [&events] { events.processEvents(); };
    const platform::WordRows* wordRows = table->wordRows();
    if (const auto prepared = preparedFor(wordRows)) {
        const LargeText text = wordRowsText(*wordRows, *prepared, yield);
        ClearClipboard(clipboard);
        SetClipboardText(clipboard, std::u16string_view(text.data(), text.size()), 0);
        return;
    }
    const std::u16string text = clipboardText(*table, yield);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text, 0);
}

}  // namespace wordloom::output
