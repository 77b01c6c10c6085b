#include "cli/output_format.h"

#include <algorithm>

#include "engine/text.h"

namespace wordloom::cli {

namespace {

constexpr std::u16string_view alignedHeader = u"Unscramble Letters";

// The longest word the run can list: the matcher lists words of 2 to 8 code units only.
constexpr int longestListedWord = 8;

// The aligned column is as wide as its widest cell, the header included. Every row is a word of
// a length that the chosen lengths allow, so the widest such length bounds the rows; knowing the
// width before the first row lets the table stream instead of holding the whole result.
std::size_t alignedColumnWidth(engine::LengthMask lengths) {
    std::size_t width = alignedHeader.size();
    for (int length = 0; length <= longestListedWord; ++length) {
        if (lengths.wants(length)) {
            width = std::max(width, static_cast<std::size_t>(length));
        }
    }
    return width;
}

}  // namespace

void appendUtf8(std::string& out, std::u16string_view text) {
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
    if (ascii) {
        for (char16_t unit : text) {
            out.push_back(static_cast<char>(unit));
        }
    } else {
        out += engine::encodeUtf8(text);
    }
}

OutputFormatter::OutputFormatter(OutputFormat format, engine::LengthMask lengths)
    : m_format(format), m_columnWidth(alignedColumnWidth(lengths)) {}

void OutputFormatter::appendHeader(std::string& out) const {
    if (m_format == OutputFormat::Aligned) {
        appendCell(out, alignedHeader);
    }
}

void OutputFormatter::appendRows(std::string& out, std::u16string_view letterSet,
                                 const engine::WordList& words,
                                 const std::vector<std::uint32_t>& found) const {
    std::string typed;
    if (m_format == OutputFormat::Tsv && !found.empty()) {
        appendUtf8(typed, letterSet);
        typed.push_back('\t');
    }
    for (std::uint32_t position : found) {
        const std::u16string_view word = words[position];
        switch (m_format) {
            case OutputFormat::Words:
                appendUtf8(out, word);
                out.push_back('\n');
                break;
            case OutputFormat::Tsv:
                out += typed;
                appendUtf8(out, word);
                out.push_back('\n');
                break;
            case OutputFormat::Aligned:
                appendCell(out, word);
                break;
        }
    }
}

// One line of the one-column table: the cell, spaces up to the column width, a tab, CR LF.
void OutputFormatter::appendCell(std::string& out, std::u16string_view cell) const {
    appendUtf8(out, cell);
    if (cell.size() < m_columnWidth) {
        out.append(m_columnWidth - cell.size(), ' ');
    }
    out += "\t\r\n";
}

}  // namespace wordloom::cli
