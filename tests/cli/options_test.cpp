#include "cli/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace wordloom::cli {
namespace {

ParseResult parse(std::initializer_list<const char*> arguments) {
    std::vector<std::string> texts{"wordloom-unscramble"};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    return parseOptions(static_cast<int>(texts.size()), argv.data());
}

std::uint32_t bitsOf(std::initializer_list<int> lengths) {
    std::uint32_t bits = 0;
    for (int length : lengths) {
        bits |= 1u << length;
    }
    return bits;
}

TEST(ParseOptions, DefaultsListAllLengthsAsWordsOnEveryCore) {
    const ParseResult result = parse({"tca"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.lengths.bits(), bitsOf({2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(result.options.format, OutputFormat::Words);
    EXPECT_EQ(result.options.jobs, 0u);
    EXPECT_EQ(result.options.dictionaryPath, "");
}

TEST(ParseOptions, KeepsLetterSetsAndFilesInCommandLineOrder) {
    const ParseResult result = parse({"abc", "-f", "one.txt", "def", "--file=-", "-l", "3", "ghi"});
    ASSERT_EQ(result.error, "");
    const std::vector<LetterSource>& sources = result.options.sources;
    ASSERT_EQ(sources.size(), 5u);
    const std::vector<std::pair<LetterSource::Kind, std::string>> expected = {
        {LetterSource::Kind::Argument, "abc"},
        {LetterSource::Kind::File, "one.txt"},
        {LetterSource::Kind::Argument, "def"},
        {LetterSource::Kind::File, "-"},
        {LetterSource::Kind::Argument, "ghi"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sources[i].kind, expected[i].first) << i;
        EXPECT_EQ(sources[i].text, expected[i].second) << i;
    }
}

TEST(ParseOptions, TakesLetterSetsThatLookLikeOptionsAfterDoubleDash) {
    const ParseResult result = parse({"-j", "2", "--", "-ab", "--cd"});
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.options.sources.size(), 2u);
    EXPECT_EQ(result.options.sources[0].text, "-ab");
    EXPECT_EQ(result.options.sources[1].text, "--cd");
    EXPECT_EQ(result.options.jobs, 2u);
}

TEST(ParseOptions, AcceptsAttachedAndSeparateValues) {
    const ParseResult result =
        parse({"-l4,6", "--format=tsv", "-j3", "--dictionary", "my.dic", "x?"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.lengths.bits(), bitsOf({4, 6}));
    EXPECT_EQ(result.options.format, OutputFormat::Tsv);
    EXPECT_EQ(result.options.jobs, 3u);
    EXPECT_EQ(result.options.dictionaryPath, "my.dic");
    EXPECT_EQ(parse({"--format", "aligned", "ab"}).options.format, OutputFormat::Aligned);
}

TEST(ParseOptions, NamesTheOffendingOption) {
    EXPECT_EQ(parse({"-x", "ab"}).error, "Unknown option '-x'.");
    EXPECT_EQ(parse({"-hx", "ab"}).error, "Unknown option '-x'.");
    EXPECT_EQ(parse({"--frobnicate=1", "ab"}).error, "Unknown option '--frobnicate'.");
    EXPECT_EQ(parse({"ab", "-d"}).error, "The option '-d' needs a value.");
    EXPECT_EQ(parse({"ab", "--dictionary"}).error, "The option '--dictionary' needs a value.");
    EXPECT_EQ(parse({"ab", "--format"}).error, "The option '--format' needs a value.");
    EXPECT_EQ(parse({"--format", "csv", "ab"}).error,
              "The format must be words, tsv or aligned, not 'csv'.");
    EXPECT_EQ(parse({"-l", "1-8", "ab"}).error,
              "Word lengths must lie between 2 and 8, as in 2-8 or 4,5,6; '1-8' does not.");
    EXPECT_EQ(parse({"-j", "0", "ab"}).error,
              "The number of jobs must be a whole number from 1 to 1024, not '0'.");
}

TEST(ParseOptions, NeedsLetterSetsUnlessAskedForHelpOrVersion) {
    EXPECT_EQ(parse({}).error,
              "No letter sets given: name them as arguments or read them with -f FILE.");
    EXPECT_EQ(parse({"-l", "3"}).error, parse({}).error);
    EXPECT_EQ(parse({"-h"}).error, "");
    EXPECT_TRUE(parse({"--help"}).options.showHelp);
    EXPECT_TRUE(parse({"--version"}).options.showVersion);
}

TEST(ParseLengths, ReadsRangesListsAndMixes) {
    EXPECT_EQ(parseLengths("2-8")->bits(), bitsOf({2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(parseLengths("4,5,6")->bits(), bitsOf({4, 5, 6}));
    EXPECT_EQ(parseLengths("2,4-5,8")->bits(), bitsOf({2, 4, 5, 8}));
    EXPECT_EQ(parseLengths("7")->bits(), bitsOf({7}));
    EXPECT_EQ(parseLengths("5-5,5")->bits(), bitsOf({5}));
}

TEST(ParseLengths, RejectsLengthsOutside2To8AndMalformedLists) {
    for (const char* text : {"1-8", "2-9", "9", "0", "8-2", "", "2-", "-8", ",", "4,,5", "4,", " 4",
                             "4 ", "+4", "a", "2-3-4", "4294967298", "99999999999"}) {
        EXPECT_FALSE(parseLengths(text).has_value()) << "'" << text << "'";
    }
}

TEST(ParseJobs, AcceptsOneTo1024Threads) {
    EXPECT_EQ(parseJobs("1"), 1u);
    EXPECT_EQ(parseJobs("1024"), 1024u);
    for (const char* text : {"0", "1025", "-1", "2x", "", " 2", "4294967297"}) {
        EXPECT_FALSE(parseJobs(text).has_value()) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace wordloom::cli
