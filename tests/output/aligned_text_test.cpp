#include "output/aligned_text.h"

#include <gtest/gtest.h>

using wordloom::output::alignedText;
using wordloom::platform::TableData;

namespace {

TableData resultList(std::vector<TableData::Row> rows) {
    TableData data;
    data.headers = {u"Unscramble Letters"};
    data.rows = std::move(rows);
    return data;
}

}  // namespace

TEST(AlignedText, EmptyListGivesTheHeaderLineOnly) {
    EXPECT_EQ(alignedText(resultList({})), u"Unscramble Letters\t\r\n");
}

TEST(AlignedText, PadsTickedWordsToTheHeaderAndKeepsThePadding) {
    const std::u16string padding(15, u' ');
    EXPECT_EQ(alignedText(resultList({{{u"cat"}, true}, {{u"act"}, true}})),
              u"Unscramble Letters\t\r\ncat" + padding + u"\t\r\nact" + padding + u"\t\r\n");
}

TEST(AlignedText, UntickedRowsWidenColumnsButWriteNoLine) {
    EXPECT_EQ(alignedText(resultList({{{u"counterrevolutionary"}, false}, {{u"cat"}, false}})),
              u"Unscramble Letters  \t\r\n");
}

TEST(AlignedText, AlignsSeveralColumnsCountingHeadersAndUtf16Units) {
    TableData data;
    data.headers = {u"A", u"Longer"};
    data.rows = {{{u"abc", u"x"}, true}, {{u"d\U0001F600"}, true}, {{u"skipped"}, false}};
    // "skipped" widens column 1 to 7; the emoji counts two code units.
    EXPECT_EQ(alignedText(data),
              u"A      \tLonger\t\r\n"
              u"abc    \tx     \t\r\n"
              u"d\U0001F600    \t      \t\r\n");
}
