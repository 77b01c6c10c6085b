// wordloom-unscramble: the batch form of the word unscrambler. Reads letter sets from the
// command line or from letter files and lists the dictionary words each one spells.
#include <cstdio>

#include "cli/options.h"
#include "cli/unscramble_tool.h"

int main(int argc, char* argv[]) {
    using namespace wordloom::cli;
    const ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s\n\n%s", parsed.error.c_str(), usageText().c_str());
        return ExitUsage;
    }
    if (parsed.options.showHelp) {
        std::fputs(usageText().c_str(), stdout);
        return ExitSuccess;
    }
    if (parsed.options.showVersion) {
        std::fputs(versionText().c_str(), stdout);
        return ExitSuccess;
    }
    return runUnscramble(parsed.options, stdin, stdout, stderr);
}
