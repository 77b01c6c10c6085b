// The search on the bundled dictionary. The expected sets were checked by hand against Debian's
// `an` (`an -d words.dic -m 2 dormitory`; for the blank, `an` over dormitora ... dormitorz):
// the same word multisets, listed here by count and a hash of the sorted lines.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/dictionary.h"
#include "phrase/phrase_test_support.h"

namespace wordloom::tests {
namespace {

std::uint64_t hashOfSortedLines(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const std::string& line : lines) {
        for (const char c : line + "\n") {
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
        }
    }
    return hash;
}

TEST(PhraseBundledDictionary, SameAnagramsAsAnWithAndWithoutABlank) {
    const auto dictionary = engine::loadDictionary(WORDLOOM_APP_DIR "/words.dic");
    const engine::PhraseIndex index(dictionary->words());
    struct Case {
        std::u16string_view phrase;
        std::size_t count;
        std::uint64_t hash;
    };
    for (const Case& c : {Case{u"Dormitory", 1073, 0x7c40f9d9bfbeb51cu},
                          Case{u"dormitor?", 31793, 0x0d59e8e0c60748e1u}}) {
        for (const unsigned jobs : {1u, 2u}) {
            StringSink sink;
            const engine::PhraseOutcome outcome = engine::searchPhraseParallel(
                index, engine::parsePhrase(c.phrase), engine::PhraseOptions{}, sink, jobs);
            const std::vector<std::string> lines = splitLines(sink.text);
            EXPECT_EQ(outcome.anagrams, c.count);
            ASSERT_EQ(lines.size(), c.count);
            EXPECT_EQ(hashOfSortedLines(lines), c.hash);
            EXPECT_NE(std::find(lines.begin(), lines.end(), "dirty room"), lines.end());
        }
    }
}

}  // namespace
}  // namespace wordloom::tests
