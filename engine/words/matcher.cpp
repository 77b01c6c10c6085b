#include "engine/words/matcher.h"

#include <algorithm>
#include <optional>

#include "engine/words/letter_tiles.h"
#include "engine/words/long_words.h"
#include "engine/words/plain_scan.h"
#include "engine/words/tree_walk.h"

namespace wordloom::engine {
namespace {

using word_search::findLong;
using word_search::LengthGate;
using word_search::scanPlain;
using word_search::Scratch;
using word_search::scratch;
using word_search::Tiles;
using word_search::VectorLevel;
using word_search::walkTree;
using word_search::wantedLongLengths;

// Bits 2 to 8: the lengths of the short words.
constexpr std::uint32_t kShortLengths = ((1u << (MatchIndex::kLongestShort + 1)) - 1) & ~3u;

// The short words outside a-z, letter by letter.
void checkOthers(const WordList& words, const MatchIndex& index, std::u16string_view letters,
                 LengthGate& gate, std::vector<std::uint32_t>& out) {
    std::u16string& remaining = scratch().remaining;
    for (const std::uint32_t position : index.otherPositions()) {
        const std::u16string_view word = words[position];
        if (word_search::spells(word, letters, remaining) &&
            gate.wants(static_cast<int>(word.size()))) {
            out.push_back(position);
        }
    }
}

// A letter set without blanks spells only a small part of the tree; with blanks, or with many
// letters, the walk reaches most of it and the flat scan is faster.
MatchPath choosePath(const Tiles& tiles, std::size_t letterCount) {
    if (tiles.blanks == 0 && letterCount <= 12) {
        return MatchPath::LetterTree;
    }
    return MatchPath::Avx2Scan;
}

void findPlain(MatchPath path, const MatchIndex& index, const Tiles& tiles, LengthGate& gate,
               std::vector<std::uint32_t>& out) {
    switch (path) {
        case MatchPath::LetterTree:
            walkTree(index, tiles, gate, out);
            return;
        case MatchPath::Avx2Scan:
        case MatchPath::Avx2ScanUnfiltered:
            scanPlain(index, tiles, VectorLevel::Avx2, path == MatchPath::Avx2Scan, gate, out);
            return;
        case MatchPath::Automatic:
        case MatchPath::PortableScan:
            scanPlain(index, tiles, VectorLevel::None, true, gate, out);
            return;
    }
}

}  // namespace

void UnscrambleVia(MatchPath path, const WordList& words, const MatchIndex& index,
                   std::u16string_view letters, const LengthFilter& lengths,
                   std::vector<std::uint32_t>& found) {
    const Tiles tiles = word_search::countShortTiles(letters);
    LengthGate gate(lengths);
    const std::uint32_t wantedLong = wantedLongLengths(index, letters.size(), gate);
    const std::optional<std::uint32_t> fixed = lengths.fixedLengths();
    const bool shortWanted = !fixed || (*fixed & kShortLengths) != 0;
    const std::size_t from = found.size();
    if (!shortWanted) {
        // Nothing to do for the short words (the batch tool's -l 9-27).
    } else if (index.otherPositions().empty()) {
        // The usual dictionary: the plain words are all there is, straight into the result.
        findPlain(path == MatchPath::Automatic ? choosePath(tiles, letters.size()) : path, index,
                  tiles, gate, found);
    } else {
        Scratch& buffers = scratch();
        std::vector<std::uint32_t>& plain = buffers.plainFound;
        std::vector<std::uint32_t>& other = buffers.otherFound;
        plain.clear();
        other.clear();
        findPlain(path == MatchPath::Automatic ? choosePath(tiles, letters.size()) : path, index,
                  tiles, gate, plain);
        checkOthers(words, index, letters, gate, other);
        found.resize(from + plain.size() + other.size());
        std::merge(plain.begin(), plain.end(), other.begin(), other.end(),
                   found.begin() + static_cast<std::ptrdiff_t>(from));
    }
    if (wantedLong == 0) {
        return;
    }
    if (found.size() == from) {
        // No short word to interleave: the long ones go straight into the result.
        try {
            findLong(path != MatchPath::PortableScan, words, index, letters, wantedLong, found);
        } catch (...) {
            found.resize(from);  // all of this letter set's rows, or none
            throw;
        }
        return;
    }
    Scratch& buffers = scratch();
    std::vector<std::uint32_t>& longFound = buffers.longFound;
    longFound.clear();
    findLong(path != MatchPath::PortableScan, words, index, letters, wantedLong, longFound);
    if (longFound.empty()) {
        return;
    }
    std::vector<std::uint32_t>& shortFound = buffers.shortFound;
    try {
        shortFound.assign(found.begin() + static_cast<std::ptrdiff_t>(from), found.end());
        found.resize(from + shortFound.size() + longFound.size());
    } catch (...) {
        found.resize(from);
        throw;
    }
    std::merge(shortFound.begin(), shortFound.end(), longFound.begin(), longFound.end(),
               found.begin() + static_cast<std::ptrdiff_t>(from));
}

void Unscramble(const Dictionary& dictionary, std::u16string_view letters,
                const LengthFilter& lengths, std::vector<std::uint32_t>& found) {
    UnscrambleVia(MatchPath::Automatic, dictionary.words(), dictionary.matchIndex(), letters,
                  lengths, found);
}

bool MatchPathRuns(MatchPath path) {
    switch (path) {
        case MatchPath::Avx2Scan:
        case MatchPath::Avx2ScanUnfiltered:
            return word_search::vectorLevel() != VectorLevel::None;
        case MatchPath::Automatic:
        case MatchPath::PortableScan:
        case MatchPath::LetterTree:
            return true;
    }
    return true;
}

}  // namespace wordloom::engine
