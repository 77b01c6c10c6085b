#pragma once

// Phrase anagrams the slow, obvious way, as the yardstick for the search: every multiset of
// distinct dictionary words (chosen in non-decreasing list order, so each multiset once) whose
// letters are the phrase's letters, blanks standing for whatever letters are left over.

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"
#include "engine/text.h"

namespace wordloom::reference {

struct PhraseAnswer {
    bool error = false;              // the contained words do not fit or hold no letter
    std::vector<std::string> lines;  // sorted
};

inline std::u16string referenceLetters(std::u16string_view text, int* blanks) {
    std::u16string letters;
    for (const char16_t unit : engine::toLowerCase(text)) {
        if (unit == u'?' && blanks != nullptr) {
            ++*blanks;
        } else if (engine::isPhraseLetter(unit)) {
            letters.push_back(unit);
        }
    }
    return letters;
}

class ReferencePhraseSearch {
public:
    ReferencePhraseSearch(std::vector<std::u16string> words, std::u16string_view phrase,
                          const engine::PhraseOptions& options)
        : m_options(options) {
        std::sort(words.begin(), words.end());
        words.erase(std::unique(words.begin(), words.end()), words.end());
        m_allWords = words;
        for (const std::u16string& word : words) {
            const std::u16string letters = engine::toLowerCase(word);
            const bool usable =
                !letters.empty() && letters.size() <= 64 &&
                std::all_of(letters.begin(), letters.end(), engine::isPhraseLetter) &&
                ((options.lengths >> (letters.size() - 1)) & 1u) != 0;
            if (usable) {
                m_words.push_back(word);
                m_letters.push_back(letters);
            }
        }
        m_need = referenceLetters(phrase, &m_blanks);
        for (const char16_t unit : m_need) {
            ++m_have[unit];
        }
    }

    PhraseAnswer run() {
        PhraseAnswer answer;
        std::vector<std::u16string> contained;
        for (const std::u16string& typed : m_options.contain) {
            if (typed.find(u'?') != std::u16string::npos) {
                answer.error = true;
                return answer;
            }
            const std::u16string word = referenceLetters(typed, nullptr);
            if (word.empty()) {
                answer.error = true;
                return answer;
            }
            contained.push_back(word);
        }
        std::map<char16_t, int> used;
        int letters = 0;
        for (const std::u16string& word : contained) {
            for (const char16_t unit : word) {
                ++used[unit];
                ++letters;
            }
        }
        if (deficit(used) > m_blanks) {
            answer.error = true;
            return answer;
        }
        const int total = static_cast<int>(m_need.size()) + m_blanks;
        if (total == 0) {
            return answer;  // an empty phrase has no anagram
        }
        m_lines.clear();
        m_chosen = contained;
        grow(0, used, deficit(used), letters, total);
        answer.lines = m_lines;
        std::sort(answer.lines.begin(), answer.lines.end());
        return answer;
    }

private:
    int deficit(const std::map<char16_t, int>& used) const {
        int missing = 0;
        for (const auto& [unit, count] : used) {
            const auto have = m_have.find(unit);
            missing += std::max(0, count - (have == m_have.end() ? 0 : have->second));
        }
        return missing;
    }

    // Adds (step 1) or takes back (step -1) a word's letters; `missing` counts the letters used
    // beyond the phrase's own.
    void count(const std::u16string& letters, int step, std::map<char16_t, int>& used,
               int& missing) const {
        for (const char16_t unit : letters) {
            const auto have = m_have.find(unit);
            const int own = have == m_have.end() ? 0 : have->second;
            int& now = used[unit];
            if (step > 0) {
                missing += now >= own ? 1 : 0;
                ++now;
            } else {
                --now;
                missing -= now >= own ? 1 : 0;
            }
        }
    }

    void grow(std::size_t from, std::map<char16_t, int>& used, int missing, int letters,
              int total) {
        if (letters == total) {
            if (m_chosen.size() <= m_options.maxWords) {
                record();
            }
            return;
        }
        if (m_chosen.size() >= m_options.maxWords) {
            return;
        }
        for (std::size_t w = from; w < m_words.size(); ++w) {
            const std::u16string& letterText = m_letters[w];
            if (letters + static_cast<int>(letterText.size()) > total) {
                continue;
            }
            int more = missing;
            count(letterText, 1, used, more);
            if (more <= m_blanks) {
                m_chosen.push_back(m_words[w]);
                grow(w, used, more, letters + static_cast<int>(letterText.size()), total);
                m_chosen.pop_back();
            }
            count(letterText, -1, used, more);
        }
    }

    void record() {
        std::vector<std::u16string> words = m_chosen;
        std::sort(words.begin(), words.end(), [](const auto& a, const auto& b) {
            return a.size() != b.size() ? a.size() > b.size() : a < b;
        });
        std::string line = m_options.linePrefix;
        for (std::size_t i = 0; i < words.size(); ++i) {
            line += (i == 0 ? "" : " ") + engine::encodeUtf8(words[i]);
        }
        m_lines.push_back(line);
    }

    engine::PhraseOptions m_options;
    std::vector<std::u16string> m_allWords;
    std::vector<std::u16string> m_words;
    std::vector<std::u16string> m_letters;
    std::u16string m_need;
    int m_blanks = 0;
    std::map<char16_t, int> m_have;
    std::vector<std::u16string> m_chosen;
    std::vector<std::string> m_lines;
};

inline PhraseAnswer referencePhraseAnagrams(const std::vector<std::u16string>& words,
                                            std::u16string_view phrase,
                                            const engine::PhraseOptions& options) {
    return ReferencePhraseSearch(words, phrase, options).run();
}

}  // namespace wordloom::reference
