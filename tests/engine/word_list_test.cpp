#include "engine/word_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace wordloom::engine {
namespace {

std::vector<std::u16string> wordsOf(const WordList& list) {
    return {list.views().begin(), list.views().end()};
}

TEST(WordList, KeepsEveryViewValidWhileTheTextGrows) {
    WordList list;
    std::vector<std::u16string> expected;
    for (int i = 0; i < 100000; ++i) {
        std::u16string word = u"w";
        word += static_cast<char16_t>(u'a' + i % 26);
        word += std::u16string(static_cast<std::size_t>(i % 7), u'z');
        list.append(word);
        expected.push_back(word);
        if (i == 50000) {
            // Views reordered in between still follow the text when it moves.
            std::reverse(list.views().begin(), list.views().end());
            std::reverse(expected.begin(), expected.end());
        }
    }
    list.append(u"");
    expected.emplace_back();
    list.seal();
    EXPECT_EQ(list.size(), expected.size());
    EXPECT_EQ(wordsOf(list), expected);
}

TEST(WordList, TakesWordsWrittenIntoItsFreeRoom) {
    WordList list;
    list.reserve(12, 4);
    ASSERT_GE(list.freeUnits(), 12u);
    char16_t* out = list.freeRoom();
    for (const std::u16string_view word : {u"tea", u"eat", u"ate"}) {
        std::copy(word.begin(), word.end(), out);
        list.appendWritten(out, word.size());
        out += word.size();
    }
    // Units written after the last word are not part of the list.
    *out = u'x';
    EXPECT_EQ(list.textUnits(), 9u);
    list.append(u"tae");
    EXPECT_EQ(wordsOf(list), (std::vector<std::u16string>{u"tea", u"eat", u"ate", u"tae"}));
}

TEST(WordList, GivesBackUnusedViewRoomWhenSealed) {
    WordList list;
    list.reserve(100, 1000);
    list.append(u"ab");
    list.append(u"cd");
    list.seal();
    EXPECT_EQ(list.views().capacity(), 2u);
    EXPECT_EQ(wordsOf(list), (std::vector<std::u16string>{u"ab", u"cd"}));
}

}  // namespace
}  // namespace wordloom::engine
