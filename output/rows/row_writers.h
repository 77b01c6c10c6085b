#pragma once

// Result rows to bytes, shared by the batch tool, the clipboard text and the text export. Each
// writer writes at `at`, which needs room for the row and ByteBuffer::kSlack more bytes, and
// returns the end of what it wrote: a short word is copied as one fixed-size block, and the end
// then moves by the word's true length.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "output/rows/byte_buffer.h"
#include "output/rows/word_bytes.h"

namespace wordloom::rows {

// The word's bytes.
inline char* writeWord(char* at, const WordBytes& words, std::uint32_t position) {
    const WordBytes::Slot& slot = words.slot(position);
    const auto length = static_cast<unsigned char>(slot.bytes[15]);
    if (length != WordBytes::kLong) {
        std::memcpy(at, slot.bytes, sizeof slot.bytes);  // the bytes after the word are scratch
        return at + length;
    }
    const std::string_view word = words[position];
    std::memcpy(at, word.data(), word.size());
    return at + word.size();
}

// `count` spaces.
inline char* writeSpaces(char* at, std::size_t count) {
    static constexpr char spaces[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                        ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                        ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    if (count <= sizeof spaces) {
        std::memcpy(at, spaces, sizeof spaces);
    } else {
        std::memset(at, ' ', count);
    }
    return at + count;
}

// One line of a one-column aligned table: the word, spaces up to `width` code units (none when
// the word is wider), a tab, CR LF.
inline char* writeAlignedLine(char* at, const WordBytes& words, std::uint32_t position,
                              std::size_t width) {
    char* end = writeWord(at, words, position);
    const std::size_t units = words.units(position);
    if (units < width) {
        end = writeSpaces(end, width - units);
    }
    std::memcpy(end, "\t\r\n", 4);
    return end + 3;
}

// How many rows ahead a writer of a long list asks for a word's slot, and the asking: the slots
// of a list's words lie far apart, and a slot asked for this far ahead has arrived by the time
// its row is written. Worth about a quarter of the text export's processor time on a million
// rows (wordloom-output-bench prints it on and off).
constexpr std::size_t kPrefetchRows = 16;
inline void prefetchSlot(const WordBytes& words, std::uint32_t position) {
    __builtin_prefetch(&words.slot(position));
}

// Writes one row per position with `write(at, position)`, where a row takes at most the word's
// bytes and `overhead` more. Room is asked for many rows at once when every word is short, and
// row by row otherwise, so that one very long word cannot make every row's room huge.
template <class Positions, class Write>
void writeRows(ByteBuffer& out, const Positions& positions, const WordBytes& words,
               std::size_t overhead, Write&& write) {
    constexpr std::size_t kShortRow = 256;
    constexpr std::size_t kRowsAtOnce = 4096;
    const std::size_t count = std::size(positions);
    if (words.longest() + overhead <= kShortRow) {
        for (std::size_t from = 0; from < count; from += kRowsAtOnce) {
            const std::size_t to = std::min(count, from + kRowsAtOnce);
            char* at = out.room((to - from) * (words.longest() + overhead));
            for (std::size_t i = from; i < to; ++i) {
                at = write(at, positions[i]);
            }
            out.commit(at);
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        char* at = out.room(words.byteLength(positions[i]) + overhead);
        out.commit(write(at, positions[i]));
    }
}

}  // namespace wordloom::rows
