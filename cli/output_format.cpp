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

namespace {

// The length of the well-formed UTF-8 sequence at the start of `bytes`, 0 when it is malformed.
std::size_t sequenceLength(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        return 1;
    }
    // The continuation bytes, and the range of the first one (which rules out overlong forms,
    // surrogates and code points above U+10FFFF).
    std::size_t continuations = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() <= continuations) {
        return 0;
    }
    for (std::size_t i = 1; i <= continuations; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return continuations + 1;
}

constexpr char16_t kEscapedByte = 0xDC00;  // a lone low surrogate carries a malformed byte

// Decodes `bytes` one sequence at a time, each byte that starts no valid sequence as a unit of
// its own (kEscapedByte + the byte).
void appendSequences(std::u16string& out, std::string_view bytes) {
    char16_t units[2];
    while (!bytes.empty()) {
        const std::size_t length = sequenceLength(bytes);
        if (length == 0) {
            out += static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(bytes[0]));
            bytes.remove_prefix(1);
            continue;
        }
        char16_t* const end = engine::decodeUtf8Part(bytes.substr(0, length), units);
        out.append(units, static_cast<std::size_t>(end - units));
        bytes.remove_prefix(length);
    }
}

}  // namespace

std::u16string decodeTyped(std::string_view bytes) {
    std::u16string text = engine::decodeUtf8(bytes);
    if (text.find(u'\uFFFD') == std::u16string::npos) {
        return text;
    }
    text.clear();
    appendSequences(text, bytes);
    return text;
}

void appendTypedPart(std::u16string& out, std::string_view bytes) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char16_t* const end = engine::decodeUtf8Part(bytes, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
    if (std::find(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), u'\uFFFD') ==
        out.end()) {
        return;
    }
    out.resize(start);
    appendSequences(out, bytes);
}

void appendTyped(std::string& out, std::u16string_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool loneLow = unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF &&
                             (i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF);
        if (loneLow) {
            appendUtf8(out, text.substr(from, i - from));
            out.push_back(static_cast<char>(unit - kEscapedByte));
            from = i + 1;
        }
    }
    appendUtf8(out, text.substr(from));
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
            appendTyped(typed, letterSet);
            typed.push_back('\t');
            rows::writeRows(out, found, words, typed.size() + 1,
                            [&](char* at, std::uint32_t position) {
                                // A row of bytes, not a C string: no NUL after the copy.
                                // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
                                std::memcpy(at, typed.data(), typed.size());
                                at = rows::writeWord(at + typed.size(), words, position);
                                *at = '\n';
                                return at + 1;
                            });
            break;
        }
        case OutputFormat::Aligned:
            rows::writeRows(out, found, words, m_columnWidth + 3,
                            [&](char* at, std::uint32_t position) {
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
