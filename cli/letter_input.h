#pragma once

#include <cstdio>
#include <string>

#include "engine/letter_file.h"

namespace wordloom::cli {

// Reads the letter sets of one letter file, "-" being `input` (standard input), with the letter
// file's line rules, and hands each to `onEntry` as soon as its line ends. A line longer than
// any letter set that runs is handed on shortened (still too long to run), so an endless line
// costs no memory. Throws std::runtime_error naming the file when it cannot be opened or read.
void readLetterSets(const std::string& path, std::FILE* input,
                    const engine::LetterLineSplitter::Sink& onEntry);

}  // namespace wordloom::cli
