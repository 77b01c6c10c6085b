#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"
#include "engine/word_list.h"

namespace wordloom::tests {

// A word list built in memory the way the loader builds it, with its phrase index.
struct PhraseDictionary {
    engine::WordList words;
    std::unique_ptr<engine::PhraseIndex> index;

    explicit PhraseDictionary(const std::vector<std::u16string>& items) {
        for (const std::u16string& item : items) {
            words.append(item);
        }
        words.seal();
        std::sort(words.views().begin(), words.views().end());
        index = std::make_unique<engine::PhraseIndex>(words);
    }
};

// Collects everything written, counting the calls.
class StringSink final : public engine::PhraseSink {
public:
    bool write(std::string_view lines) override {
        ++calls;
        text.append(lines);
        return true;
    }
    std::string text;
    int calls = 0;
};

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The search's output for a phrase, as text; jobs 1 takes the single-threaded path.
inline std::string searchText(const PhraseDictionary& dictionary, std::u16string_view phrase,
                              const engine::PhraseOptions& options, unsigned jobs = 1) {
    StringSink sink;
    const engine::Phrase parsed = engine::parsePhrase(phrase);
    const engine::PhraseOutcome outcome =
        jobs == 1 ? engine::searchPhrase(*dictionary.index, parsed, options, sink)
                  : engine::searchPhraseParallel(*dictionary.index, parsed, options, sink, jobs);
    if (outcome.anagrams != splitLines(sink.text).size()) {
        throw std::logic_error("the outcome's count differs from the lines written");
    }
    return sink.text;
}

inline std::u16string randomText(std::mt19937& random, std::u16string_view alphabet, int from,
                                 int to) {
    std::uniform_int_distribution<int> length(from, to);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::u16string text;
    for (int i = length(random); i > 0; --i) {
        text.push_back(alphabet[pick(random)]);
    }
    return text;
}

}  // namespace wordloom::tests
