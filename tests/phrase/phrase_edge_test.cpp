// The phrase rules, the line layout, the options' failure paths and how a search stops.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "phrase/phrase_test_support.h"

namespace wordloom::tests {
namespace {

using engine::PhraseError;
using engine::PhraseOptions;

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PhraseError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(PhraseParse, DropsNonLettersLowersAndCountsBlanks) {
    const engine::Phrase phrase = engine::parsePhrase(u"Slot-Ma'chines, 42 ?\u00c9?");
    EXPECT_EQ(phrase.letters, u"slotmachines\u00e9");
    EXPECT_EQ(phrase.blanks, 2);
    EXPECT_EQ(phrase.size(), 15);
}

TEST(PhraseParse, TakesSixtyFourLettersAndRefusesMore) {
    EXPECT_EQ(engine::parsePhrase(std::u16string(63, u'a') + u"?").size(), 64);
    EXPECT_EQ(engine::parsePhrase(std::u16string(64, u'a') + u" -!").size(), 64);
    EXPECT_EQ(messageOf([] { engine::parsePhrase(std::u16string(64, u'b') + u"?"); }),
              "a phrase can hold at most 64 letters and blanks; this one has 65");
}

// A phrase built without parsePhrase is held to the same limit by the search itself.
TEST(PhraseParse, SearchRefusesAnOverlongPhraseBuiltByHand) {
    const PhraseDictionary dictionary({u"aa", u"a"});
    engine::Phrase phrase;
    phrase.letters = std::u16string(100, u'a');
    StringSink sink;
    EXPECT_THROW(engine::searchPhrase(*dictionary.index, phrase, {}, sink), PhraseError);
    phrase.letters = std::u16string(64, u'a');
    phrase.blanks = 1;
    EXPECT_THROW(engine::searchPhraseParallel(*dictionary.index, phrase, {}, sink, 2), PhraseError);
    phrase.blanks = 0;
    PhraseOptions options;
    options.lengths = engine::phraseLengthsBetween(1, 1);
    EXPECT_EQ(engine::searchPhrase(*dictionary.index, phrase, options, sink).anagrams, 1u);
    std::string line = "a";
    for (int i = 1; i < 64; ++i) {
        line += " a";
    }
    EXPECT_EQ(sink.text, line + "\n");
}

TEST(PhraseLines, LongestFirstThenWordListOrderRepeatsAllowedDuplicatesOnce) {
    const PhraseDictionary dictionary({u"ab", u"ba", u"ab", u"c", u"abc", u"ca", u"b"});
    PhraseOptions options;
    options.lengths = engine::phraseLengthsBetween(1, 64);
    // "ab" twice in the list still makes each anagram once; "ab ab" uses one word twice.
    EXPECT_EQ(searchText(dictionary, u"abab", options), "ab ab\nab ba\nba ba\n");
    std::vector<std::string> lines = splitLines(searchText(dictionary, u"cab", options));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"ab c", "abc", "ba c", "ca b"}));
}

TEST(PhraseLines, LengthsLimitTheWordsAndTheDefaultIsTwoOrMore) {
    const PhraseDictionary dictionary({u"a", u"ab", u"b", u"ba"});
    EXPECT_EQ(searchText(dictionary, u"ab", PhraseOptions{}), "ab\nba\n");
    PhraseOptions options;
    options.lengths = engine::phraseLengthsBetween(1, 1);
    EXPECT_EQ(searchText(dictionary, u"ab", options), "a b\n");
}

// Words with a character that is not a letter never take part; capitals match their lower-case
// letters and print as the list holds them.
TEST(PhraseLines, DictionaryWordsWithNonLettersAreLeftOutCapitalsMatchLowered) {
    const PhraseDictionary dictionary({u"don't", u"dont", u"Paris", u"pairs", u"r2d2", u"rd"});
    std::vector<std::string> lines = splitLines(searchText(dictionary, u"D-O-N-T", {}));
    EXPECT_EQ(lines, std::vector<std::string>{"dont"});
    lines = splitLines(searchText(dictionary, u"Sir Pa", {}));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"Paris", "pairs"}));
    EXPECT_EQ(searchText(dictionary, u"rrdd", {}), "rd rd\n");
}

TEST(PhraseLines, BlanksStandForOneLetterEach) {
    const PhraseDictionary dictionary({u"ab", u"ba", u"cd", u"abcd", u"zz"});
    std::vector<std::string> lines = splitLines(searchText(dictionary, u"a?", {}));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "ba"}));
    lines = splitLines(searchText(dictionary, u"????", {}));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"ab ab", "ab ba", "ab cd", "ab zz", "abcd", "ba ba",
                                               "ba cd", "ba zz", "cd cd", "cd zz", "zz zz"}));
    EXPECT_EQ(searchText(dictionary, u"", {}), "");
    EXPECT_EQ(searchText(dictionary, u"?-!", {}), "");
}

TEST(PhraseLines, LinePrefixStartsEveryLineAndMayNotHoldALineEnd) {
    const PhraseDictionary dictionary({u"ab", u"ba"});
    PhraseOptions options;
    options.linePrefix = "B A\t";
    EXPECT_EQ(searchText(dictionary, u"B A", options), "B A\tab\nB A\tba\n");
    options.linePrefix = "a\nb";
    EXPECT_EQ(messageOf([&] { searchText(dictionary, u"ab", options); }),
              "the line prefix may not hold a line end");
}

TEST(PhraseContain, ContainedWordsComeOutOfThePhraseAndCountAsWords) {
    const PhraseDictionary dictionary({u"ab", u"cd", u"dc", u"abcd"});
    PhraseOptions options;
    options.contain = {u"C-D"};
    EXPECT_EQ(searchText(dictionary, u"abcd", options), "ab cd\n");
    options.contain = {u"ab", u"cd"};
    EXPECT_EQ(searchText(dictionary, u"dcba", options), "ab cd\n");
    options.maxWords = 1;
    EXPECT_EQ(searchText(dictionary, u"dcba", options), "");
    // A contained word need not be in the dictionary, nor within the lengths.
    options = {};
    options.contain = {u"x"};
    options.maxWords = 2;
    EXPECT_EQ(searchText(dictionary, u"abx", options), "ab x\n");
    EXPECT_EQ(searchText(dictionary, u"b?A", options), "ab x\n");
}

TEST(PhraseContain, WordsThatDoNotFitOrHoldNoLetterAreErrors) {
    const PhraseDictionary dictionary({u"ab"});
    PhraseOptions options;
    options.contain = {u"ab", u"Cab"};
    EXPECT_EQ(messageOf([&] { searchText(dictionary, u"abab", options); }),
              "the phrase does not hold the letters of \"ab cab\"");
    // A blank may supply the missing letter.
    EXPECT_EQ(searchText(dictionary, u"abab?", options), "cab ab\n");
    options.contain = {u"--"};
    EXPECT_EQ(messageOf([&] { searchText(dictionary, u"abab", options); }),
              "a word to contain holds no letter: \"--\"");
    options.contain = {u"a?"};
    EXPECT_EQ(messageOf([&] { searchText(dictionary, u"abab", options); }),
              "a word to contain cannot hold a blank: \"a?\"");
}

// Enough anagrams to fill many buffers.
std::vector<std::u16string> manyAnagramWords() {
    std::vector<std::u16string> items;
    for (char16_t a = u'a'; a <= u'h'; ++a) {
        for (char16_t b = u'a'; b <= u'h'; ++b) {
            items.push_back(std::u16string{a, b});
        }
    }
    return items;
}
constexpr std::u16string_view kManyAnagrams = u"aabbccddeeffgghh";

// The sink's answer stops the search at once: no further write, on every job count.
class StopAfter final : public engine::PhraseSink {
public:
    explicit StopAfter(int writes) : m_writes(writes) {}
    bool write(std::string_view lines) override {
        ++calls;
        bytes += lines.size();
        return calls < m_writes;
    }
    int calls = 0;
    std::size_t bytes = 0;

private:
    int m_writes;
};

TEST(PhraseStop, SinkRefusalEndsTheSearchAtOnce) {
    const PhraseDictionary dictionary(manyAnagramWords());
    const engine::Phrase phrase = engine::parsePhrase(kManyAnagrams);
    for (const unsigned jobs : {1u, 2u, 4u}) {
        StopAfter sink(2);
        engine::PhraseControl control;
        const engine::PhraseOutcome outcome = engine::searchPhraseParallel(
            *dictionary.index, phrase, PhraseOptions{}, sink, jobs, &control);
        EXPECT_EQ(sink.calls, 2) << "jobs " << jobs;
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(outcome.anagrams, control.delivered.load());
        EXPECT_GT(outcome.anagrams, 0u);
    }
}

class ThrowingSink final : public engine::PhraseSink {
public:
    bool write(std::string_view) override { throw std::runtime_error("cannot write: EPIPE"); }
};

TEST(PhraseStop, SinkExceptionReachesTheCaller) {
    const PhraseDictionary dictionary(manyAnagramWords());
    const engine::Phrase phrase = engine::parsePhrase(kManyAnagrams);
    for (const unsigned jobs : {1u, 2u, 3u}) {
        ThrowingSink sink;
        EXPECT_THROW(
            engine::searchPhraseParallel(*dictionary.index, phrase, PhraseOptions{}, sink, jobs),
            std::runtime_error);
    }
}

TEST(PhraseStop, ControlFlagStopsTheSearch) {
    const PhraseDictionary dictionary(manyAnagramWords());
    const engine::Phrase phrase = engine::parsePhrase(kManyAnagrams);
    for (const unsigned jobs : {1u, 2u}) {
        StopAfter sink(1000000);
        engine::PhraseControl control;
        control.stop = true;
        const engine::PhraseOutcome outcome = engine::searchPhraseParallel(
            *dictionary.index, phrase, PhraseOptions{}, sink, jobs, &control);
        EXPECT_TRUE(outcome.stopped);
        EXPECT_LE(sink.calls, 1);
    }
}

// A watcher raising the flag while lines flow (here: the sink itself, on its first write).
class StopFlagOnFirstWrite final : public engine::PhraseSink {
public:
    explicit StopFlagOnFirstWrite(engine::PhraseControl& control) : m_control(control) {}
    bool write(std::string_view) override {
        ++calls;
        m_control.stop = true;
        return true;
    }
    int calls = 0;

private:
    engine::PhraseControl& m_control;
};

TEST(PhraseStop, ControlFlagRaisedDuringTheSearchStopsIt) {
    const PhraseDictionary dictionary(manyAnagramWords());
    const engine::Phrase phrase = engine::parsePhrase(kManyAnagrams);
    for (const unsigned jobs : {1u, 2u, 3u}) {
        engine::PhraseControl control;
        StopFlagOnFirstWrite sink(control);
        const engine::PhraseOutcome outcome = engine::searchPhraseParallel(
            *dictionary.index, phrase, PhraseOptions{}, sink, jobs, &control);
        EXPECT_TRUE(outcome.stopped) << "jobs " << jobs;
        EXPECT_EQ(sink.calls, 1) << "jobs " << jobs;
    }
}

}  // namespace
}  // namespace wordloom::tests
