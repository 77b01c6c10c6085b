#include "cli/options.h"

#include <getopt.h>

#include <cstdint>

namespace wordloom::cli {

namespace {

constexpr int minLength = 2;
constexpr int maxLength = 8;

// Long-only options get values outside the range of characters.
enum LongOnly : int { FormatOption = 256, VersionOption };

// Decimal digits only (no sign, no blanks), capped well above any value we accept.
std::optional<unsigned> parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
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

// The option as the user wrote it: "--name" without any "=value", or "-c" out of a cluster.
// getopt_long reports a long option by its short letter (or 0 when unknown) and leaves the
// argument it stopped at just before optind; a known letter there with "--" means a long option.
std::string optionName(std::string_view typed, int reported) {
    const bool known =
        reported == 0 || reported >= FormatOption ||
        std::string_view("dfljh").find(static_cast<char>(reported)) != std::string_view::npos;
    if (known && typed.starts_with("--")) {
        return std::string(typed.substr(0, typed.find('=')));
    }
    return {'-', static_cast<char>(reported)};
}

}  // namespace

std::optional<engine::LengthMask> parseLengths(std::string_view text) {
    std::uint32_t bits = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto from = parseNumber(item.substr(0, dash));
        const auto to = dash == std::string_view::npos ? from : parseNumber(item.substr(dash + 1));
        if (!from || !to || *from < minLength || *to > maxLength || *from > *to) {
            return std::nullopt;
        }
        bits |= engine::LengthMask::range(static_cast<int>(*from), static_cast<int>(*to)).bits();
        if (comma == std::string_view::npos) {
            return engine::LengthMask(bits);
        }
        text.remove_prefix(comma + 1);
    }
}

std::optional<unsigned> parseJobs(std::string_view text) {
    const auto jobs = parseNumber(text);
    if (!jobs || *jobs < 1 || *jobs > maxJobs) {
        return std::nullopt;
    }
    return jobs;
}

ParseResult parseOptions(int argc, char* argv[]) {
    static const option longOptions[] = {
        {"dictionary", required_argument, nullptr, 'd'},
        {"file", required_argument, nullptr, 'f'},
        {"lengths", required_argument, nullptr, 'l'},
        {"format", required_argument, nullptr, FormatOption},
        {"jobs", required_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, VersionOption},
        {nullptr, 0, nullptr, 0},
    };
    // "-": arguments that are no options come back in place (as 1), so letter sets and files
    // keep their command-line order. ":": a missing value is told apart from an unknown option.
    static const char shortOptions[] = "-:d:f:l:j:h";

    ParseResult result;
    Options& options = result.options;
    opterr = 0;
    optind = 0;  // restarts getopt's scan, which matters when a process parses more than once
    int option;
    while ((option = getopt_long(argc, argv, shortOptions, longOptions, nullptr)) != -1) {
        const std::string_view value = optarg ? optarg : "";
        switch (option) {
            case 1:
                options.sources.push_back({LetterSource::Kind::Argument, std::string(value)});
                break;
            case 'd':
                if (value.empty()) {
                    // An empty name would otherwise quietly mean the bundled words.dic.
                    result.error = "The dictionary file name must not be empty.";
                    return result;
                }
                options.dictionaryPath = value;
                break;
            case 'f':
                options.sources.push_back({LetterSource::Kind::File, std::string(value)});
                break;
            case 'l':
                if (auto lengths = parseLengths(value)) {
                    options.lengths = *lengths;
                } else {
                    result.error = "Word lengths must lie between 2 and 8, as in 2-8 or 4,5,6; " +
                                   quoted(value) + " does not.";
                    return result;
                }
                break;
            case FormatOption:
                if (auto format = parseFormat(value)) {
                    options.format = *format;
                } else {
                    result.error =
                        "The format must be words, tsv or aligned, not " + quoted(value) + ".";
                    return result;
                }
                break;
            case 'j':
                if (auto jobs = parseJobs(value)) {
                    options.jobs = *jobs;
                } else {
                    result.error = "The number of jobs must be a whole number from 1 to " +
                                   std::to_string(maxJobs) + ", not " + quoted(value) + ".";
                    return result;
                }
                break;
            case 'h':
                options.showHelp = true;
                break;
            case VersionOption:
                options.showVersion = true;
                break;
            case ':':
                result.error = "The option " + quoted(optionName(argv[optind - 1], optopt)) +
                               " needs a value.";
                return result;
            default:
                result.error =
                    "Unknown option " + quoted(optionName(argv[optind - 1], optopt)) + ".";
                return result;
        }
    }
    // Everything after "--" is a letter set, even when it starts with a dash.
    for (int i = optind; i < argc; ++i) {
        options.sources.push_back({LetterSource::Kind::Argument, argv[i]});
    }
    if (options.sources.empty() && !options.showHelp && !options.showVersion) {
        result.error = "No letter sets given: name them as arguments or read them with -f FILE.";
    }
    return result;
}

std::string usageText() {
    return "Usage: wordloom-unscramble [options] [LETTERS...]\n"
           "Lists every dictionary word that each letter set spells; \"?\" stands for any one\n"
           "letter. Letter sets run in the order given.\n"
           "\n"
           "Options:\n"
           "  -d, --dictionary FILE  word list to use (default: words.dic beside the program)\n"
           "  -f, --file FILE        read letter sets from FILE, one per line; \"-\" reads\n"
           "                         standard input; may be given more than once\n"
           "  -l, --lengths LIST     word lengths to list, 2 to 8, such as 2-8 or 4,5,6\n"
           "                         (default: 2-8)\n"
           "      --format FORMAT    words: one word per line (default)\n"
           "                         tsv: the letter set as typed, a tab, the word\n"
           "                         aligned: a column-aligned table, lines ending CR LF\n"
           "  -j, --jobs N           match with N threads (default: one per processor core)\n"
           "  -h, --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "Letter sets shorter than 2 or longer than 27 characters are passed over, and lines of\n"
           "letter files lose their blanks at both ends. Input and output are UTF-8.\n"
           "Exit status: 0 on success, 1 when a file cannot be read or written, 2 on a usage "
           "error.\n";
}

std::string versionText() {
    return "wordloom-unscramble " WORDLOOM_VERSION "\n";
}

}  // namespace wordloom::cli
