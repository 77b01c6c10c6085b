#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/length_filter.h"
#include "engine/letter_index.h"
#include "engine/match_index.h"
#include "engine/word_list.h"
#include "engine/words/matcher.h"
#include "reference/literal_unscramble.h"

namespace wordloom::tests {

// A word list built in memory the way the loader builds it (sorted views, letter index, match
// index), for matcher tests that need no file.
struct TestDictionary {
    engine::WordList words;
    engine::LetterIndex letterIndex;
    engine::MatchIndex matchIndex;
    bool letterIndexComplete = true;

    explicit TestDictionary(const std::vector<std::u16string>& items) {
        for (const std::u16string& item : items) {
            words.append(item);
        }
        words.seal();
        std::sort(words.views().begin(), words.views().end());
        try {
            engine::BuildLetterIndex(words, letterIndex);
        } catch (const engine::TooManyInitialGroups&) {
            letterIndexComplete = false;
        }
        matchIndex.build(words);
    }
    TestDictionary(std::initializer_list<std::u16string> items)
        : TestDictionary(std::vector<std::u16string>(items)) {}

    std::vector<std::u16string> wordsAt(const std::vector<std::uint32_t>& positions) const {
        std::vector<std::u16string> result;
        for (const std::uint32_t position : positions) {
            result.emplace_back(words[position]);
        }
        return result;
    }
};

constexpr engine::MatchPath kEveryPath[] = {
    engine::MatchPath::Automatic, engine::MatchPath::PortableScan, engine::MatchPath::Avx2Scan,
    engine::MatchPath::Avx2ScanUnfiltered, engine::MatchPath::LetterTree};

inline const char* pathName(engine::MatchPath path) {
    switch (path) {
        case engine::MatchPath::Automatic:
            return "Automatic";
        case engine::MatchPath::PortableScan:
            return "PortableScan";
        case engine::MatchPath::Avx2Scan:
            return "Avx2Scan";
        case engine::MatchPath::Avx2ScanUnfiltered:
            return "Avx2ScanUnfiltered";
        case engine::MatchPath::LetterTree:
            return "LetterTree";
    }
    return "Unknown";
}

}  // namespace wordloom::tests

namespace wordloom::engine {

// Test names and failure messages show the path by name.
inline void PrintTo(MatchPath path, std::ostream* out) {
    *out << tests::pathName(path);
}

}  // namespace wordloom::engine

namespace wordloom::tests {

// The paths this processor runs itself; a vector scan it lacks would only repeat a slower scan.
// The tests by path (UnscrambleByPath) report those as skipped.
inline std::vector<engine::MatchPath> runnablePaths() {
    std::vector<engine::MatchPath> paths;
    for (const engine::MatchPath path : kEveryPath) {
        if (engine::MatchPathRuns(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

inline std::vector<std::uint32_t> unscrambleVia(engine::MatchPath path,
                                                const TestDictionary& dictionary,
                                                std::u16string_view letters,
                                                const engine::LengthFilter& lengths) {
    std::vector<std::uint32_t> found{4242};  // the matcher appends; what was there stays
    engine::UnscrambleVia(path, dictionary.words, dictionary.matchIndex, letters, lengths, found);
    if (found.empty() || found.front() != 4242) {
        return {};
    }
    found.erase(found.begin());
    return found;
}

// The literal algorithm without the initial skip: the same rows as with it wherever the skip is
// sound, and the meaning of the matcher on every other dictionary.
inline std::vector<std::uint32_t> literalRows(
    const TestDictionary& dictionary, std::u16string_view letters,
    const engine::LengthFilter& lengths,
    reference::InitialSkip skip = reference::InitialSkip::Off) {
    std::vector<std::uint32_t> found;
    reference::literalUnscramble(dictionary.words, dictionary.letterIndex, letters, lengths, found,
                                 skip);
    return found;
}

}  // namespace wordloom::tests
