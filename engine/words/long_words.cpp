#include "engine/words/long_words.h"

#include <algorithm>

#include "engine/words/plain_scan.h"

namespace wordloom::engine::word_search {

std::uint32_t wantedLongLengths(const MatchIndex& index, std::size_t letterCount,
                                LengthGate& gate) {
    std::uint32_t wanted = 0;
    const int longest = static_cast<int>(
        std::min<std::size_t>(letterCount, static_cast<std::size_t>(MatchIndex::kLongestListed)));
    for (int length = MatchIndex::kLongestShort + 1; length <= longest; ++length) {
        if (((index.longLengths() >> length) & 1u) != 0 && gate.wants(length)) {
            wanted |= 1u << length;
        }
    }
    return wanted;
}

namespace {

LongTiles countLongTiles(std::u16string_view letters) {
    LongTiles tiles{{}, countTiles(letters, 255, MatchIndex::kLongestListed)};
    for (std::size_t copy = 0; copy < tiles.lacking.size(); ++copy) {
        for (std::size_t letter = 0; letter < tiles.tiles.counts.size(); ++letter) {
            if (tiles.tiles.counts[letter] <= copy) {
                tiles.lacking[copy] |= 1u << letter;
            }
        }
    }
    return tiles;
}

// The tiles a word lacks among its first three copies of each letter: all it lacks, unless the
// word is marked to be spelled out.
inline std::uint32_t longTilesLacking(const std::uint32_t* masks, const LongTiles& tiles) {
    return bitCount(masks[0] & tiles.lacking[0]) + bitCount(masks[1] & tiles.lacking[1]) +
           bitCount(masks[2] & tiles.lacking[2]);
}

// The exact test for a word that the masks do not decide. A word of a-z alone takes the copies
// it needs beyond the set's from the blanks; any other word is spelled out from the letters.
bool longWordSpelled(std::u16string_view word, std::u16string_view letters, const Tiles& tiles) {
    for (const char16_t c : word) {
        if (c < u'a' || c > u'z') {
            return spells(word, letters, scratch().remaining);
        }
    }
    std::array<std::uint8_t, 26> left = tiles.counts;
    int needed = 0;
    for (const char16_t c : word) {
        std::uint8_t& count = left[static_cast<std::size_t>(c - u'a')];
        if (count != 0) {
            --count;
        } else if (++needed > tiles.blanks) {
            return false;
        }
    }
    return true;
}

}  // namespace

void LongSearch::found(std::size_t k, bool spellOut) {
    const std::uint32_t position = table.positions[k];
    if (!spellOut || longWordSpelled(words[position], letters, tiles.tiles)) {
        out.push_back(position);
    }
}

void scanLongPortable(LongSearch& search, std::size_t from) {
    const std::uint32_t* copies[] = {search.table.copies[0].data(), search.table.copies[1].data(),
                                     search.table.copies[2].data()};
    const std::size_t count = search.table.positions.size();
    const auto blanks = static_cast<std::uint32_t>(search.tiles.tiles.blanks);
    for (std::size_t k = from; k < count; ++k) {
        const std::uint32_t first = copies[0][k];
        if (((search.wanted >> ((first >> MatchIndex::kLongLengthShift) & 0x1F)) & 1u) == 0) {
            continue;
        }
        const std::uint32_t masks[] = {first, copies[1][k], copies[2][k]};
        if (longTilesLacking(masks, search.tiles) <= blanks) {
            search.found(k, (first & MatchIndex::kLongSpellOut) != 0);
        }
    }
}

void findLong(bool vector, const WordList& words, const MatchIndex& index,
              std::u16string_view letters, std::uint32_t wanted, std::vector<std::uint32_t>& out) {
    LongSearch search{words, index.longWords(words), letters, countLongTiles(letters), wanted, out};
#if WORDLOOM_X86_SCANS
    if (vector && vectorLevel() != VectorLevel::None) {
        scanLongAvx2(search);
        return;
    }
#else
    (void)vector;
#endif
    scanLongPortable(search, 0);
}

}  // namespace wordloom::engine::word_search
