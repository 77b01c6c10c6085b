#include "engine/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace wordloom::engine {
namespace {

using namespace std::string_literals;

constexpr char16_t kBad = 0xFFFD;

TEST(DecodeUtf8, DecodesEverySequenceLength) {
    EXPECT_EQ(decodeUtf8("abc"), u"abc");
    EXPECT_EQ(decodeUtf8("caf\xC3\xA9"), u"caf\u00e9");
    EXPECT_EQ(decodeUtf8("\xE2\x82\xAC"), u"\u20ac");
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(decodeUtf8("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(decodeUtf8(""), u"");
    EXPECT_EQ(decodeUtf8("a\0b"s), u"a\0b"s);
}

TEST(DecodeUtf8, DropsOnlyALeadingByteOrderMark) {
    EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF"
                         "abc"),
              u"abc");
    EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF"), u"");
    EXPECT_EQ(decodeUtf8("a\xEF\xBB\xBF"), u"a\uFEFF");
    EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF\xEF\xBB\xBF"), u"\uFEFF");
}

TEST(DecodeUtf8, ReplacesEachMaximalMalformedPart) {
    const std::u16string bad(1, kBad);
    EXPECT_EQ(decodeUtf8("a\x80z"), u"a" + bad + u"z");                // stray continuation
    EXPECT_EQ(decodeUtf8("\xC0\x80"), bad + bad);                      // overlong lead
    EXPECT_EQ(decodeUtf8("\xE0\x80\x80"), bad + bad + bad);            // overlong three bytes
    EXPECT_EQ(decodeUtf8("\xED\xA0\x80"), bad + bad + bad);            // encoded surrogate
    EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);  // above U+10FFFF
    EXPECT_EQ(decodeUtf8("\xE2\x82z"), bad + u"z");                    // cut short
    EXPECT_EQ(decodeUtf8("\xF0\x9F\x98"), bad);                        // cut by the end
    EXPECT_EQ(decodeUtf8("\xF5\xFF"), bad + bad);                      // impossible bytes
    EXPECT_EQ(decodeUtf8("\xC3\xC3\xA9"), bad + u"\u00e9");            // lead after lead
}

TEST(DecodeUtf8Part, KeepsAByteOrderMarkAndEndsAnOpenSequence) {
    std::u16string out(8, u'-');
    char16_t* end = decodeUtf8Part("\xEF\xBB\xBF\xC3", out.data());
    EXPECT_EQ(std::u16string(out.data(), end), u"\uFEFF\uFFFD");
    end = decodeUtf8Part("\xF0\x9F\x98\x80\x80", out.data());
    EXPECT_EQ(std::u16string(out.data(), end), u"\U0001F600\uFFFD");
    EXPECT_EQ(decodeUtf8Part("", out.data()), out.data());
}

TEST(Utf8Decoder, GivesTheWholeTextResultForEverySplit) {
    const std::vector<std::string> samples = {
        // Two literals, so that the byte-order mark's last escape ends before "caf".
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
        "\xEF\xBB\xBF"
        "caf\xC3\xA9",
        "a\xF0\x9F\x98\x80z\xE2\x82\xAC",
        "\xE2\x82z\xF0\x9F\x98",
        "\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\x80",
        "\xEF\xBB",
        "x\xEF\xBB\xBF",
    };
    for (const std::string& sample : samples) {
        const std::u16string whole = decodeUtf8(sample);
        for (std::size_t split = 0; split <= sample.size(); ++split) {
            Utf8Decoder decoder;
            std::u16string text;
            decoder.feed(std::string_view(sample).substr(0, split), text);
            decoder.feed(std::string_view(sample).substr(split), text);
            decoder.finish(text);
            EXPECT_EQ(text, whole) << "split at " << split;
        }
        Utf8Decoder decoder;
        std::u16string text;
        for (const char byte : sample) {
            decoder.feed(std::string_view(&byte, 1), text);
        }
        decoder.finish(text);
        EXPECT_EQ(text, whole);
    }
}

TEST(EncodeUtf8, EncodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(encodeUtf8(u"caf\u00e9 \u20ac \U0001F600"),
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(encodeUtf8(u"a\xD83D"
                         u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(encodeUtf8(u"\xDE00"
                         u"a"),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(encodeUtf8(u"a\xD83D"), "a\xEF\xBF\xBD");
    EXPECT_EQ(encodeUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(EncodeUtf8, RoundTripsEveryKindOfCodePoint) {
    std::mt19937 random(5);
    std::u16string text;
    for (int i = 0; i < 5000; ++i) {
        std::uint32_t codePoint = random() % 0x110000;
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            continue;
        }
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else if (codePoint != 0xFEFF || !text.empty()) {
            text.push_back(static_cast<char16_t>(codePoint));
        }
    }
    EXPECT_EQ(decodeUtf8(encodeUtf8(text)), text);
}

TEST(ToLowerCase, MapsEachCodeUnitAndKeepsTheLength) {
    EXPECT_EQ(toLowerCase(u"TATUPREC?"), u"tatuprec?");
    EXPECT_EQ(toLowerCase(u"\u00c9TUDE \u00c6SIR Zo\u00cb"), u"\u00e9tude \u00e6sir zo\u00eb");
    EXPECT_EQ(toLowerCase(u"\u03a3\u0416"), u"\u03c3\u0436");
    EXPECT_EQ(toLowerCase(u"\U0001F600A"), u"\U0001F600a");
    EXPECT_EQ(toLowerCase(u"\xD83D"
                          u"A"),
              u"\xD83D"
              u"a");

    // Letters whose full lower case is longer than one unit still give exactly one.
    const std::u16string special = u"\u0130\u1E9E\u01C5";
    EXPECT_EQ(toLowerCase(special).size(), special.size());
}

TEST(FileNamePart, TakesTheTextAfterTheLastSeparator) {
    EXPECT_EQ(FileNamePart(u"C:\\letters\\set.txt"), u"set.txt");
    EXPECT_EQ(FileNamePart(u"/home/user/set.txt"), u"set.txt");
    EXPECT_EQ(FileNamePart(u"a/b\\c"), u"c");
    EXPECT_EQ(FileNamePart(u"a\\b/c"), u"c");
    EXPECT_EQ(FileNamePart(u"tatuprec"), u"tatuprec");
    EXPECT_EQ(FileNamePart(u"ends\\"), u"");
    EXPECT_EQ(FileNamePart(u"ends/"), u"");
    EXPECT_EQ(FileNamePart(u""), u"");
}

}  // namespace
}  // namespace wordloom::engine
