#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "engine/phrases/phrase.h"
#include "engine/text.h"

namespace wordloom::cli {

namespace {

constexpr int minLength = 2;

// Decimal digits only (no sign, no blanks), at most 18 of them, so that nothing overflows.
std::optional<std::uint64_t> parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// Why `text` is no whole number from `least` to `most`, in words that end a message; empty when
// it is one.
std::string countProblem(std::string_view text, std::uint64_t least, std::uint64_t most) {
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    const auto value = parseNumber(text);
    if (value && *value >= least && *value <= most) {
        return {};
    }
    if (digits && (!value || *value > most)) {
        return "the number is too large: use at most " + std::to_string(most);
    }
    return "use a whole number of " + std::to_string(least) + " or more";
}

std::optional<OutputFormat> parseFormat(std::string_view text) {
    if (text == "words") {
        return OutputFormat::Words;
    }
    if (text == "tsv") {
        return OutputFormat::Tsv;
    }
    if (text == "aligned") {
        return OutputFormat::Aligned;
    }
    return std::nullopt;
}

std::string quoted(std::string_view text) {
    std::string result(1, '\'');
    result.append(text).push_back('\'');
    return result;
}

bool hasShortName(int reported) {
    const std::span<const OptionEntry> table = optionTable();
    return std::any_of(table.begin(), table.end(), [reported](const OptionEntry& entry) {
        return entry.shortName != 0 && entry.shortName == reported;
    });
}

// The option as the user wrote it: "--name" without any "=value", or "-c" out of a cluster.
// getopt_long reports a long option by its id (or 0 when unknown) and leaves the argument it
// stopped at just before optind; a known id there with "--" means a long option.
std::string optionName(std::string_view typed, int reported) {
    const bool known = reported == 0 || reported >= FormatOption || hasShortName(reported);
    if (known && typed.starts_with("--")) {
        return std::string(typed.substr(0, typed.find('=')));
    }
    return {'-', static_cast<char>(reported)};
}

// The getopt_long tables of the option table. "-": arguments that are no options come back in
// place (as 1), so letter sets and files keep their command-line order. ":": a missing value is
// told apart from an unknown option.
struct GetoptTables {
    std::vector<option> longOptions;
    std::string shortOptions = "-:";

    GetoptTables() {
        for (const OptionEntry& entry : optionTable()) {
            const int hasArgument = entry.argument != nullptr ? required_argument : no_argument;
            longOptions.push_back({entry.longName, hasArgument, nullptr, entry.id});
            if (entry.shortName != 0) {
                shortOptions.push_back(entry.shortName);
                if (entry.argument != nullptr) {
                    shortOptions.push_back(':');
                }
            }
        }
        longOptions.push_back({nullptr, 0, nullptr, 0});
    }
};

// Splits `text` at blanks into the words an anagram must hold (-c) or leave out (-x). A word
// must hold a letter, and a blank cannot stand in it (it would be no word): either is a usage
// error, returned as such.
std::string addWords(std::string_view text, std::vector<std::string>& words, char option) {
    const std::string kind = option == 'c' ? "word to contain " : "word to exclude ";
    std::size_t count = 0;
    while (true) {
        const std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            break;
        }
        text.remove_prefix(start);
        const std::string_view word = text.substr(0, text.find_first_of(" \t"));
        text.remove_prefix(word.size());
        const std::u16string units = engine::decodeUtf8(word);
        if (units.find(u'?') != std::u16string::npos) {
            return "invalid " + kind + quoted(word) + ": it cannot hold a \"?\"";
        }
        if (std::none_of(units.begin(), units.end(), engine::isPhraseLetter)) {
            return "invalid " + kind + quoted(word) + ": it holds no letter";
        }
        words.emplace_back(word);
        ++count;
    }
    if (count == 0) {
        return std::string("option '-") + option + "' needs at least one word";
    }
    return {};
}

bool fitsInPhrase(std::string_view text) {
    try {
        engine::parsePhrase(engine::decodeUtf8(text));
        return true;
    } catch (const engine::PhraseError&) {
        return false;
    }
}

// The first range of a length list that runs backwards ("5-3"), or nothing.
std::string reversedRange(std::string_view text) {
    while (!text.empty()) {
        const std::string_view item = text.substr(0, text.find(','));
        const std::size_t dash = item.find('-');
        if (dash != std::string_view::npos) {
            const auto from = parseNumber(item.substr(0, dash));
            const auto to = parseNumber(item.substr(dash + 1));
            if (from && to && *from > *to) {
                return std::string(item);
            }
        }
        text.remove_prefix(std::min(text.size(), item.size() + 1));
    }
    return {};
}

// What the mode decides once the whole command line is read: the range of -l, the options that
// only phrase mode takes, and phrases on the command line that are too long to run.
std::string checkMode(Options& options, const std::optional<std::string>& lengthsText,
                      const std::string& phraseOnly) {
    const int longest = options.anagrams ? longestPhraseWord : longestWordLength;
    const int shortest = options.anagrams ? 1 : minLength;
    if (lengthsText) {
        const auto bits = parseLengths(*lengthsText, longest, shortest);
        if (!bits) {
            if (const std::string reversed = reversedRange(*lengthsText); !reversed.empty()) {
                return "invalid word lengths " + quoted(*lengthsText) + ": the range " +
                       quoted(reversed) + " runs backwards";
            }
            return "invalid word lengths " + quoted(*lengthsText) + ": lengths lie between " +
                   std::to_string(shortest) + " and " + std::to_string(longest) +
                   (options.anagrams ? ", as in 3- or 2-8" : ", as in 2-8, 4,5,6 or 9-");
        }
        options.lengths = wordLengthMask(*bits);
        options.phraseLengths = *bits;
    }
    if (!options.anagrams) {
        if (!phraseOnly.empty()) {
            return "option " + quoted(phraseOnly) + " works only with -a (phrase mode)";
        }
        return {};
    }
    if (options.format == OutputFormat::Aligned) {
        return "the aligned format does not go with -a: use words or tsv";
    }
    if (options.minWords > options.maxWords) {
        return "--min-words " + std::to_string(options.minWords) + " is more than --max-words " +
               std::to_string(options.maxWords);
    }
    for (const LetterSource& source : options.sources) {
        if (source.kind == LetterSource::Kind::Argument && !fitsInPhrase(source.text)) {
            return "the phrase " + quoted(source.text) + " is too long: a phrase holds at most " +
                   std::to_string(longestPhraseWord) + " letters and blanks";
        }
    }
    return {};
}

// What the options read so far leave for the end of the command line.
struct CommandLine {
    Options& options;
    std::optional<std::string> lengthsText;  // read once the mode is known: it sets the longest
    std::string phraseOnly;                  // the first option given that needs -a
};

// "unknown option '--x'", or that an option without a value got one ("--help=x": getopt_long
// refuses it as it does an unknown option).
std::string unknownOption(std::string_view typed) {
    const std::string name = optionName(typed, optopt);
    if (optopt != 0 && typed.starts_with("--") && typed.find('=') != typed.npos) {
        return "option " + quoted(name) + " takes no value";
    }
    return "unknown option " + quoted(name);
}

void notePhraseOnly(CommandLine& line, const char* name) {
    if (line.phraseOnly.empty()) {
        line.phraseOnly = name;
    }
}

// The largest count -n takes, and the most words of an anagram a count may name.
constexpr std::uint64_t maxCount = 999'999'999'999'999'999;
constexpr std::uint64_t maxWordCount = 999'999;

// --max-words, --min-words and --words N (both at once).
std::string applyWordCount(int option, std::string_view value, CommandLine& line) {
    const char* name = option == MaxWordsOption   ? "--max-words"
                       : option == MinWordsOption ? "--min-words"
                                                  : "--words";
    notePhraseOnly(line, name);
    if (std::string problem = countProblem(value, 1, maxWordCount); !problem.empty()) {
        return "invalid number of words " + quoted(value) + ": " + problem;
    }
    const auto count = static_cast<std::uint32_t>(*parseNumber(value));
    if (option != MinWordsOption) {
        line.options.maxWords = count;
    }
    if (option != MaxWordsOption) {
        line.options.minWords = count;
    }
    return {};
}

// Takes one option of phrase mode into the options; returns a usage error or nothing.
std::string applyPhraseOption(int option, std::string_view value, CommandLine& line) {
    Options& options = line.options;
    switch (option) {
        case MaxWordsOption:
        case MinWordsOption:
        case WordsOption:
            return applyWordCount(option, value, line);
        case 'c':
        case 'x':
            notePhraseOnly(line, option == 'c' ? "-c" : "-x");
            return addWords(value, option == 'c' ? options.contain : options.exclude,
                            static_cast<char>(option));
        case 'n':
            notePhraseOnly(line, "-n");
            if (std::string problem = countProblem(value, 1, maxCount); !problem.empty()) {
                return "invalid limit " + quoted(value) + ": " +
                       (problem.starts_with("the") ? problem
                                                   : "use a whole number of anagrams of 1 or more");
            }
            options.limit = *parseNumber(value);
            return {};
        case OnlyFromOption:
            notePhraseOnly(line, "--only-from");
            if (value.empty()) {
                return "the --only-from file name must not be empty";
            }
            options.onlyFromPath = value;
            return {};
        case FoldOption:
            options.accents = engine::Accents::Folded;
            return {};
        case NoRepeatOption:
            notePhraseOnly(line, "--no-repeat");
            options.noRepeat = true;
            return {};
        case OrderOption:
            notePhraseOnly(line, "--order");
            if (value == "best" || value == "found") {
                options.order =
                    value == "best" ? engine::PhraseOrder::BestFirst : engine::PhraseOrder::Found;
                return {};
            }
            return "invalid order " + quoted(value) + ": use best or found";
        case ProgressOption:
        case NoProgressOption:
            notePhraseOnly(line, option == ProgressOption ? "--progress" : "--no-progress");
            options.progress = option == ProgressOption ? ProgressChoice::On : ProgressChoice::Off;
            return {};
        default:
            return "unknown option " + quoted(optionName("", option));
    }
}

// Takes one option (or a letter set, as 1) into the options; returns a usage error or nothing.
std::string applyOption(int option, std::string_view value, CommandLine& line) {
    Options& options = line.options;
    switch (option) {
        case 1:
            options.sources.push_back({LetterSource::Kind::Argument, std::string(value)});
            return {};
        case 'd':
            if (value.empty()) {
                // An empty name would otherwise quietly mean the bundled words.dic.
                return "the dictionary file name must not be empty";
            }
            options.dictionaryPath = value;
            return {};
        case 'f':
            options.sources.push_back({LetterSource::Kind::File, std::string(value)});
            return {};
        case 'l':
            line.lengthsText = value;
            return {};
        case 'a':
            options.anagrams = true;
            return {};
        case FormatOption:
            if (auto format = parseFormat(value)) {
                options.format = *format;
                return {};
            }
            return "invalid format " + quoted(value) + ": use words, tsv or aligned";
        case 'j':
            if (auto jobs = parseJobs(value)) {
                options.jobs = *jobs;
                return {};
            }
            if (std::string problem = countProblem(value, 1, maxJobs); problem.starts_with("the")) {
                return "invalid number of jobs " + quoted(value) + ": " + problem;
            }
            return "invalid number of jobs " + quoted(value) + ": use a whole number from 1 to " +
                   std::to_string(maxJobs);
        case 'h':
            options.showHelp = true;
            return {};
        case 'V':
            options.showVersion = true;
            return {};
        default:
            return applyPhraseOption(option, value, line);
    }
}

}  // namespace

std::optional<std::uint64_t> parseLengths(std::string_view text, int longest, int shortest) {
    std::uint64_t bits = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto from = parseNumber(item.substr(0, dash));
        std::optional<std::uint64_t> to = from;
        if (dash != std::string_view::npos) {
            // "9-": from 9 on. Only after a number: "-" alone or "-8" stays an error.
            to = dash + 1 == item.size() ? std::optional<std::uint64_t>(longest)
                                         : parseNumber(item.substr(dash + 1));
        }
        if (!from || !to || *from < static_cast<std::uint64_t>(shortest) ||
            *to > static_cast<std::uint64_t>(longest) || *from > *to) {
            return std::nullopt;
        }
        bits |= engine::phraseLengthsBetween(static_cast<int>(*from), static_cast<int>(*to));
        if (comma == std::string_view::npos) {
            return bits;
        }
        text.remove_prefix(comma + 1);
    }
}

engine::LengthMask wordLengthMask(std::uint64_t bits) {
    return engine::LengthMask(static_cast<std::uint32_t>(
        (bits & engine::phraseLengthsBetween(1, longestWordLength)) << 1));
}

std::optional<unsigned> parseJobs(std::string_view text) {
    const auto jobs = parseNumber(text);
    if (!jobs || *jobs < 1 || *jobs > maxJobs) {
        return std::nullopt;
    }
    return static_cast<unsigned>(*jobs);
}

ParseResult parseOptions(int argc, char* argv[], bool inputIsTerminal) {
    static const GetoptTables tables;

    ParseResult result;
    CommandLine line{result.options, std::nullopt, {}};
    opterr = 0;
    optind = 0;  // restarts getopt's scan, which matters when a process parses more than once
    int option;
    while ((option = getopt_long(argc, argv, tables.shortOptions.c_str(), tables.longOptions.data(),
                                 nullptr)) != -1) {
        if (option == ':') {
            result.error =
                "option " + quoted(optionName(argv[optind - 1], optopt)) + " needs a value";
        } else if (option == '?') {
            result.error = unknownOption(argv[optind - 1]);
        } else {
            result.error = applyOption(option, optarg ? optarg : "", line);
        }
        if (!result.error.empty()) {
            return result;
        }
    }
    Options& options = result.options;
    // Everything after "--" is a letter set, even when it starts with a dash.
    for (int i = optind; i < argc; ++i) {
        options.sources.push_back({LetterSource::Kind::Argument, argv[i]});
    }
    result.error = checkMode(options, line.lengthsText, line.phraseOnly);
    if (!result.error.empty()) {
        return result;
    }
    if (options.sources.empty() && !options.showHelp && !options.showVersion) {
        if (inputIsTerminal) {
            result.error = options.anagrams
                               ? "no phrase given: name phrases as arguments or read them with -f "
                                 "FILE"
                               : "no letter sets given: name them as arguments or read them with "
                                 "-f FILE";
        } else {
            options.sources.push_back({LetterSource::Kind::File, "-"});
        }
    }
    return result;
}

}  // namespace wordloom::cli
