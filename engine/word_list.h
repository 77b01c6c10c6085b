#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "huge_page_buffer.h"

namespace wordloom::engine {

// The dictionary words in memory: all text in one contiguous UTF-16 buffer, the words as views
// into it. Sorting reorders the views only; the text itself never moves once read. Both buffers
// are large and filled once at start-up, so they live in huge pages (see huge_page_buffer.h).
class WordList {
public:
    using Views = HugePageVector<std::u16string_view>;

    WordList() = default;
    WordList(WordList&&) noexcept = default;
    WordList& operator=(WordList&&) noexcept = default;

    // Adds a word at the end. The views stay valid: when the text buffer has to grow, they are
    // moved along with it.
    void append(std::u16string_view word) {
        if (word.size() > m_text.capacity() - m_text.size()) {
            growText(std::max(m_text.size() + word.size(), 2 * m_text.capacity()));
        }
        char16_t* const at = m_text.end();
        std::copy(word.begin(), word.end(), at);
        appendWritten(at, word.size());
    }

    // Makes room for a list about to be read (totals: text units and words), so that growing
    // the buffers does not copy them again and again.
    void reserve(std::size_t textUnits, std::size_t wordCount) {
        if (textUnits > m_text.capacity()) {
            growText(textUnits);
        }
        m_words.reserve(wordCount);
    }

    // For readers that decode straight into the list: the free room after the text, which
    // reserve() sizes. A reader writes a word there and adds it with appendWritten(); whatever
    // it writes beyond the words it adds is not part of the list.
    char16_t* freeRoom() { return m_text.end(); }
    std::size_t freeUnits() const { return m_text.capacity() - m_text.size(); }

    // Adds the `length` units at `word` as the next word; they lie in the free room, from where
    // the previous word ended.
    void appendWritten(const char16_t* word, std::size_t length) {
        m_words.emplace_back(word, length);
        m_text.resize(static_cast<std::size_t>(word + length - m_text.data()));
    }

    // Ends reading: gives back view room that a generous reserve() left unused.
    void seal() {
        if (m_words.capacity() - m_words.size() > m_words.size() / 4) {
            Views(m_words.begin(), m_words.end()).swap(m_words);
        }
    }

    std::size_t size() const { return m_words.size(); }
    std::u16string_view operator[](std::size_t position) const { return m_words[position]; }

    // The views themselves, for the sort, which exchanges them in place.
    Views& views() { return m_words; }
    const Views& views() const { return m_words; }

    std::size_t textUnits() const { return m_text.size(); }
    // The text for a caller that rewrites the words in place, unit for unit: every view stays
    // valid and keeps its length.
    char16_t* mutableText() { return m_text.data(); }
    // All the words' text, in the order read; every view lies inside it.
    std::u16string_view text() const { return {m_text.data(), m_text.size()}; }

private:
    // Moves the text to a buffer of `capacity` units and the views along with it.
    void growText(std::size_t capacity) {
        HugePageBuffer<char16_t> grown;
        grown.reserve(capacity);
        grown.append(m_text.data(), m_text.size());
        for (std::u16string_view& word : m_words) {
            word = {grown.data() + (word.data() - m_text.data()), word.size()};
        }
        m_text = std::move(grown);
    }

    HugePageBuffer<char16_t> m_text;
    Views m_words;
};

}  // namespace wordloom::engine
