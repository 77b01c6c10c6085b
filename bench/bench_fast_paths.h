#pragma once

#include <cstddef>

#include "engine/dictionary.h"

namespace wordloom::bench {

// Every fast path of the word search timed on and off in the same run, so that each shows what
// it buys: the letter tree against the scan, the AVX2 scan against the portable one, the AVX2
// scan's pre-filter, the AVX2 scan of the long words. `sets` letter sets per case.
void timeFastPaths(const engine::Dictionary& dictionary, std::size_t sets);

}  // namespace wordloom::bench
