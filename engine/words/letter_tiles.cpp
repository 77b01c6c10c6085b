#include "engine/words/letter_tiles.h"

#include <algorithm>

namespace wordloom::engine::word_search {

Tiles countTiles(std::u16string_view letters, int copiesCap, int blanksCap) {
    Tiles tiles;
    for (const char16_t c : letters) {
        if (c >= u'a' && c <= u'z') {
            std::uint8_t& count = tiles.counts[static_cast<std::size_t>(c - u'a')];
            count = static_cast<std::uint8_t>(std::min(count + 1, copiesCap));
            tiles.mask |= 1u << (c - u'a');
        } else if (c == u'?' && tiles.blanks < blanksCap) {
            ++tiles.blanks;
        }
    }
    return tiles;
}

bool spells(std::u16string_view word, std::u16string_view letters, std::u16string& remaining) {
    if (word.size() > letters.size()) {
        return false;
    }
    remaining.assign(letters);
    for (const char16_t c : word) {
        std::size_t at = remaining.find(c);
        if (at == std::u16string::npos) {
            at = remaining.find(u'?');
            if (at == std::u16string::npos) {
                return false;
            }
        }
        remaining.erase(at, 1);
    }
    return true;
}

Scratch& scratch() {
    thread_local Scratch perThread;
    return perThread;
}

}  // namespace wordloom::engine::word_search
