#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>

#include "cli/options.h"

#include "engine/letter_file.h"

namespace wordloom::cli {

// The longest letter set that runs in word mode, in code units.
inline constexpr std::size_t longestLetterSet = 27;

// Reads the letter sets of one letter file, "-" being `input` (standard input), with the letter
// file's line rules, and hands each to `onEntry` as soon as its line ends. A line longer than
// `longestLine` units is handed on shortened to `longestLine` + 1 units (the caller tells it by
// that length; it does not run), so an endless line costs no memory. Throws a LetterFileError
// naming the file when it cannot be opened or read.
void readLetterSets(const std::string& path, std::FILE* input,
                    const engine::LetterLineSplitter::Sink& onEntry,
                    std::size_t longestLine = longestLetterSet);

// A letter file that cannot be opened or read to its end.
class LetterFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Hands every letter set of `sources` to `onEntry` in command-line order: arguments as they are,
// letter files line by line (see readLetterSets). A letter file that cannot be read gets a
// message on `err` and the other sources still run (the sets read before the failure have run);
// the result is then false. Whatever `onEntry` throws passes through.
bool forEachLetterSet(std::span<const LetterSource> sources, std::FILE* input, std::FILE* err,
                      const engine::LetterLineSplitter::Sink& onEntry,
                      std::size_t longestLine = longestLetterSet);

}  // namespace wordloom::cli
