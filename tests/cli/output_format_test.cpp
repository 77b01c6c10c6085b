#include "cli/output_format.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace wordloom::cli {
namespace {

engine::WordList wordsOf(std::initializer_list<std::u16string_view> words) {
    engine::WordList list;
    for (std::u16string_view word : words) {
        list.append(word);
    }
    list.seal();
    return list;
}

TEST(OutputFormatter, PadsAlignedCellsByUtf16CodeUnitsNotBytes) {
    // "été" is 3 code units in 5 bytes; the clef is one character in 2 code units.
    const engine::WordList words = wordsOf({u"été", u"a\U0001D11E"});
    const OutputFormatter formatter(OutputFormat::Aligned, engine::LengthMask::range(2, 8));
    std::string out;
    formatter.appendHeader(out);
    formatter.appendRows(out, u"ét?a?", words, {0, 1});
    const std::string padding(15, ' ');
    EXPECT_EQ(out, "Unscramble Letters\t\r\n" + ("\xC3\xA9t\xC3\xA9" + padding + "\t\r\n") +
                       ("a\xF0\x9D\x84\x9E" + padding + "\t\r\n"));
}

}  // namespace
}  // namespace wordloom::cli
