#include "cli/options.h"
#include "cli/unscramble_tool.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace wordloom::cli {
namespace {

ParseResult parse(const std::vector<std::string>& arguments, bool inputIsTerminal = true) {
    std::vector<std::string> texts{"wordloom-unscramble"};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    return parseOptions(static_cast<int>(texts.size()), argv.data(), inputIsTerminal);
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
    EXPECT_EQ(parse({"-y", "ab"}).error, "unknown option '-y'");
    EXPECT_EQ(parse({"-hy", "ab"}).error, "unknown option '-y'");
    EXPECT_EQ(parse({"--frobnicate=1", "ab"}).error, "unknown option '--frobnicate'");
    EXPECT_EQ(parse({"--help=1"}).error, "option '--help' takes no value");
    EXPECT_EQ(parse({"ab", "-d"}).error, "option '-d' needs a value");
    EXPECT_EQ(parse({"ab", "--dictionary"}).error, "option '--dictionary' needs a value");
    EXPECT_EQ(parse({"ab", "--format"}).error, "option '--format' needs a value");
    EXPECT_EQ(parse({"--format", "csv", "ab"}).error,
              "invalid format 'csv': use words, tsv or aligned");
    EXPECT_EQ(parse({"-l", "1-8", "ab"}).error,
              "invalid word lengths '1-8': lengths lie between 2 and 27, as in 2-8, 4,5,6 or 9-");
    EXPECT_EQ(parse({"-l", "28", "-a", "ab"}).error, "");
    EXPECT_EQ(parse({"-a", "-l", "65", "ab"}).error,
              "invalid word lengths '65': lengths lie between 1 and 64, as in 3- or 2-8");
    EXPECT_EQ(parse({"-j", "0", "ab"}).error,
              "invalid number of jobs '0': use a whole number from 1 to 1024");
}

TEST(ParseOptions, ReadsStandardInputWithoutLetterSetsUnlessItIsATerminal) {
    EXPECT_EQ(parse({}).error,
              "no letter sets given: name them as arguments or read them with -f FILE");
    EXPECT_EQ(parse({"-l", "3"}).error, parse({}).error);

    const ParseResult piped = parse({"-l", "3"}, false);
    ASSERT_EQ(piped.error, "");
    ASSERT_EQ(piped.options.sources.size(), 1u);
    EXPECT_EQ(piped.options.sources[0].kind, LetterSource::Kind::File);
    EXPECT_EQ(piped.options.sources[0].text, "-");
    // Letter sets or files on the command line leave standard input alone.
    for (const ParseResult& given : {parse({"ab"}, false), parse({"-f", "x.txt"}, false)}) {
        ASSERT_EQ(given.options.sources.size(), 1u);
        EXPECT_NE(given.options.sources[0].text, "-");
    }
    // Help and version need no letter sets and read nothing.
    for (const char* option : {"-h", "--help", "-V", "--version"}) {
        EXPECT_EQ(parse({option}).error, "") << option;
        EXPECT_TRUE(parse({option}, false).options.sources.empty()) << option;
    }
    EXPECT_TRUE(parse({"--help"}).options.showHelp);
    EXPECT_TRUE(parse({"-V"}).options.showVersion);
}

// The getopt tables, the help and the manual are all made from the option table: each of its
// options must be understood under both its names and shown in the help and the manual.
TEST(OptionTable, EveryOptionIsUnderstoodAndDocumented) {
    const std::string help = usageText();
    const std::string manual = manualOptions();
    for (const OptionEntry& entry : optionTable()) {
        std::vector<std::string> names{"--" + std::string(entry.longName)};
        std::string label = "--" + std::string(entry.longName);
        std::string manualLabel = R"(\fB\-\-)" + std::string(entry.longName) + R"(\fR)";
        if (entry.shortName != 0) {
            names.push_back({'-', entry.shortName});
            label = std::string{'-', entry.shortName, ',', ' '} + label;
            manualLabel = std::string("\\fB\\-") + entry.shortName + "\\fR, " + manualLabel;
        }
        if (entry.argument != nullptr) {
            label.append(" ").append(entry.argument);
            manualLabel.append(" \\fI").append(entry.argument).append("\\fR");
        }
        for (const std::string& name : names) {
            // A value that is wrong for every option that takes one: only the value is refused.
            const ParseResult result = parse({name.c_str(), "", "ab"});
            EXPECT_EQ(result.error.find("unknown option"), std::string::npos) << result.error;
        }
        EXPECT_NE(help.find("  " + label + " "), std::string::npos) << label;
        EXPECT_NE(manual.find(".TP\n" + manualLabel + "\n"), std::string::npos) << manualLabel;
    }
}

TEST(UsageText, WrapsWithinEightyColumns) {
    std::istringstream lines(usageText());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 79u) << line;
        EXPECT_FALSE(line.ends_with(' ')) << line;
        ++count;
    }
    EXPECT_GT(count, 10);
}

// Roff treats a backslash, and a dot or quote at the start of a line, as commands: the text of
// the option table must reach the page as text.
TEST(ManualOptions, WritesTheOptionTableAsPlainRoffLines) {
    const std::string manual = manualOptions();
    EXPECT_EQ(manual.rfind(".SH OPTIONS\n", 0), 0u);
    std::istringstream lines(manual);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LT(line.size(), 80u) << line;
        ASSERT_FALSE(line.empty());
        if (line[0] == '.') {
            EXPECT_TRUE(line == ".TP" || line == ".IP" || line == ".br" || line == ".SH OPTIONS")
                << line;
        }
        EXPECT_EQ(line.find(" -"), std::string::npos) << "an option's dash as a hyphen: " << line;
    }
    EXPECT_NE(manual.find("Read letter sets from \\fIFILE\\fR, one per line; \"\\-\" reads"),
              std::string::npos);
}

// Bit n - 1 for length n.
std::uint64_t phraseBits(std::initializer_list<int> lengths) {
    std::uint64_t bits = 0;
    for (int length : lengths) {
        bits |= std::uint64_t{1} << (length - 1);
    }
    return bits;
}

TEST(ParseLengths, ReadsRangesListsOpenRangesAndMixes) {
    EXPECT_EQ(parseLengths("2-8", 27), phraseBits({2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(parseLengths("4,5,6", 27), phraseBits({4, 5, 6}));
    EXPECT_EQ(parseLengths("2,4-5,8", 27), phraseBits({2, 4, 5, 8}));
    EXPECT_EQ(parseLengths("7", 27), phraseBits({7}));
    EXPECT_EQ(parseLengths("5-5,5", 27), phraseBits({5}));
    EXPECT_EQ(parseLengths("25-", 27), phraseBits({25, 26, 27}));
    EXPECT_EQ(parseLengths("2,26-", 27), phraseBits({2, 26, 27}));
    EXPECT_EQ(parseLengths("27-", 27), phraseBits({27}));
    EXPECT_EQ(parseLengths("2-", 64), engine::phraseLengthsBetween(2, 64));
    EXPECT_EQ(parseLengths("64", 64), phraseBits({64}));
    EXPECT_EQ(wordLengthMask(*parseLengths("9-", 27)).bits(),
              engine::LengthMask::range(9, 27).bits());
}

TEST(ParseLengths, RejectsLengthsOutOfRangeAndMalformedLists) {
    for (const char* text :
         {"1-8", "2-28", "28",    "28-",  "0",          "8-2",         "",
          "-",   "-8",   ",",     "4,,5", "4,",         " 4",          "4 ",
          "+4",  "a",    "2-3-4", "2--",  "4294967298", "99999999999", "999999999999999999999-"}) {
        EXPECT_FALSE(parseLengths(text, 27).has_value()) << "'" << text << "'";
    }
    EXPECT_FALSE(parseLengths("65", 64).has_value());
    EXPECT_FALSE(parseLengths("2-65", 64).has_value());
}

TEST(ParseOptions, TakesPhraseModeAndItsOptions) {
    const ParseResult result = parse({"-a", "--max-words", "3", "-c", " slot  mach-ine ", "-c", "x",
                                      "-n", "123456789012", "-l", "3-", "slot machines"});
    ASSERT_EQ(result.error, "");
    const Options& options = result.options;
    EXPECT_TRUE(options.anagrams);
    EXPECT_EQ(options.maxWords, 3u);
    EXPECT_EQ(options.contain, (std::vector<std::string>{"slot", "mach-ine", "x"}));
    EXPECT_EQ(options.limit, 123456789012u);
    EXPECT_EQ(options.phraseLengths, engine::phraseLengthsBetween(3, 64));
    // Without -l every word length from 2 on.
    EXPECT_EQ(parse({"--anagrams", "ab"}).options.phraseLengths,
              engine::phraseLengthsBetween(2, 64));
    EXPECT_EQ(parse({"-a", "--format", "tsv", "ab"}).options.format, OutputFormat::Tsv);
    // Word mode takes lengths up to 27, and open ranges.
    EXPECT_EQ(parse({"-l", "9-", "ab"}).options.lengths.bits(),
              engine::LengthMask::range(9, 27).bits());
}

TEST(ParseOptions, RefusesPhraseOptionsThatCannotApply) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--max-words", "2", "ab"}, "option '--max-words' works only with -a (phrase mode)"},
        {{"-n", "2", "ab"}, "option '-n' works only with -a (phrase mode)"},
        {{"-c", "ab", "ab"}, "option '-c' works only with -a (phrase mode)"},
        {{"-a", "--format", "aligned", "ab"},
         "the aligned format does not go with -a: use words or tsv"},
        {{"-a", "--max-words", "0", "ab"},
         "invalid number of words '0': use a whole number of 1 or more"},
        {{"-a", "-n", "-1", "ab"},
         "invalid limit '-1': use a whole number of anagrams of 1 or more"},
        {{"-a", "-n", "0", "ab"}, "invalid limit '0': use a whole number of anagrams of 1 or more"},
        {{"-a", "-c", "sl?t", "ab"}, "invalid word to contain 'sl?t': it cannot hold a \"?\""},
        {{"-a", "-c", "ab 12", "ab"}, "invalid word to contain '12': it holds no letter"},
        {{"-a", "-c", "  ", "ab"}, "option '-c' needs at least one word"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(parse(arguments).error, message);
    }
}

// A phrase on the command line that can never run stops the tool before anything runs.
TEST(ParseOptions, RefusesPhraseArgumentsOfMoreThan64Letters) {
    const std::string fits = std::string(63, 'a') + "?" + std::string(100, ' ') + "-'1";
    const std::string tooLong = std::string(64, 'a') + "?";
    EXPECT_EQ(parse({"-a", fits.c_str()}).error, "");
    EXPECT_EQ(
        parse({"-a", "ab", tooLong.c_str()}).error,
        "the phrase '" + tooLong + "' is too long: a phrase holds at most 64 letters and blanks");
    EXPECT_EQ(parse({tooLong.c_str()}).error, "");  // word mode passes over it
}

TEST(ParseJobs, AcceptsOneTo1024Threads) {
    EXPECT_EQ(parseJobs("1"), 1u);
    EXPECT_EQ(parseJobs("1024"), 1024u);
    for (const char* text : {"0", "1025", "-1", "2x", "", " 2", "4294967297"}) {
        EXPECT_FALSE(parseJobs(text).has_value()) << "'" << text << "'";
    }
}

// The engine's sentences read as the tool's own messages; an acronym that starts one stays.
TEST(Diagnostic, StartsWithTheProgramsNameInLowerCaseWithoutTheFullStop) {
    EXPECT_EQ(diagnostic("Not enough memory to read the dictionary 'a.dic'."),
              "wordloom-unscramble: not enough memory to read the dictionary 'a.dic'");
    EXPECT_EQ(diagnostic("UTF-8 only."), "wordloom-unscramble: UTF-8 only");
    EXPECT_EQ(diagnostic("cannot write the help: No space left on device"),
              "wordloom-unscramble: cannot write the help: No space left on device");
    EXPECT_EQ(warning("A."), "wordloom-unscramble: warning: A");
    EXPECT_EQ(diagnostic(""), "wordloom-unscramble: ");
}

}  // namespace
}  // namespace wordloom::cli
