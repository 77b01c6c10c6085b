#include "cli/output_format.h"

#include <algorithm>
#include <cstring>

#include "engine/text.h"
#include "output/rows/row_writers.h"

namespace wordloom::cli {

namespace {

constexpr std::u16string_view alignedHeader = u"Unscramble Letters";

// The longest word the run can list: a letter set that runs holds at most 27 code units.
constexpr int longestListedWord = 27;

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
        out.append(text.begin(), text.end());
    } else {
        out += engine::encodeUtf8(text);
    }
}

OutputFormatter::OutputFormatter(OutputFormat format, engine::LengthMask lengths)
    : m_format(format), m_columnWidth(alignedColumnWidth(lengths)) {}

void OutputFormatter::appendHeader(std::string& out) const {
    if (m_format == OutputFormat::Aligned) {
        appendUtf8(out, alignedHeader);
        out.append(m_columnWidth - alignedHeader.size(), ' ');
        out += "\t\r\n";
    }
}

void OutputFormatter::appendRows(rows::ByteBuffer& out, std::u16string_view letterSet,
                                 const rows::WordBytes& words,
                                 const std::vector<std::uint32_t>& found) const {
    if (found.empty()) {
        return;
    }
    switch (m_format) {
        case OutputFormat::Words:
            rows::writeRows(out, found, words, 1, [&](char* at, std::uint32_t position) {
                at = rows::writeWord(at, words, position);
                *at = '\n';
                return at + 1;
            });
            break;
        case OutputFormat::Tsv: {
            std::string typed;
            appendUtf8(typed, letterSet);
            typed.push_back('\t');
            rows::writeRows(out, found, words, typed.size() + 1,
                            [&](char* at, std::uint32_t position) {
                                std::memcpy(at, typed.data(), typed.size());
                                at = rows::writeWord(at + typed.size(), words, position);
                                *at = '\n';
                                return at + 1;
                            });
            break;
        }
        case OutputFormat::Aligned:
            rows::writeRows(
                out, found, words, m_columnWidth + 3, [&](char* at, std::uint32_t position) {
                    return rows::writeAlignedLine(at, words, position, m_columnWidth);
                });
            break;
    }
}

void OutputFormatter::appendRows(std::string& out, std::u16string_view letterSet,
                                 const engine::WordList& words,
                                 const std::vector<std::uint32_t>& found) const {
    const rows::WordBytes prepared(words);
    rows::ByteBuffer written;
    appendRows(written, letterSet, prepared, found);
    out += written.view();
}

}  // namespace wordloom::cli
