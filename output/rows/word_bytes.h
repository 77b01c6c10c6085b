#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/huge_page_buffer.h"
#include "engine/word_list.h"

namespace wordloom::engine {
class Dictionary;
}

namespace wordloom::rows {

// The UTF-8 bytes of the words of a word list, prepared once. Each word has a 16-byte slot at
// its position: a word of up to 14 bytes (nearly all are) lies in the slot itself, so that a row
// costs one memory access and one 16-byte copy; a longer word's slot names its place in a
// separate block. The slots live in large pages, like the word list itself.
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
    // for length L, bit 31 for 31 and longer) once prepareAll() has run. The list must outlive
    // this object.
    struct Later {};
    WordBytes(const engine::WordList& words, std::uint32_t lengths, Later);

    // Makes the bytes of every word of the lengths chosen (once; a later call does nothing). A
    // run lists only the lengths it asks for, and the words of 2 to 8 letters are under half of
    // a dictionary. Afterwards nothing writes the slots, so several threads may read them.
    void prepareAll();
    bool allPrepared() const { return m_allPrepared; }

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
    std::size_t memoryBytes() const;

private:
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

    bool narrowAscii(std::u16string_view word, Slot& slot);
    void encode(std::u16string_view word, Slot& slot);

    const engine::WordList* m_words;
    std::uint32_t m_lengths;
    engine::HugePageBuffer<Slot> m_slots;  // a slot is read only once it has been written
    bool m_allPrepared = false;
    std::vector<Long> m_long;
    std::string m_longText;
    std::size_t m_longest = 0;
};

// The prepared bytes of the dictionary's words: made on the first call for a dictionary and kept
// while it lives, so that later exports of its words reuse them. User-interface thread only.
std::shared_ptr<const WordBytes> preparedWordBytes(
    const std::shared_ptr<const engine::Dictionary>& dictionary);

}  // namespace wordloom::rows
