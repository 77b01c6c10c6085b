#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/length_filter.h"
#include "engine/match_index.h"

// What the parts of the word search share: the letter set counted, the length filter's answers
// and the per-thread scratch space.
namespace wordloom::engine::word_search {

// The tiles of one letter set: the count of each letter a-z, the letters present and the number
// of blanks, each count capped where more copies can no longer matter to the words searched.
struct Tiles {
    std::array<std::uint8_t, 26> counts{};
    std::uint32_t mask = 0;
    int blanks = 0;
};

// The short words need at most 8 copies of a letter or 8 blanks; the long words up to 27 blanks
// and any number of copies (counted up to 255).
Tiles countTiles(std::u16string_view letters, int copiesCap, int blanksCap);

inline Tiles countShortTiles(std::u16string_view letters) {
    return countTiles(letters, MatchIndex::kLongestShort, MatchIndex::kLongestShort);
}

// Set bits of a 32-bit value, without the population-count instruction a portable build lacks.
inline std::uint32_t bitCount(std::uint32_t bits) {
    bits -= (bits >> 1) & 0x55555555u;
    bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0Fu;
    return (bits * 0x01010101u) >> 24;
}

// True when `word` can be laid with the letters, "?" standing for any one; `remaining` is
// scratch space. The plain consumption of a copy of the letter set, for the few words outside
// a-z.
bool spells(std::u16string_view word, std::u16string_view letters, std::u16string& remaining);

// Asks the length filter once per length, and only when a word of that length has matched.
// Nothing can change the filter's answers within one call (the window does not process events
// while the matcher runs), so remembering them is safe.
class LengthGate {
public:
    explicit LengthGate(const LengthFilter& filter) : m_filter(filter) {}

    bool wants(int length) {
        std::int8_t& answer = m_answers[static_cast<std::size_t>(length)];
        if (answer == kUnknown) {
            answer = m_filter.wants(length) ? kYes : kNo;
        }
        return answer == kYes;
    }

private:
    static constexpr std::int8_t kUnknown = 0;
    static constexpr std::int8_t kYes = 1;
    static constexpr std::int8_t kNo = 2;
    const LengthFilter& m_filter;
    std::array<std::int8_t, MatchIndex::kLongestListed + 1> m_answers{};
};

// Scratch space per thread, so that concurrent calls never share buffers and a call allocates
// only the first time a thread needs more room.
struct Scratch {
    std::vector<std::uint32_t> hits;
    std::vector<std::uint32_t> groups;  // the AVX2 scan's groups of eight words worth testing
    std::vector<std::uint32_t> plainFound;
    std::vector<std::uint32_t> otherFound;
    std::vector<std::uint32_t> shortFound;
    std::vector<std::uint32_t> longFound;
    std::u16string remaining;
};

Scratch& scratch();

}  // namespace wordloom::engine::word_search
