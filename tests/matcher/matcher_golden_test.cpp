// Whole runs on stored dictionaries: the tricky dictionary against answers produced by an
// independent implementation, and the bundled dictionary against the literal algorithm.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/dictionary.h"
#include "engine/text.h"
#include "engine/words/matcher.h"
#include "engine/words/run_core.h"
#include "reference/literal_unscramble.h"

namespace wordloom::tests {
namespace {

using engine::LengthMask;

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// "letter set as typed <tab> word" for every row of a run over all letter sets.
std::vector<std::string> runRows(const engine::Dictionary& dictionary,
                                 const std::vector<std::string>& letterSets,
                                 const LengthMask& lengths) {
    std::vector<std::string> rows;
    std::vector<std::uint32_t> found;
    for (const std::string& letterSet : letterSets) {
        found.clear();
        engine::unscrambleLetterSet(dictionary, engine::decodeUtf8(letterSet), lengths, found);
        for (const std::uint32_t position : found) {
            rows.push_back(letterSet + "\t" + engine::encodeUtf8(dictionary.words()[position]));
        }
    }
    return rows;
}

// Loads like start-up does: the tricky dictionary has more initials than the letter index
// holds, which start-up reports before it carries on with the whole list.
std::shared_ptr<const engine::Dictionary> loadAsStartUp(const std::string& path) {
    engine::DictionaryLoader loader(path);
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    EXPECT_THROW(loader.buildIndex(), engine::TooManyInitialGroups);
    return loader.dictionary();
}

class TrickyGolden : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dictionary = loadAsStartUp(WORDLOOM_TEST_DATA_DIR "/tricky.dic");
        s_letterSets = linesOf(readFile(WORDLOOM_TEST_DATA_DIR "/letter-sets.txt"));
    }
    static void TearDownTestSuite() { s_dictionary.reset(); }

    static std::shared_ptr<const engine::Dictionary> s_dictionary;
    static std::vector<std::string> s_letterSets;
};

std::shared_ptr<const engine::Dictionary> TrickyGolden::s_dictionary;
std::vector<std::string> TrickyGolden::s_letterSets;

TEST_F(TrickyGolden, AllLengthsMatchTheStoredRows) {
    EXPECT_EQ(runRows(*s_dictionary, s_letterSets, LengthMask::range(2, 8)),
              linesOf(readFile(WORDLOOM_TEST_DATA_DIR "/tricky-2-8.tsv")));
}

TEST_F(TrickyGolden, FourToSixLettersMatchTheStoredRows) {
    EXPECT_EQ(runRows(*s_dictionary, s_letterSets, LengthMask::range(4, 6)),
              linesOf(readFile(WORDLOOM_TEST_DATA_DIR "/tricky-4-6.tsv")));
}

TEST(BundledDictionary, SampleLetterSetsMatchTheLiteralAlgorithm) {
    const auto dictionary = engine::loadDictionary(WORDLOOM_APP_DIR "/words.dic");
    ASSERT_GT(dictionary->words().size(), 200000u);
    const LengthMask filters[] = {LengthMask::range(2, 8), LengthMask::range(7, 8),
                                  LengthMask::range(9, 27), LengthMask::range(2, 27)};
    for (const LengthMask& lengths : filters) {
        for (const std::u16string letters : {u"tatuprec", u"wireless", u"wire?ess",
                                             u"qu??zzyxjklmnoprstuvwabcdefg", u"unscrambling??"}) {
            std::vector<std::uint32_t> expected;
            reference::literalUnscramble(dictionary->words(), dictionary->letterIndex(), letters,
                                         lengths, expected);
            std::vector<std::uint32_t> actual;
            engine::Unscramble(*dictionary, letters, lengths, actual);
            EXPECT_EQ(actual, expected);
            // Eight letters spell no word of nine or more.
            EXPECT_EQ(actual.empty(), letters.size() == 8 && !lengths.wants(8));
        }
    }
}

// Words of 9 to 27 letters from the bundled dictionary, as counted by an independent script
// (letter counts compared per word, blanks covering the shortfall).
TEST(BundledDictionary, LongWordsMatchAnIndependentCount) {
    const auto dictionary = engine::loadDictionary(WORDLOOM_APP_DIR "/words.dic");
    const LengthMask longLengths = LengthMask::range(9, 27);
    const auto longWords = [&](std::string_view letters) {
        std::vector<std::uint32_t> found;
        engine::unscrambleLetterSet(*dictionary, engine::decodeUtf8(letters), longLengths, found);
        std::vector<std::string> words;
        for (const std::uint32_t position : found) {
            words.push_back(engine::encodeUtf8(dictionary->words()[position]));
        }
        return words;
    };
    using Words = std::vector<std::string>;
    EXPECT_EQ(longWords("WordLoomAnagram"),
              (Words{"grandmama", "mandragora", "monodrama", "wagonload"}));
    // Five copies of s: the words with more than three copies of a letter are spelled out.
    EXPECT_EQ(longWords("possessionless"),
              (Words{"lionesses", "looseness", "noiseless", "possesses", "possession",
                     "possessionless", "possessions", "sesspools", "slipnoose", "spineless"}));
    EXPECT_EQ(
        longWords("unscrambling"),
        (Words{"crumbling", "crumblings", "marblings", "ramblings", "rumblings", "scambling",
               "scrambling", "scumbling", "surnaming", "unbracing", "unscaling", "unscrambling"}));
    EXPECT_EQ(longWords("pos?essions").size(), 29u);
    EXPECT_EQ(longWords("sesquipedalian?").size(), 669u);
    EXPECT_EQ(longWords("incomprehensibility").size(), 716u);
    EXPECT_EQ(longWords("?????????").size(), 36303u);
    EXPECT_EQ(longWords(std::string(22, '?')).size(), 141259u);
    EXPECT_EQ(longWords("unscrambling").size(), 12u);
    EXPECT_EQ(longWords("unscramblin"), Words{});  // 11 letters: nothing of 12
}

}  // namespace
}  // namespace wordloom::tests
