#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/length_filter.h"

namespace wordloom::cli {

enum class OutputFormat { Words, Tsv, Aligned };

// Where letter sets come from, kept in command-line order so that the run follows it.
struct LetterSource {
    enum class Kind { Argument, File };
    Kind kind = Kind::Argument;
    std::string text;  // the letter set itself, or the file's path ("-" is standard input)
};

struct Options {
    std::string dictionaryPath;  // empty: words.dic beside the program
    std::vector<LetterSource> sources;
    engine::LengthMask lengths = engine::LengthMask::range(2, 8);
    OutputFormat format = OutputFormat::Words;
    unsigned jobs = 0;  // 0: one per processor core
    bool showHelp = false;
    bool showVersion = false;
};

struct ParseResult {
    Options options;
    std::string error;  // a usage error as one sentence; empty when the command line is sound
};

// Reads the command line with getopt_long. Never prints; the caller shows errors and usage.
ParseResult parseOptions(int argc, char* argv[]);

// "2-8", "4,5,6" or a mix such as "2,4-6"; every length must lie in 2..8.
std::optional<engine::LengthMask> parseLengths(std::string_view text);

// A whole number of threads from 1 to maxJobs.
std::optional<unsigned> parseJobs(std::string_view text);

inline constexpr unsigned maxJobs = 1024;

std::string usageText();
std::string versionText();

}  // namespace wordloom::cli
