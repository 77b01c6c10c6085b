#include "engine/letter_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wordloom::engine {
namespace {

WordList listOf(const std::vector<std::u16string>& words) {
    WordList list;
    for (const auto& word : words) {
        list.append(word);
    }
    list.seal();
    return list;
}

TEST(BuildLetterIndex, GivesTheStartOfEveryLetterGroup) {
    std::vector<std::u16string> words;
    std::vector<std::int32_t> starts;
    for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
        starts.push_back(static_cast<std::int32_t>(words.size()));
        const int count = 1 + (letter % 3);
        for (int i = 0; i < count; ++i) {
            words.emplace_back(2 + i, letter);
        }
    }
    LetterIndex index;
    BuildLetterIndex(listOf(words), index);
    for (int k = 1; k <= 26; ++k) {
        EXPECT_EQ(index.entry(k), starts[static_cast<std::size_t>(k - 1)]) << "entry " << k;
    }
}

TEST(BuildLetterIndex, ShiftsEntriesWhenTheFirstWordDoesNotBeginWithA) {
    LetterIndex index;
    BuildLetterIndex(listOf({u"bat", u"bee", u"cat", u"dog"}), index);
    EXPECT_EQ(index.entry(1), 0);
    EXPECT_EQ(index.entry(2), 0);  // the change from "a" to "b" at position 0
    EXPECT_EQ(index.entry(3), 2);
    EXPECT_EQ(index.entry(4), 3);
    EXPECT_EQ(index.entry(5), 0);  // no further change reaches it
}

TEST(BuildLetterIndex, CountsEveryChangeOfFirstUnit) {
    LetterIndex index;
    index.entries.fill(99);  // left over from before: cleared
    BuildLetterIndex(listOf({u"Zoo", u"ab", u"\u00e9t\u00e9"}), index);
    EXPECT_EQ(index.entry(1), 0);
    EXPECT_EQ(index.entry(2), 0);
    EXPECT_EQ(index.entry(3), 1);
    EXPECT_EQ(index.entry(4), 2);
    EXPECT_EQ(index.entry(26), 0);

    BuildLetterIndex(listOf({}), index);
    for (int k = 1; k <= 26; ++k) {
        EXPECT_EQ(index.entry(k), 0);
    }
}

TEST(BuildLetterIndex, StopsAtATwentySeventhGroupKeepingTheEntries) {
    std::vector<std::u16string> words = {u"ab", u"ac"};
    for (char16_t initial = u'b'; initial <= u'z'; ++initial) {
        words.emplace_back(2, initial);
    }
    words.emplace_back(u"\u00e9t\u00e9");  // 27th initial
    words.emplace_back(u"\u00fcber");      // never reached
    LetterIndex index;
    try {
        BuildLetterIndex(listOf(words), index);
        FAIL() << "no exception";
    } catch (const TooManyInitialGroups& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The dictionary has words beginning with more than 26 different characters "
                  "(the first extra one at word 28); keep only words of the lower-case letters "
                  "a to z in the dictionary file.");
    }
    for (int k = 2; k <= 26; ++k) {
        EXPECT_EQ(index.entry(k), k) << "entry " << k;
    }
}

}  // namespace
}  // namespace wordloom::engine
