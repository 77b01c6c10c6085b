// wordloom-unscramble: the batch form of the word unscrambler. Reads letter sets from the
// command line, from letter files or from standard input and lists the dictionary words each
// one spells.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "cli/options.h"
#include "cli/unscramble_tool.h"

namespace {

using wordloom::cli::diagnostic;

void printError(const std::string& message) {
    std::fprintf(stderr, "%s\n", diagnostic(message).c_str());
}

// The help and the version text, checked like the results: a full disk or a closed pipe is a
// failure, not a success that printed nothing.
int printText(const std::string& text, const char* what) {
    if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        const int error = errno;
        printError(std::string("cannot write the ") + what + ": " + std::strerror(error));
        return wordloom::cli::ExitFailure;
    }
    return wordloom::cli::ExitSuccess;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace wordloom::cli;
    try {
        const ParseResult parsed = parseOptions(argc, argv, isatty(STDIN_FILENO) != 0);
        if (!parsed.error.empty()) {
            // What is wrong, and where to look; the whole help would bury the one line.
            printError(parsed.error);
            std::fprintf(stderr, "Try '%s --help' for more information.\n", programName);
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
        printError("not enough memory to go on");
        return ExitFailure;
    } catch (const std::exception& failure) {
        printError(failure.what());
        return ExitFailure;
    }
}
