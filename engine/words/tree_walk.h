#pragma once

#include <cstdint>
#include <vector>

#include "engine/match_index.h"
#include "engine/words/letter_tiles.h"

namespace wordloom::engine::word_search {

// The plain words the letter set spells, found by walking the letter tree, appended to `out` in
// word-list order. Each node is reached at most once per letter set; the words come out in tree
// order and are put in word-list order by a radix sort of their positions, which costs no branch
// per position (the positions are few and scattered, so branches on them mispredict).
void walkTree(const MatchIndex& index, const Tiles& tiles, LengthGate& gate,
              std::vector<std::uint32_t>& out);

}  // namespace wordloom::engine::word_search
