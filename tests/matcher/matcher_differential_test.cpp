// The matcher against the literal algorithm on generated dictionaries and letter sets.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "matcher/test_dictionary.h"

namespace wordloom::tests {
namespace {

using engine::LengthMask;

// The window's choices, and the batch tool's longer lengths alone and mixed with short ones.
const LengthMask kFilters[] = {LengthMask::range(2, 8),
                               LengthMask::range(4, 6),
                               LengthMask((1u << 2) | (1u << 8)),
                               LengthMask(0),
                               LengthMask::range(9, 27),
                               LengthMask::range(2, 27),
                               LengthMask((1u << 3) | (1u << 9) | (1u << 14) | (1u << 27))};

std::u16string randomText(std::mt19937& random, const std::u16string& alphabet, int minLength,
                          int maxLength) {
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::u16string text;
    for (int k = length(random); k > 0; --k) {
        text.push_back(alphabet[pick(random)]);
    }
    return text;
}

// Letter sets drawn from the dictionary's own alphabet plus blanks and stray characters, some
// of them anagrams of dictionary words so that long words are found too.
std::vector<std::u16string> letterSetsFor(std::mt19937& random,
                                          const std::vector<std::u16string>& items,
                                          const std::u16string& alphabet, int count) {
    std::vector<std::u16string> sets;
    const std::u16string tiles = alphabet + u"????? 7";
    std::uniform_int_distribution<std::size_t> pickItem(0, items.size() - 1);
    for (int i = 0; i < count; ++i) {
        std::u16string set = randomText(random, tiles, 0, 27);
        if (i % 3 == 0) {
            set = items[pickItem(random)] + randomText(random, tiles, 0, 4);
            std::shuffle(set.begin(), set.end(), random);
        }
        sets.push_back(set);
    }
    return sets;
}

// Each path on its own, so that a path this processor cannot run shows as skipped.
class UnscrambleByPath : public ::testing::TestWithParam<engine::MatchPath> {
protected:
    void SetUp() override {
        if (!engine::MatchPathRuns(GetParam())) {
            GTEST_SKIP() << "this processor lacks the instructions of " << pathName(GetParam())
                         << " (or WORDLOOM_SCAN=portable caps the scans)";
        }
    }

    void expectSameAsLiteral(const TestDictionary& dictionary,
                             const std::vector<std::u16string>& sets,
                             reference::InitialSkip skip) const {
        for (const std::u16string& set : sets) {
            for (const LengthMask& lengths : kFilters) {
                ASSERT_EQ(unscrambleVia(GetParam(), dictionary, set, lengths),
                          literalRows(dictionary, set, lengths, skip))
                    << "letter set of " << set.size() << " code units, lengths " << lengths.bits();
            }
        }
    }
};

INSTANTIATE_TEST_SUITE_P(EveryPath, UnscrambleByPath, ::testing::ValuesIn(kEveryPath),
                         [](const ::testing::TestParamInfo<engine::MatchPath>& info) {
                             return std::string(pathName(info.param));
                         });

// Lower-case a-z words with every initial present: the literal skip is sound and included.
TEST_P(UnscrambleByPath, AgreesWithLiteralSkipOnPlainDictionaries) {
    std::mt19937 random(11);
    const std::u16string alphabet = u"abcdefghijklmnopqrstuvwxyz";
    const std::u16string common = u"aeeinorst";
    for (int round = 0; round < 4; ++round) {
        std::vector<std::u16string> items;
        for (const char16_t initial : alphabet) {
            items.push_back(initial + randomText(random, common, 1, 5));
        }
        for (int i = 0; i < 600; ++i) {
            items.push_back(randomText(random, round % 2 == 0 ? common : alphabet, 2, 11));
        }
        items.push_back(items[5]);  // a duplicate
        const TestDictionary dictionary(items);
        ASSERT_TRUE(dictionary.letterIndexComplete);
        expectSameAsLiteral(dictionary, letterSetsFor(random, items, common + u"bcz", 120),
                            reference::InitialSkip::Use);
    }
}

// Capitals, digits, apostrophes, accented and astral characters, missing initials.
TEST_P(UnscrambleByPath, AgreesWithLiteralOnDictionariesOfAnyCharacters) {
    std::mt19937 random(23);
    const std::u16string alphabets[] = {
        u"abcde",
        u"abcdeABZ1'\u00e9\u00c9",
        u"aeiostAE?\u00df\U0001F600",
        u"xyz",
    };
    for (const std::u16string& alphabet : alphabets) {
        std::vector<std::u16string> items;
        for (int i = 0; i < 400; ++i) {
            items.push_back(randomText(random, alphabet, 0, 10));
        }
        items.push_back(items[7]);
        const TestDictionary dictionary(items);
        expectSameAsLiteral(dictionary, letterSetsFor(random, items, alphabet, 150),
                            reference::InitialSkip::Off);
    }
}

// Mostly long words (up to 30 code units, some not plain, some anagrams of each other), with
// letter sets of up to 27 units and many blanks, so the long lengths are found in numbers.
TEST_P(UnscrambleByPath, AgreesWithLiteralOnLongWords) {
    std::mt19937 random(97);
    const std::u16string alphabets[] = {u"aeinrst", u"abcdefghijklmnopqrstuvwxyz",
                                        u"aeinrstAE'-\u00e9"};
    for (const std::u16string& alphabet : alphabets) {
        std::vector<std::u16string> items;
        for (int i = 0; i < 500; ++i) {
            items.push_back(randomText(random, alphabet, 2, i % 5 == 0 ? 30 : 16));
        }
        for (int i = 0; i < 50; ++i) {
            std::u16string anagram = items[static_cast<std::size_t>(i)];
            std::shuffle(anagram.begin(), anagram.end(), random);
            items.push_back(anagram);
        }
        items.push_back(items[3]);
        const TestDictionary dictionary(items);
        std::vector<std::u16string> sets = letterSetsFor(random, items, alphabet, 150);
        for (std::u16string& set : sets) {
            if (set.size() > 27) {
                set.resize(27);
            }
        }
        sets.emplace_back(27, u'?');
        expectSameAsLiteral(dictionary, sets, reference::InitialSkip::Off);
    }
}

TEST_P(UnscrambleByPath, AgreesOnEmptyAndTinyDictionaries) {
    std::mt19937 random(5);
    const std::vector<std::vector<std::u16string>> dictionaries = {
        {}, {u"ab"}, {u"Ab", u"ab", u"ba"}, {u"a", u"b", u""}};
    for (const auto& items : dictionaries) {
        const TestDictionary dictionary(items);
        expectSameAsLiteral(dictionary, {u"xb", u"ab", u"?", u"??", u"ba?", u""},
                            reference::InitialSkip::Off);
    }
}

}  // namespace
}  // namespace wordloom::tests
