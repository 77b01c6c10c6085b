#pragma once

#include "word_list.h"

namespace wordloom::engine {

// The matcher's index over the sorted word list (built once at load, read-only afterwards).
class MatchIndex {
public:
    void build(const WordList& words);
    // Representation and query helpers are private to the matcher.
};

}  // namespace wordloom::engine
