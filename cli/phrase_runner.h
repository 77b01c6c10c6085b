#pragma once

#include <cstdio>

#include "cli/options.h"
#include "engine/dictionary.h"

namespace wordloom::cli {

// Phrase mode (-a): lists the anagrams of every phrase (letter sets from arguments and letter
// files, in command-line order) on `jobs` threads, each phrase's lines streamed to `out` as the
// search finds them. A phrase that cannot run (too long, or without the letters of the words it
// must contain) gets a message on `err` and the next phrase runs. Returns ExitSuccess,
// ExitFailure when a phrase could not run, a letter file could not be read or the lines could
// not be written. A reader that goes away (a closed pipe, SIGPIPE ignored) ends the run at once
// with the same message as word mode.
int runPhrases(const Options& options, const engine::Dictionary& dictionary, unsigned jobs,
               std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace wordloom::cli
