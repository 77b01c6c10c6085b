#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::engine {

// The dictionary words in memory: all text in one contiguous UTF-16 buffer, the words as views
// into it. Sorting reorders the views only; the text itself never moves once sealed.
class WordList {
public:
    // Adds a word while the list is being read. Views are handed out only after seal(), because
    // the buffer may still grow and move until then.
    void append(std::u16string_view word) {
        m_spans.push_back({static_cast<std::uint32_t>(m_text.size()),
                           static_cast<std::uint32_t>(word.size())});
        m_text.append(word);
    }

    // Makes room for a list about to be read, so that growing the buffer does not copy it
    // again and again (noticeable at start-up with a quarter of a million words).
    void reserve(std::size_t textUnits, std::size_t wordCount) {
        m_text.reserve(textUnits);
        m_spans.reserve(wordCount);
    }

    // Ends reading: builds the views over the final buffer.
    void seal() {
        m_words.clear();
        m_words.reserve(m_spans.size());
        for (const Span& span : m_spans) {
            m_words.emplace_back(m_text.data() + span.offset, span.length);
        }
        m_spans.clear();
        m_spans.shrink_to_fit();
    }

    std::size_t size() const { return m_words.size(); }
    std::u16string_view operator[](std::size_t position) const { return m_words[position]; }

    // The views themselves, for the sort, which exchanges them in place.
    std::vector<std::u16string_view>& views() { return m_words; }
    const std::vector<std::u16string_view>& views() const { return m_words; }

    std::size_t textUnits() const { return m_text.size(); }

private:
    struct Span {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::u16string m_text;
    std::vector<Span> m_spans;
    std::vector<std::u16string_view> m_words;
};

}  // namespace wordloom::engine
