// wordloom-unscramble: the batch form of the word unscrambler. Reads letter sets from the
// command line or from letter files and lists the dictionary words each one spells.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cli/options.h"
#include "cli/unscramble_tool.h"

namespace {

// The help and the version text, checked like the results: a full disk or a closed pipe is a
// failure, not a success that printed nothing.
int printText(const std::string& text, const char* what) {
    if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        const int error = errno;
        std::fprintf(stderr, "Cannot write the %s: %s.\n", what, std::strerror(error));
        return wordloom::cli::ExitFailure;
    }
    return wordloom::cli::ExitSuccess;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace wordloom::cli;
    try {
        const ParseResult parsed = parseOptions(argc, argv);
        if (!parsed.error.empty()) {
            std::fprintf(stderr, "%s\n\n%s", parsed.error.c_str(), usageText().c_str());
            return ExitUsage;
        }
        if (parsed.options.showHelp) {
            return printText(usageText(), "help");
        }
        if (parsed.options.showVersion) {
            return printText(versionText(), "version");
        }
        return runUnscramble(parsed.options, stdin, stdout, stderr);
    } catch (const std::bad_alloc&) {
        // Whatever ran out (the rows of a letter set full of blanks, say), say so plainly.
        std::fputs("Not enough memory to go on.\n", stderr);
        return ExitFailure;
    }
}
