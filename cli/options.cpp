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

// Long-only options get values outside the range of characters.
enum LongOnly : int { FormatOption = 256, MaxWordsOption };

constexpr OptionSpec optionSpecs[] = {
    {'d', "dictionary", 'd', "FILE", "word list to use (default: words.dic beside the program)",
     "One word per line in UTF-8; items separated by commas and double-quoted items are "
     "understood too. Words of fewer than two characters are left out. The default is the "
     "window's own list (see FILES)."},
    {'f', "file", 'f', "FILE",
     "read letter sets from FILE, one per line; \"-\" reads standard input; may be given more "
     "than once",
     "Spaces at both ends of a line are dropped; empty lines are passed over. A line may end in "
     "LF, CR LF or CR. Letter sets given as arguments and letter files run in the order of the "
     "command line."},
    {'a', "anagrams", 'a', nullptr,
     "phrase mode: list the phrase anagrams of each letter set, every way to use all its letters "
     "in dictionary words",
     "Each letter set is a phrase. Characters that are not letters (blanks, hyphens, "
     "apostrophes, digits) are dropped and letters are matched as lower case; a \"?\" is a blank "
     "that stands for exactly one letter. Each anagram is one line: its words separated by one "
     "space, longest first, words of equal length in dictionary order; a word may occur more "
     "than once, and each set of words is listed once. A phrase holds at most 64 letters and "
     "blanks. The lines come in the same order for any number of threads, and they are written "
     "as they are found, so memory stays small however many there are."},
    {'l', "lengths", 'l', "LIST",
     "word lengths to list, such as 2-8, 4,5,6 or 9- (9 and longer): 2 to 27 (default: 2-8); "
     "with -a, the lengths of the words of an anagram, 2 to 64 (default: 2-)",
     "LIST is a comma-separated list of lengths and ranges, such as 2,4-6; a range without an "
     "end, such as 3-, takes every length from its start on. A length counts the characters of "
     "a word."},
    {MaxWordsOption, "max-words", 0, "N", "with -a: at most N words in an anagram",
     "Words named with -c count too."},
    {'c', "contain", 'c', "WORDS",
     "with -a: only anagrams that hold these words, separated by blanks; may be given more than "
     "once",
     "The letters of the words come out of each phrase first, a blank of the phrase standing "
     "in for a letter it lacks; a phrase that does not hold them gets a message and lists "
     "nothing. The words need not be in the dictionary, and -l does not apply to them; they are "
     "written lower-cased, their other characters dropped."},
    {'n', "limit", 'n', "N", "with -a: at most N anagrams per phrase, then the next phrase",
     nullptr},
    {FormatOption, "format", 0, "FORMAT",
     "how to write the results:\n"
     "words: one word per line (default); with -a one anagram per line\n"
     "tsv: the letter set as typed, a tab, the word or anagram\n"
     "aligned: a column-aligned table, lines ending CR LF (not with -a)",
     "The aligned table is the window's text export: the header line \"Unscramble Letters\", "
     "then every word padded with spaces to the width of the widest possible cell and followed "
     "by a tab."},
    {'j', "jobs", 'j', "N", "match with N threads (default: one per processor core)",
     "The output is the same for any number of threads: rows come in the order of the letter "
     "sets. N lies between 1 and 1024; where the system allows fewer threads, fewer run."},
    {'h', "help", 'h', nullptr, "show this help and exit", nullptr},
    {'V', "version", 'V', nullptr, "show the version and exit", nullptr},
};

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
    return std::any_of(std::begin(optionSpecs), std::end(optionSpecs),
                       [reported](const OptionSpec& entry) {
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
        for (const OptionSpec& entry : optionSpecs) {
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

// The option's names as help and manual show them, before the argument: "-d, --dictionary".
std::string optionLabel(const OptionSpec& entry) {
    std::string label = entry.shortName != 0 ? std::string{'-', entry.shortName, ',', ' '} : "    ";
    return label + "--" + entry.longName;
}

// Help layout: descriptions start in this column and lines stay within the width.
constexpr std::size_t helpColumn = 25;
constexpr std::size_t helpWidth = 79;

// Appends `text` word by word from column `at`, wrapping to `helpColumn` before `helpWidth`;
// each '\n' in `text` starts a new line in that column.
void appendWrapped(std::string& out, std::string_view text, std::size_t at) {
    while (true) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        bool lineStart = true;
        while (!line.empty()) {
            const std::size_t space = line.find(' ');
            const std::string_view word = line.substr(0, space);
            line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
            if (!lineStart && at + 1 + word.size() > helpWidth) {
                out.append("\n").append(helpColumn, ' ');
                at = helpColumn;
                lineStart = true;
            }
            if (!lineStart) {
                out.push_back(' ');
                ++at;
            }
            out.append(word);
            at += word.size();
            lineStart = false;
        }
        out.push_back('\n');
        if (end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
        out.append(helpColumn, ' ');
        at = helpColumn;
    }
}

bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// One line of plain text as roff: backslashes escaped, a dash that starts a word (an option, "-"
// for standard input) as a minus sign, and `argument` in italics wherever it stands as a word of
// its own.
std::string roffEscaped(std::string_view text, std::string_view argument) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool wordStart = i == 0 || !isWordCharacter(text[i - 1]);
        if (!argument.empty() && wordStart && text.substr(i).starts_with(argument) &&
            (i + argument.size() == text.size() || !isWordCharacter(text[i + argument.size()]))) {
            out.append("\\fI").append(argument).append("\\fR");
            i += argument.size() - 1;
        } else if (c == '\\') {
            out.append("\\e");
        } else if (c == '-' &&
                   (i == 0 || text[i - 1] == ' ' || text[i - 1] == '"' || text[i - 1] == '(')) {
            out.append("\\-");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Roff input lines for escaped text: each sentence on a line of its own, lines broken at blanks
// to stay within 80 bytes, and a line that would begin with a control character protected.
void appendRoffLines(std::string& out, std::string_view escaped) {
    constexpr std::size_t width = 79;
    std::string line;
    const auto endLine = [&] {
        if (line.starts_with('.') || line.starts_with('\'')) {
            out += "\\&";
        }
        out.append(line).push_back('\n');
        line.clear();
    };
    while (!escaped.empty()) {
        const std::size_t space = escaped.find(' ');
        const std::string_view word = escaped.substr(0, space);
        escaped.remove_prefix(space == std::string_view::npos ? escaped.size() : space + 1);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            endLine();
        }
        if (!line.empty()) {
            line.push_back(' ');
        }
        line.append(word);
        if (word.ends_with('.')) {
            endLine();
        }
    }
    if (!line.empty()) {
        endLine();
    }
}

// Plain text as roff lines; each '\n' in `text` becomes a line break.
std::string roffText(std::string_view text, const char* argument) {
    std::string out;
    while (true) {
        const std::size_t end = text.find('\n');
        appendRoffLines(out, roffEscaped(text.substr(0, end), argument != nullptr ? argument : ""));
        if (end == std::string_view::npos) {
            return out;
        }
        out += ".br\n";
        text.remove_prefix(end + 1);
    }
}

// Splits `text` at blanks into the words an anagram must hold. A word must hold a letter, and a
// blank cannot stand in it (it would be no word): either is a usage error, returned as such.
std::string addContainedWords(std::string_view text, std::vector<std::string>& words) {
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
            return "invalid word to contain " + quoted(word) + ": it cannot hold a \"?\"";
        }
        if (std::none_of(units.begin(), units.end(), engine::isPhraseLetter)) {
            return "invalid word to contain " + quoted(word) + ": it holds no letter";
        }
        words.emplace_back(word);
        ++count;
    }
    if (count == 0) {
        return "option '-c' needs at least one word";
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

// What the mode decides once the whole command line is read: the range of -l, the options that
// only phrase mode takes, and phrases on the command line that are too long to run.
std::string checkMode(Options& options, const std::optional<std::string>& lengthsText,
                      const std::string& phraseOnly) {
    const int longest = options.anagrams ? longestPhraseWord : longestWordLength;
    if (lengthsText) {
        const auto bits = parseLengths(*lengthsText, longest);
        if (!bits) {
            return "invalid word lengths " + quoted(*lengthsText) + ": lengths lie between 2 and " +
                   std::to_string(longest) +
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
    for (const LetterSource& source : options.sources) {
        if (source.kind == LetterSource::Kind::Argument && !fitsInPhrase(source.text)) {
            return "the phrase " + quoted(source.text) + " is too long: a phrase holds at most " +
                   std::to_string(longestPhraseWord) + " letters and blanks";
        }
    }
    return {};
}

}  // namespace

std::span<const OptionSpec> optionTable() {
    return optionSpecs;
}

std::optional<std::uint64_t> parseLengths(std::string_view text, int longest) {
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
        if (!from || !to || *from < minLength || *to > static_cast<std::uint64_t>(longest) ||
            *from > *to) {
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
    Options& options = result.options;
    std::optional<std::string> lengthsText;
    std::string phraseOnly;  // the first option given that needs -a
    opterr = 0;
    optind = 0;  // restarts getopt's scan, which matters when a process parses more than once
    int option;
    while ((option = getopt_long(argc, argv, tables.shortOptions.c_str(), tables.longOptions.data(),
                                 nullptr)) != -1) {
        const std::string_view value = optarg ? optarg : "";
        switch (option) {
            case 1:
                options.sources.push_back({LetterSource::Kind::Argument, std::string(value)});
                break;
            case 'd':
                if (value.empty()) {
                    // An empty name would otherwise quietly mean the bundled words.dic.
                    result.error = "the dictionary file name must not be empty";
                    return result;
                }
                options.dictionaryPath = value;
                break;
            case 'f':
                options.sources.push_back({LetterSource::Kind::File, std::string(value)});
                break;
            case 'l':
                // Read once the mode is known: it sets the longest length.
                lengthsText = value;
                break;
            case 'a':
                options.anagrams = true;
                break;
            case MaxWordsOption:
                if (auto count = parseNumber(value); count && *count >= 1 && *count <= 999999) {
                    options.maxWords = static_cast<std::uint32_t>(*count);
                    phraseOnly = phraseOnly.empty() ? "--max-words" : phraseOnly;
                } else {
                    result.error = "invalid number of words " + quoted(value) +
                                   ": use a whole number of 1 or more";
                    return result;
                }
                break;
            case 'c':
                if (std::string problem = addContainedWords(value, options.contain);
                    !problem.empty()) {
                    result.error = problem;
                    return result;
                }
                phraseOnly = phraseOnly.empty() ? "-c" : phraseOnly;
                break;
            case 'n':
                if (auto count = parseNumber(value); count && *count >= 1) {
                    options.limit = *count;
                    phraseOnly = phraseOnly.empty() ? "-n" : phraseOnly;
                } else {
                    result.error = "invalid limit " + quoted(value) +
                                   ": use a whole number of anagrams of 1 or more";
                    return result;
                }
                break;
            case FormatOption:
                if (auto format = parseFormat(value)) {
                    options.format = *format;
                } else {
                    result.error =
                        "invalid format " + quoted(value) + ": use words, tsv or aligned";
                    return result;
                }
                break;
            case 'j':
                if (auto jobs = parseJobs(value)) {
                    options.jobs = *jobs;
                } else {
                    result.error = "invalid number of jobs " + quoted(value) +
                                   ": use a whole number from 1 to " + std::to_string(maxJobs);
                    return result;
                }
                break;
            case 'h':
                options.showHelp = true;
                break;
            case 'V':
                options.showVersion = true;
                break;
            case ':':
                result.error =
                    "option " + quoted(optionName(argv[optind - 1], optopt)) + " needs a value";
                return result;
            default: {
                const std::string_view typed = argv[optind - 1];
                const std::string name = optionName(typed, optopt);
                // getopt_long refuses "--help=x" as it does an unknown option; say which it is.
                if (optopt != 0 && typed.starts_with("--") && typed.find('=') != typed.npos) {
                    result.error = "option " + quoted(name) + " takes no value";
                } else {
                    result.error = "unknown option " + quoted(name);
                }
                return result;
            }
        }
    }
    // Everything after "--" is a letter set, even when it starts with a dash.
    for (int i = optind; i < argc; ++i) {
        options.sources.push_back({LetterSource::Kind::Argument, argv[i]});
    }
    result.error = checkMode(options, lengthsText, phraseOnly);
    if (!result.error.empty()) {
        return result;
    }
    if (options.sources.empty() && !options.showHelp && !options.showVersion) {
        if (inputIsTerminal) {
            result.error = "no letter sets given: name them as arguments or read them with -f FILE";
        } else {
            options.sources.push_back({LetterSource::Kind::File, "-"});
        }
    }
    return result;
}

std::string usageText() {
    std::string text =
        "Usage: wordloom-unscramble [OPTION]... [LETTERS]...\n"
        "  or:  wordloom-unscramble -a [OPTION]... [PHRASE]...\n"
        "Lists every dictionary word that each letter set spells; \"?\" stands for any one\n"
        "letter. With -a, lists every way to spell all the letters of each phrase with\n"
        "dictionary words instead. Letter sets run in the order given. With no LETTERS\n"
        "and no -f, they are read from standard input, one per line, unless it is a\n"
        "terminal.\n"
        "\n"
        "Options:\n";
    for (const OptionSpec& entry : optionSpecs) {
        std::string label = "  " + optionLabel(entry);
        if (entry.argument != nullptr) {
            label.append(" ").append(entry.argument);
        }
        text += label;
        if (label.size() + 2 <= helpColumn) {
            text.append(helpColumn - label.size(), ' ');
        } else {
            text.append("\n").append(helpColumn, ' ');
        }
        appendWrapped(text, entry.description, helpColumn);
    }
    text +=
        "\n"
        "Letter sets shorter than 2 or longer than 27 characters are passed over, and\n"
        "lines of letter files lose their spaces at both ends. With -a, characters\n"
        "other than letters and \"?\" are dropped, and a phrase holds at most 64 letters\n"
        "and blanks. Input and output are UTF-8.\n"
        "\n"
        "Examples:\n"
        "  wordloom-unscramble -l 7-8 tatuprec wireless\n"
        "  wordloom-unscramble -l 9- 'scrambling?'\n"
        "  wordloom-unscramble -a 'slot machines' | head\n"
        "  wordloom-unscramble -a -l 4- --max-words 3 -c 'slot' 'slot machines'\n"
        "  wordloom-unscramble -a --format tsv -n 10 -f phrases.txt\n"
        "\n"
        "Exit status: 0 on success, 1 when a file cannot be read or written or a phrase\n"
        "cannot run, 2 on a usage error.\n";
    return text;
}

std::string versionText() {
    return std::string(programName) + " " WORDLOOM_VERSION "\n";
}

std::string manualOptions() {
    std::string text = ".SH OPTIONS\n";
    for (const OptionSpec& entry : optionSpecs) {
        text += ".TP\n";
        if (entry.shortName != 0) {
            text.append("\\fB\\-").push_back(entry.shortName);
            text += "\\fR, ";
        }
        text.append("\\fB\\-\\-").append(entry.longName).append("\\fR");
        if (entry.argument != nullptr) {
            text.append(" \\fI").append(entry.argument).append("\\fR");
        }
        text += "\n";
        // The help's phrase becomes the manual's sentence.
        std::string description = entry.description;
        description[0] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(description[0])));
        if (description.back() != '.') {
            description += '.';
        }
        text += roffText(description, entry.argument);
        if (entry.manualNote != nullptr) {
            text += ".IP\n" + roffText(entry.manualNote, entry.argument);
        }
    }
    return text;
}

}  // namespace wordloom::cli
