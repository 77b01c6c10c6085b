#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace wordloom::cli {

enum ExitStatus : int { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// A line for standard error as command-line tools write them: "wordloom-unscramble: " and the
// message, its first word in lower case (an acronym such as "UTF" stays) and without a final
// full stop, so that the sentences of the engine read like the tool's own messages. No newline.
std::string diagnostic(std::string_view message);

// The same as a warning: "wordloom-unscramble: warning: ...".
std::string warning(std::string_view message);

// The tool's work once its options are read: loads the dictionary, runs every letter set in
// command-line order and writes the rows to `out`. Problems go to `err` as diagnostic lines.
// Returns ExitFailure when the dictionary is missing or unreadable (nothing runs), when a letter
// file cannot be read (the others still run) or when the results cannot be written.
int runUnscramble(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace wordloom::cli
