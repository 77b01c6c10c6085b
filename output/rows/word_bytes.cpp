#include "output/rows/word_bytes.h"

#include <algorithm>

#include "engine/text.h"
#include "output/rows/ascii_blocks.h"

namespace wordloom::rows {

WordBytes::WordBytes(const engine::WordList& words, std::uint32_t lengths, Later)
    : m_words(&words), m_lengths(lengths) {
    m_slots.resize(words.size());
}

void WordBytes::prepareAll() {
    if (m_allPrepared) {
        return;
    }
    // Sixteen code units are read at once where that stays inside the word list's text.
    const std::u16string_view text = m_words->text();
    const char16_t* const textEnd = text.data() + text.size();
    for (std::size_t p = 0; p < m_words->size(); ++p) {
        const std::u16string_view word = (*m_words)[p];
        if (((m_lengths >> std::min<std::size_t>(word.size(), 31)) & 1u) == 0) {
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
}

std::size_t WordBytes::memoryBytes() const {
    return m_slots.capacity() * sizeof(Slot) + m_long.capacity() * sizeof(Long) +
           m_longText.capacity();
}

// A word of up to 14 ASCII code units, with 16 units readable from its start, narrowed into
// its slot at once; false, leaving the slot to the encoder, when it holds anything else.
bool WordBytes::narrowAscii(std::u16string_view word, Slot& slot) {
    if (!narrowAsciiBlock(word.data(), word.size(), slot.bytes)) {
        return false;
    }
    slot.bytes[14] = 0;
    slot.bytes[15] = static_cast<char>(word.size());
    return true;
}

// Any word through the encoder: into its slot when it fits, else into the long words.
void WordBytes::encode(std::u16string_view word, Slot& slot) {
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

}  // namespace wordloom::rows
