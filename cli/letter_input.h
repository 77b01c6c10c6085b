#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "engine/letter_file.h"

namespace wordloom::cli {

// The longest letter set that runs in word mode, in code units.
inline constexpr std::size_t longestLetterSet = 27;

// Reads the letter sets of one letter file, "-" being `input` (standard input), with the letter
// file's line rules, and hands each to `onEntry` as soon as its line ends. A line longer than
// `longestLine` units is handed on shortened to `longestLine` + 1 units (the caller tells it by
// that length; it does not run), so an endless line costs no memory. Throws std::runtime_error
// naming the file when it cannot be opened or read.
void readLetterSets(const std::string& path, std::FILE* input,
                    const engine::LetterLineSplitter::Sink& onEntry,
                    std::size_t longestLine = longestLetterSet);

}  // namespace wordloom::cli
