#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "engine/length_filter.h"
#include "engine/word_list.h"
#include "output/rows/byte_buffer.h"
#include "output/rows/word_bytes.h"

namespace wordloom::cli {

// Turns the words found for one letter set into UTF-8 output lines of the chosen format.
// Safe to use from several threads at once: it holds only settings.
class OutputFormatter {
public:
    OutputFormatter(OutputFormat format, engine::LengthMask lengths);

    // What comes before the first row: the header line of the aligned table, nothing otherwise.
    void appendHeader(std::string& out) const;

    // The rows of one letter set, written from the words' prepared bytes.
    void appendRows(rows::ByteBuffer& out, std::u16string_view letterSet,
                    const rows::WordBytes& words, const std::vector<std::uint32_t>& found) const;

    // The same for a word list without prepared bytes (prepares them first: for small lists).
    void appendRows(std::string& out, std::u16string_view letterSet, const engine::WordList& words,
                    const std::vector<std::uint32_t>& found) const;

private:
    OutputFormat m_format;
    std::size_t m_columnWidth;  // of the aligned table, in UTF-16 code units
};

// Appends `text` as UTF-8; ASCII is copied directly, the rest goes through the engine's encoder.
void appendUtf8(std::string& out, std::u16string_view text);

// A letter set as typed: decoded like any UTF-8, except that each byte of a malformed sequence
// becomes a unit of its own (a lone low surrogate, which no word holds) instead of U+FFFD, so
// that appendTyped() gives back the bytes typed.
std::u16string decodeTyped(std::string_view bytes);
// The same for a part of a longer text, appended to `out`: a byte-order mark is an ordinary
// character there. A part must not end inside a sequence that the next part completes.
void appendTypedPart(std::u16string& out, std::string_view bytes);
void appendTyped(std::string& out, std::u16string_view text);

}  // namespace wordloom::cli
