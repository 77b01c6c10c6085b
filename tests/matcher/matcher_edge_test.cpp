// The matcher's rules, each checked on every search path.

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "matcher/test_dictionary.h"

namespace wordloom::tests {
namespace {

using engine::LengthMask;
using Words = std::vector<std::u16string>;

const LengthMask kAllLengths = LengthMask::range(2, 8);

// The words found on every path; all paths must agree with each other and with the literal
// algorithm.
Words found(const TestDictionary& dictionary, std::u16string_view letters,
            const engine::LengthFilter& lengths = kAllLengths) {
    const std::vector<std::uint32_t> expected = literalRows(dictionary, letters, lengths);
    for (const engine::MatchPath path : runnablePaths()) {
        EXPECT_EQ(unscrambleVia(path, dictionary, letters, lengths), expected)
            << "path " << pathName(path);
    }
    return dictionary.wordsAt(expected);
}

// Records which lengths the matcher asks about.
class RecordingFilter final : public engine::LengthFilter {
public:
    explicit RecordingFilter(std::uint32_t bits) : m_mask(bits) {}
    bool wants(int length) const override {
        asked.insert(length);
        return m_mask.wants(length);
    }
    mutable std::set<int> asked;

private:
    LengthMask m_mask;
};

TEST(Unscramble, FindsEveryWordTheTilesSpellInWordListOrder) {
    const TestDictionary dictionary{u"cat", u"act", u"tac", u"at", u"cats", u"dog"};
    EXPECT_EQ(found(dictionary, u"tca"), (Words{u"act", u"at", u"cat", u"tac"}));
    EXPECT_EQ(found(dictionary, u"tca", LengthMask::range(2, 2)), (Words{u"at"}));
    EXPECT_EQ(found(dictionary, u"tca", LengthMask::range(4, 8)), Words{});
}

TEST(Unscramble, UsesEachTileOnce) {
    const TestDictionary dictionary{u"baa", u"abb", u"bab"};
    EXPECT_EQ(found(dictionary, u"aab"), (Words{u"baa"}));
    EXPECT_EQ(found(dictionary, u"abb"), (Words{u"abb", u"bab"}));
    EXPECT_EQ(found(dictionary, u"ab"), Words{});
}

TEST(Unscramble, BlankStandsInOnlyForWhatIsMissing) {
    const TestDictionary dictionary{u"aa", u"ab", u"bb", u"abc", u"Aa", u"don't", u"dont"};
    EXPECT_EQ(found(dictionary, u"a?"), (Words{u"Aa", u"aa", u"ab"}));
    EXPECT_EQ(found(dictionary, u"aa"), (Words{u"aa"}));
    EXPECT_EQ(found(dictionary, u"??"), (Words{u"Aa", u"aa", u"ab", u"bb"}));
    EXPECT_EQ(found(dictionary, u"don?t"), (Words{u"don't", u"dont"}));
}

TEST(Unscramble, ListsWordsOfNineToTwentySevenOnlyWhenTheFilterWantsThem) {
    const std::u16string alphabet = u"abcdefghijklmnopqrstuvwxyz";
    const std::u16string longest = alphabet + u"a";  // 27 code units
    const TestDictionary dictionary{u"abcdefghi",   u"abcdefgh",   u"Abcdefghi",
                                    u"ab",          u"abcdefghij", longest,
                                    longest + u"b", u"ihgfedcba",  u"don't-stop"};
    EXPECT_EQ(found(dictionary, u"abcdefghi?"), (Words{u"ab", u"abcdefgh"}));
    EXPECT_EQ(found(dictionary, u"abcdefghi?", LengthMask::range(2, 27)),
              (Words{u"Abcdefghi", u"ab", u"abcdefgh", u"abcdefghi", u"abcdefghij", u"ihgfedcba"}));
    EXPECT_EQ(found(dictionary, u"abcdefghi", LengthMask::range(9, 27)),
              (Words{u"abcdefghi", u"ihgfedcba"}));
    EXPECT_EQ(found(dictionary, u"abcdefghi?", LengthMask::range(10, 10)), (Words{u"abcdefghij"}));
    EXPECT_EQ(found(dictionary, u"??????????"), (Words{u"ab", u"abcdefgh"}));
    EXPECT_EQ(found(dictionary, u"d?n'ts-top", LengthMask::range(9, 27)), (Words{u"don't-stop"}));
    // 27 code units at most: the 28-unit word stays out even when every tile is a blank.
    EXPECT_EQ(found(dictionary, longest, LengthMask::range(27, 27)), (Words{longest}));
    EXPECT_EQ(found(dictionary, longest + u"b", LengthMask(0xFFFFFFFF)),
              found(dictionary, longest, LengthMask(0xFFFFFFFF)));
    EXPECT_EQ(found(dictionary, std::u16string(40, u'?'), LengthMask::range(20, 31)),
              (Words{longest}));
}

TEST(Unscramble, AsksAboutLongLengthsOnceOnlyWhenTheLetterSetCouldSpellThem) {
    const TestDictionary dictionary{u"ab", u"abcdefghi", u"abcdefghijkl", u"abcdefgh"};
    const auto asked = [&](std::u16string_view letters) {
        RecordingFilter everyLength(0xFFFFFFFF);
        for (const engine::MatchPath path : runnablePaths()) {
            unscrambleVia(path, dictionary, letters, everyLength);
        }
        return everyLength.asked;
    };
    // Short sets never cost a question about long words; long sets ask about the long lengths
    // the dictionary has and the set could hold, whether or not a word of them matched.
    EXPECT_EQ(asked(u"abcdefgh"), (std::set<int>{2, 8}));
    EXPECT_EQ(asked(u"abcdefghzz"), (std::set<int>{2, 8, 9}));
    EXPECT_EQ(asked(std::u16string(27, u'x')), (std::set<int>{9, 12}));
}

TEST(Unscramble, NeverListsWordsLongerThanTheLetterSet) {
    const TestDictionary dictionary{u"abc", u"ab", u"a\u00e9"};
    EXPECT_EQ(found(dictionary, u"??"), (Words{u"ab", u"a\u00e9"}));
    EXPECT_EQ(found(dictionary, u"?"), Words{});
}

TEST(Unscramble, AsksOnlyAboutLengthsOfWordsThatMatched) {
    const TestDictionary dictionary{u"at", u"cat", u"dogs", u"Tact"};
    RecordingFilter onlyThree(1u << 3);
    for (const engine::MatchPath path : runnablePaths()) {
        EXPECT_EQ(dictionary.wordsAt(unscrambleVia(path, dictionary, u"tac", onlyThree)),
                  (Words{u"cat"}));
    }
    EXPECT_EQ(onlyThree.asked, (std::set<int>{2, 3}));
}

// A length filter that fails (the window's check boxes can) once it is asked about `failAt`.
class FailingFilter final : public engine::LengthFilter {
public:
    explicit FailingFilter(int failAt) : m_failAt(failAt) {}
    bool wants(int length) const override {
        if (length == m_failAt) {
            throw std::runtime_error("Cannot read the check box.");
        }
        return true;
    }

private:
    int m_failAt;
};

TEST(Unscramble, FailingFilterAddsNoRowAndLeavesTheNextCallIntact) {
    // "ac" is found before the first word of three letters.
    const TestDictionary dictionary{u"ac", u"at", u"cat", u"act", u"Cat"};
    for (const engine::MatchPath path : runnablePaths()) {
        std::vector<std::uint32_t> found{7};
        EXPECT_THROW(engine::UnscrambleVia(path, dictionary.words, dictionary.matchIndex, u"tca",
                                           FailingFilter(3), found),
                     std::runtime_error);
        EXPECT_EQ(found, (std::vector<std::uint32_t>{7}));
        EXPECT_EQ(dictionary.wordsAt(unscrambleVia(path, dictionary, u"ta", kAllLengths)),
                  (Words{u"at"}))
            << "path " << pathName(path);
    }
}

TEST(Unscramble, FailingFilterForALongLengthAddsNoRow) {
    const TestDictionary dictionary{u"ab", u"abcdefghi", u"abcdefghij"};
    for (const engine::MatchPath path : runnablePaths()) {
        std::vector<std::uint32_t> found{7};
        EXPECT_THROW(engine::UnscrambleVia(path, dictionary.words, dictionary.matchIndex,
                                           u"abcdefghij", FailingFilter(10), found),
                     std::runtime_error);
        EXPECT_EQ(found, (std::vector<std::uint32_t>{7}));
        EXPECT_EQ(dictionary.wordsAt(
                      unscrambleVia(path, dictionary, u"abcdefghij", LengthMask::range(2, 27))),
                  (Words{u"ab", u"abcdefghi", u"abcdefghij"}))
            << "path " << pathName(path);
    }
}

// The long-word tables are built by the first search that wants them; several threads may be
// first at once (the batch tool's jobs), and every one must see complete tables.
TEST(Unscramble, ThreadsThatFirstWantLongWordsTogetherAllFindThem) {
    std::vector<std::u16string> items;
    for (int i = 0; i < 3000; ++i) {
        std::u16string word;
        for (int k = 0; k < 9 + i % 7; ++k) {
            word.push_back(static_cast<char16_t>(u'a' + (i * 7 + k * k) % 11));
        }
        items.push_back(word);
    }
    const TestDictionary dictionary(items);
    const LengthMask longLengths = LengthMask::range(9, 27);
    const std::u16string letters = u"abcdefghijk?abcdefghijk";
    const std::vector<std::uint32_t> expected = literalRows(dictionary, letters, longLengths);
    ASSERT_GT(expected.size(), 100u);
    std::vector<std::vector<std::uint32_t>> rows(4);
    std::vector<std::thread> threads;
    // NOLINTNEXTLINE(modernize-loop-convert): each thread takes its index by value
    for (std::size_t t = 0; t < rows.size(); ++t) {
        threads.emplace_back([&, t] {
            rows[t] = unscrambleVia(engine::MatchPath::Automatic, dictionary, letters, longLengths);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::vector<std::uint32_t>& found : rows) {
        EXPECT_EQ(found, expected);
    }
}

TEST(Unscramble, PassesOverAnInitialGroupAndStillExaminesTheNext) {
    std::vector<std::u16string> items;
    for (char16_t initial = u'a'; initial <= u'z'; ++initial) {
        items.push_back(std::u16string{initial, u'e'});
        items.push_back(std::u16string{initial, initial, u'e'});
    }
    const TestDictionary dictionary(items);
    ASSERT_TRUE(dictionary.letterIndexComplete);
    const std::vector<std::uint32_t> withSkip =
        literalRows(dictionary, u"eee", kAllLengths, reference::InitialSkip::Use);
    EXPECT_EQ(dictionary.wordsAt(withSkip), (Words{u"ee", u"eee"}));
    EXPECT_EQ(found(dictionary, u"eee"), (Words{u"ee", u"eee"}));
}

TEST(Unscramble, KeepsDuplicateWords) {
    const TestDictionary dictionary{u"tea", u"eat", u"tea", u"Tea"};
    const std::vector<std::uint32_t> rows =
        unscrambleVia(engine::MatchPath::Automatic, dictionary, u"ate", kAllLengths);
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(found(dictionary, u"ate"), (Words{u"eat", u"tea", u"tea"}));
}

TEST(Unscramble, ListsNothingForTilesNoWordUses) {
    const TestDictionary dictionary{u"ab", u"cd", u"Ab"};
    EXPECT_EQ(found(dictionary, u"12 #"), Words{});
    EXPECT_EQ(found(dictionary, u""), Words{});
}

TEST(Unscramble, MatchesAnyCodeUnitIncludingSurrogateHalves) {
    const std::u16string grin = u"\U0001F600";  // two code units
    const TestDictionary dictionary{u"a" + grin, grin, u"\u00e9t\u00e9", u"ete"};
    EXPECT_EQ(found(dictionary, u"a??"), (Words{u"a" + grin, grin}));
    EXPECT_EQ(found(dictionary, grin + u"a"), (Words{u"a" + grin, grin}));
    EXPECT_EQ(found(dictionary, u"\u00e9\u00e9t"), (Words{u"\u00e9t\u00e9"}));
}

TEST(Unscramble, ManyBlanksListEveryWordUpToTheirNumber) {
    const TestDictionary dictionary{u"ab", u"abcdefgh", u"zzzzzzzz", u"Zz9'", u"abcdefghi"};
    EXPECT_EQ(found(dictionary, u"?????????"), (Words{u"Zz9'", u"ab", u"abcdefgh", u"zzzzzzzz"}));
    EXPECT_EQ(found(dictionary, u"???"), (Words{u"ab"}));
}

}  // namespace
}  // namespace wordloom::tests
