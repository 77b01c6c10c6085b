#include "engine/words/run_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/dictionary.h"
#include "engine/length_filter.h"
#include "temp_file.h"

namespace wordloom::engine {
namespace {

TEST(IsRunnableLetterSet, AcceptsTwoToTwentySevenCodeUnits) {
    EXPECT_FALSE(isRunnableLetterSet(u""));
    EXPECT_FALSE(isRunnableLetterSet(u"a"));
    EXPECT_TRUE(isRunnableLetterSet(u"ab"));
    EXPECT_TRUE(isRunnableLetterSet(std::u16string(27, u'q')));
    EXPECT_FALSE(isRunnableLetterSet(std::u16string(28, u'q')));
    EXPECT_TRUE(isRunnableLetterSet(u"\U0001F600"));  // one character, two code units
}

TEST(UnscrambleLetterSet, MatchesCapitalsAsLowerCaseAndSkipsUnrunnableSets) {
    tests::TempFile file("eat\r\ntea\r\nate\r\nat\r\n\u00e9t\u00e9\r\nzz\r\n");
    const auto dictionary = loadDictionary(file.path());
    const auto all = LengthMask::range(2, 8);

    std::vector<std::uint32_t> lower;
    unscrambleLetterSet(*dictionary, u"tea", all, lower);
    std::vector<std::uint32_t> upper;
    unscrambleLetterSet(*dictionary, u"TEA", all, upper);
    EXPECT_EQ(lower.size(), 4u);  // at, ate, eat, tea
    EXPECT_EQ(upper, lower);

    std::vector<std::uint32_t> accented;
    unscrambleLetterSet(*dictionary, u"\u00c9T\u00c9", all, accented);
    ASSERT_EQ(accented.size(), 1u);
    EXPECT_EQ(dictionary->words()[accented[0]], u"\u00e9t\u00e9");

    std::vector<std::uint32_t> found = {7};
    unscrambleLetterSet(*dictionary, u"z", all, found);
    unscrambleLetterSet(*dictionary, std::u16string(28, u'z'), all, found);
    EXPECT_EQ(found, (std::vector<std::uint32_t>{7}));
}

TEST(UnscrambleLetterSet, FindsNothingInAnEmptyDictionary) {
    tests::TempFile file("");
    const auto dictionary = loadDictionary(file.path());
    std::vector<std::uint32_t> found;
    unscrambleLetterSet(*dictionary, u"ab?", LengthMask::range(2, 8), found);
    EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace wordloom::engine
