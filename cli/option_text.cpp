// The --help text and the OPTIONS section of the manual page, laid out from the option table.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace wordloom::cli {
namespace {

// The option's names as help and manual show them, before the argument: "-d, --dictionary".
std::string optionLabel(const OptionEntry& entry) {
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

// A character beyond ASCII as a roff glyph name (\[u00E9]): the manual then reads the same
// whatever encoding man assumes for the page.
std::size_t appendRoffGlyph(std::string_view text, std::size_t at, std::string& out) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    std::uint32_t codePoint = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length && at + i < text.size(); ++i) {
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3Fu);
    }
    char name[16];
    std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(codePoint));
    out += name;
    return length;
}

// One line of plain text as roff: backslashes escaped, a dash that starts a word (an option, "-"
// for standard input) as a minus sign, characters beyond ASCII as glyph names, and `argument` in
// italics wherever it stands as a word of its own.
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
        } else if ((static_cast<unsigned char>(c) & 0xC0) == 0xC0) {
            i += appendRoffGlyph(text, i, out) - 1;
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

}  // namespace

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
    for (const OptionEntry& entry : optionTable()) {
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
    for (const OptionEntry& entry : optionTable()) {
        text += ".TP\n";
        if (entry.shortName != 0) {
            text.append("\\fB\\-").push_back(entry.shortName);
            text += "\\fR, ";
        }
        text.append(R"(\fB\-\-)").append(entry.longName).append(R"(\fR)");
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
