#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/length_filter.h"
#include "engine/letters/letter_key.h"
#include "engine/phrases/phrase_search.h"

namespace wordloom::cli {

inline constexpr char programName[] = "wordloom-unscramble";

enum class OutputFormat { Words, Tsv, Aligned };

// Where letter sets come from, kept in command-line order so that the run follows it.
struct LetterSource {
    enum class Kind { Argument, File };
    Kind kind = Kind::Argument;
    std::string text;  // the letter set itself, or the file's path ("-" is standard input)
};

// The longest word a letter set can spell (word mode) and a phrase can hold (phrase mode).
inline constexpr int longestWordLength = 27;
inline constexpr int longestPhraseWord = engine::kMaxPhraseLetters;

// Whether phrase mode shows its progress line: Auto shows it where it cannot get in the way of
// the results (see PhraseProgress).
enum class ProgressChoice { Auto, On, Off };

struct Options {
    std::string dictionaryPath;  // empty: words.dic beside the program
    std::vector<LetterSource> sources;
    engine::LengthMask lengths = engine::LengthMask::range(2, 8);
    OutputFormat format = OutputFormat::Words;
    unsigned jobs = 0;  // 0: one per processor core
    bool showHelp = false;
    bool showVersion = false;
    // Letters compare with their accents removed (é as e), in both modes.
    engine::Accents accents = engine::Accents::Kept;

    // Phrase mode (-a): each letter set is a phrase whose anagrams are listed.
    bool anagrams = false;
    engine::PhraseLengths phraseLengths = engine::phraseLengthsBetween(2, longestPhraseWord);
    std::uint32_t minWords = 1;
    std::uint32_t maxWords = engine::kNoWordLimit;
    std::vector<std::string> contain;  // words every anagram holds, as typed (UTF-8)
    std::vector<std::string> exclude;  // words no anagram uses, as typed (UTF-8)
    std::string onlyFromPath;          // empty: every word of the dictionary
    bool noRepeat = false;
    engine::PhraseOrder order = engine::PhraseOrder::BestFirst;
    std::uint64_t limit = engine::kNoAnagramLimit;  // anagrams per phrase
    ProgressChoice progress = ProgressChoice::Auto;
};

// Long-only options get ids outside the range of characters.
enum LongOption : int {
    FormatOption = 256,
    MaxWordsOption,
    MinWordsOption,
    WordsOption,
    NoRepeatOption,
    OnlyFromOption,
    OrderOption,
    ProgressOption,
    NoProgressOption,
    FoldOption,
};

// One command-line option. The table of these is the only description of the options: the
// getopt_long tables, the --help text and the OPTIONS section of the manual page are all made
// from it, so they cannot disagree. A new option is one more row and one more case in
// parseOptions.
struct OptionEntry {
    int id;                   // what getopt_long returns: the short letter, or a value above 255
    const char* longName;     // without the leading dashes
    char shortName;           // 0: the option has a long name only
    const char* argument;     // the value's name ("FILE"); nullptr: the option takes no value
    const char* description;  // plain text; each '\n' starts a new line (such as a value list)
    const char* manualNote;   // more for the manual page only; nullptr: nothing more
};

std::span<const OptionEntry> optionTable();

struct ParseResult {
    Options options;
    std::string error;  // a usage error as one short phrase; empty when the command line is sound
};

// Reads the command line with getopt_long. Never prints; the caller shows errors and usage.
// Without letter sets or letter files the letter sets come from standard input ("-f -"), unless
// it is a terminal, where nobody would know that the tool waits: that is a usage error.
ParseResult parseOptions(int argc, char* argv[], bool inputIsTerminal = true);

// "2-8", "4,5,6", an open range "9-" (9 to `longest`) or a mix such as "2,4-6,9-"; every length
// must lie in `shortest`..`longest`. Bit n - 1 of the result stands for length n, as in
// engine::PhraseLengths.
std::optional<std::uint64_t> parseLengths(std::string_view text, int longest, int shortest = 2);

// The same lengths as the word mode's filter (bit n for length n; `bits` holds lengths up to
// longestWordLength only).
engine::LengthMask wordLengthMask(std::uint64_t bits);

// A whole number of threads from 1 to maxJobs.
std::optional<unsigned> parseJobs(std::string_view text);

inline constexpr unsigned maxJobs = 1024;

// The --help text, its option list laid out from the option table.
std::string usageText();
std::string versionText();

// The OPTIONS section of the manual page in roff, from the option table.
std::string manualOptions();

}  // namespace wordloom::cli
