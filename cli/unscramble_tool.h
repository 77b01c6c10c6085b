#pragma once

#include <cstdio>

#include "cli/options.h"

namespace wordloom::cli {

enum ExitStatus : int { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// The tool's work once its options are read: loads the dictionary, runs every letter set in
// command-line order and writes the rows to `out`. Problems go to `err` as sentences. Returns
// ExitFailure when the dictionary is missing or unreadable (nothing runs), when a letter file
// cannot be read (the others still run) or when the results cannot be written.
int runUnscramble(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace wordloom::cli
