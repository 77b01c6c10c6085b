#pragma once

// Result rows to bytes, fast: shared by the batch tool, the clipboard text and the text export.
//
// Every word's UTF-8 bytes are prepared once per dictionary (WordBytes), so a row costs a copy of
// a few bytes and its padding instead of an allocation and a UTF-16 round trip. Rows are written
// into a ByteBuffer that keeps spare room past its end: a short word is copied as one fixed-size
// block, and the end then moves by the word's true length.

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/huge_page_buffer.h"
#include "engine/text.h"
#include "engine/word_list.h"

namespace wordloom::engine {
class Dictionary;
}

namespace wordloom::output {

// A growing byte buffer whose memory is kept when it is cleared, so that writing the next letter
// set or the next export reuses pages the process already has.
class ByteBuffer {
public:
    // Bytes past the reserved room that a writer may overwrite (whole-block copies, padding).
    static constexpr std::size_t kSlack = 64;

    const char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::size_t capacity() const { return m_capacity; }
    std::string_view view() const { return {m_data.get(), m_size}; }
    void clear() { m_size = 0; }

    // Where the next `bytes` bytes go; kSlack more may be written there as scratch.
    char* room(std::size_t bytes) {
        if (m_capacity - m_size < bytes + kSlack) {
            grow(bytes + kSlack);
        }
        return m_data.get() + m_size;
    }
    // Ends a write that started at room(): `end` is one past its last byte.
    void commit(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }

    void append(std::string_view bytes) {
        if (bytes.empty()) {
            return;  // an empty view may have no data at all
        }
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        m_size += bytes.size();
    }

private:
    // Large buffers come in 2 MiB pages, which fault in far faster than small ones.
    struct Release {
        std::size_t bytes;
        void operator()(char* block) const noexcept { engine::releaseBlock(block, bytes); }
    };

    void grow(std::size_t needed) {
        const std::size_t capacity = std::max({m_capacity * 2, m_size + needed, std::size_t{4096}});
        std::unique_ptr<char[], Release> grown(static_cast<char*>(engine::allocateBlock(capacity)),
                                               Release{capacity});
        if (m_size != 0) {
            std::memcpy(grown.get(), m_data.get(), m_size);
        }
        m_data = std::move(grown);
        m_capacity = capacity;
    }

    std::unique_ptr<char[], Release> m_data{nullptr, Release{0}};
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The UTF-8 bytes of the words of a word list, prepared once. Each word has a 16-byte slot at
// its position: a word of up to 14 bytes (nearly all are) lies in the slot itself, so that a row
// costs one memory access and one 16-byte copy; a longer word's slot names its place in a
// separate block. Nearly every word is ASCII and is narrowed sixteen units at a time; the rest go
// through the encoder. The slots live in large pages, like the word list itself.
class WordBytes {
public:
    struct alignas(16) Slot {
        // bytes[0..13]: the word; bytes[14]: UTF-8 bytes minus UTF-16 code units; bytes[15]: the
        // byte length, or kLong, when bytes[0..3] hold the word's index among the long words.
        char bytes[16];
    };
    static constexpr std::size_t kInSlot = 14;
    static constexpr unsigned char kLong = 0xFF;
    static constexpr std::uint32_t kEveryLength = ~std::uint32_t{0};

    // Every word's bytes, made now. The list must outlive this object.
    explicit WordBytes(const engine::WordList& words) : WordBytes(words, kEveryLength, Later{}) {
        prepareAll();
    }

    // The slots now, the bytes later: a caller can take the memory before it knows whether it
    // will write rows at all. Rows may then name the words of the lengths in `lengths` (bit L
    // for length L, bit 31 for 31 and longer) once prepareAll() has run, or those prepareNamed()
    // has made. The list must outlive this object.
    struct Later {};
    WordBytes(const engine::WordList& words, std::uint32_t lengths, Later)
        : m_words(&words), m_lengths(lengths) {
        m_slots.resize(words.size());
    }

    // Makes the bytes of every word of the lengths chosen (once; a later call does nothing). A
    // run lists only the lengths it asks for, and the words of 2 to 8 letters are under half of
    // a dictionary. Afterwards nothing writes the slots, so several threads may read them.
    void prepareAll() {
        if (m_allPrepared) {
            return;
        }
        // Sixteen code units are read at once where that stays inside the word list's text.
        const std::u16string_view text = m_words->text();
        const char16_t* const textEnd = text.data() + text.size();
        for (std::size_t p = 0; p < m_words->size(); ++p) {
            const std::u16string_view word = (*m_words)[p];
            if (((m_lengths >> std::min<std::size_t>(word.size(), 31)) & 1u) == 0 ||
                (!m_named.empty() && isNamed(p))) {
                continue;
            }
            Slot& slot = m_slots.data()[p];
            if (word.size() <= kInSlot && textEnd - word.data() >= 16 && narrowAscii(word, slot)) {
                m_longest = std::max(m_longest, word.size());
                continue;
            }
            encode(word, slot);
        }
        m_allPrepared = true;
        m_named = {};
        m_pending = {};
    }
    bool allPrepared() const { return m_allPrepared; }

    // Makes the bytes of the words at `positions` that have none yet, for a single thread that
    // writes the rows of a few thousand letter sets, which name a small part of a large list:
    // the words first named lie far apart, so their loads are started a few words ahead. Once the
    // rows have named many words (a 256th of the list at once, or an eighth of it in all),
    // prepareAll() makes the rest, which in list order costs less per word.
    void prepareNamed(const std::vector<std::uint32_t>& positions) {
        if (m_allPrepared) {
            return;
        }
        const std::size_t listed = m_slots.size();
        if (positions.size() > listed / 256 || m_namedCount > listed / 8) {
            prepareAll();
            return;
        }
        if (m_named.empty()) {
            m_named.assign((listed + 63) / 64, 0);
        }
        m_pending.clear();
        for (const std::uint32_t position : positions) {
            if (!isNamed(position)) {
                __builtin_prefetch(&m_words->views()[position]);
                m_pending.push_back(position);
            }
        }
        constexpr std::size_t kAhead = 8;
        for (std::size_t i = 0; i < m_pending.size(); ++i) {
            if (i + kAhead < m_pending.size()) {
                const std::uint32_t later = m_pending[i + kAhead];
                __builtin_prefetch((*m_words)[later].data());
                __builtin_prefetch(m_slots.data() + later, 1);
            }
            const std::uint32_t position = m_pending[i];
            if (isNamed(position)) {
                continue;  // named twice in one call
            }
            const std::u16string_view word = (*m_words)[position];
            Slot& slot = m_slots.data()[position];
            if (!narrowAsciiUnits(word, slot)) {
                encode(word, slot);
            }
            m_named[position >> 6] |= std::uint64_t{1} << (position & 63);
            ++m_namedCount;
        }
    }

    std::size_t size() const { return m_slots.size(); }
    const Slot& slot(std::uint32_t position) const { return m_slots.data()[position]; }
    std::string_view operator[](std::uint32_t position) const {
        const Slot& s = m_slots.data()[position];
        const auto length = static_cast<unsigned char>(s.bytes[15]);
        if (length != kLong) {
            return {s.bytes, length};
        }
        const Long& word = m_long[longIndex(s)];
        return {m_longText.data() + word.offset, word.length};
    }
    std::size_t byteLength(std::uint32_t position) const { return (*this)[position].size(); }
    // The word's length in UTF-16 code units, which is what padding counts.
    std::size_t units(std::uint32_t position) const {
        const Slot& s = m_slots.data()[position];
        const auto length = static_cast<unsigned char>(s.bytes[15]);
        if (length != kLong) {
            return length - static_cast<unsigned char>(s.bytes[14]);
        }
        return m_long[longIndex(s)].units;
    }
    // The most bytes any word takes.
    std::size_t longest() const { return m_longest; }
    std::size_t memoryBytes() const {
        return m_slots.capacity() * sizeof(Slot) + m_long.capacity() * sizeof(Long) +
               m_longText.capacity() + m_named.capacity() * sizeof(std::uint64_t);
    }

private:
    // A word of up to 14 ASCII code units, with 16 units readable from its start, narrowed into
    // its slot at once; false, leaving the slot to the encoder, when it holds anything else.
    static bool narrowAscii(std::u16string_view word, Slot& slot) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(word.data()));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(word.data() + 8));
        // Two mask bits per code unit below 0x80, for the word's own units only.
        const __m128i above = _mm_set1_epi16(static_cast<short>(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        const auto ascii = static_cast<std::uint32_t>(_mm_movemask_epi8(
                               _mm_cmpeq_epi16(_mm_and_si128(low, above), zero))) |
                           static_cast<std::uint32_t>(
                               _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(high, above), zero)))
                               << 16;
        const std::uint32_t used = (std::uint32_t{1} << (2 * word.size())) - 1;
        if ((ascii & used) != used) {
            return false;
        }
        const __m128i narrow = _mm_packus_epi16(low, high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(slot.bytes), narrow);
        slot.bytes[14] = 0;
        slot.bytes[15] = static_cast<char>(word.size());
        return true;
    }

    bool isNamed(std::size_t position) const {
        return ((m_named[position >> 6] >> (position & 63)) & 1u) != 0;
    }

    // A word of up to 14 ASCII code units narrowed unit by unit, which needs nothing readable
    // past its end; false, leaving the slot to the encoder, when it holds anything else.
    bool narrowAsciiUnits(std::u16string_view word, Slot& slot) {
        if (word.size() > kInSlot) {
            return false;
        }
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (word[k] >= 0x80) {
                return false;
            }
            slot.bytes[k] = static_cast<char>(word[k]);
        }
        slot.bytes[14] = 0;
        slot.bytes[15] = static_cast<char>(word.size());
        m_longest = std::max(m_longest, word.size());
        return true;
    }

    // Any word through the encoder: into its slot when it fits, else into the long words.
    void encode(std::u16string_view word, Slot& slot) {
        const std::string encoded = engine::encodeUtf8(word);
        m_longest = std::max(m_longest, encoded.size());
        // UTF-8 never takes fewer bytes than UTF-16 takes code units.
        if (encoded.size() <= kInSlot) {
            std::memcpy(slot.bytes, encoded.data(), encoded.size());
            slot.bytes[14] = static_cast<char>(encoded.size() - word.size());
            slot.bytes[15] = static_cast<char>(encoded.size());
            return;
        }
        const auto index = static_cast<std::uint32_t>(m_long.size());
        m_long.push_back({m_longText.size(), encoded.size(), word.size()});
        m_longText += encoded;
        std::memcpy(slot.bytes, &index, sizeof index);
        slot.bytes[15] = static_cast<char>(kLong);
    }

    struct Long {
        std::size_t offset;
        std::size_t length;
        std::size_t units;
    };
    static std::uint32_t longIndex(const Slot& slot) {
        std::uint32_t index = 0;
        std::memcpy(&index, slot.bytes, sizeof index);
        return index;
    }

    const engine::WordList* m_words;
    std::uint32_t m_lengths;
    engine::HugePageBuffer<Slot> m_slots;  // a slot is read only once it has been written
    bool m_allPrepared = false;
    std::vector<std::uint64_t> m_named;    // prepareNamed()'s words, bit by position
    std::vector<std::uint32_t> m_pending;  // its words named for the first time
    std::size_t m_namedCount = 0;
    std::vector<Long> m_long;
    std::string m_longText;
    std::size_t m_longest = 0;
};

// The prepared bytes of the dictionary's words: made on the first call for a dictionary and kept
// while it lives, so that later exports of its words reuse them. User-interface thread only.
std::shared_ptr<const WordBytes> preparedWordBytes(
    const std::shared_ptr<const engine::Dictionary>& dictionary);

// ---- Row writers. Each writes at `at`, which needs room for the row and ByteBuffer::kSlack more
// bytes, and returns the end of what it wrote.

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

// Writes one row per position with `write(at, position)`, where a row takes at most the word's
// bytes and `overhead` more. Room is asked for many rows at once when every word is short, and
// row by row otherwise, so that one very long word cannot make every row's room huge.
template <class Positions, class Write>
void writeRows(ByteBuffer& out, const Positions& positions, const WordBytes& words,
               std::size_t overhead, Write&& write) {
    constexpr std::size_t kShortRow = 256;
    constexpr std::size_t kRowsAtOnce = 4096;
    constexpr std::size_t kPrefetchRows = 8;
    const std::size_t count = std::size(positions);
    if (words.longest() + overhead <= kShortRow) {
        for (std::size_t from = 0; from < count; from += kRowsAtOnce) {
            const std::size_t to = std::min(count, from + kRowsAtOnce);
            char* at = out.room((to - from) * (words.longest() + overhead));
            for (std::size_t i = from; i < to; ++i) {
                // The slots of a letter set's words lie far apart: ask for one a few rows ahead.
                if (i + kPrefetchRows < count) {
                    __builtin_prefetch(&words.slot(positions[i + kPrefetchRows]));
                }
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

}  // namespace wordloom::output
