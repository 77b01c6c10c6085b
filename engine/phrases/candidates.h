#pragma once

// The classes of words as the search holds them: packed letter counts, and lists of them.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace wordloom::engine::phrase_detail {

// Whether the packed letter counts `v` fit in `r`: no count of v above r's. Each byte keeps its
// high bit set through the subtraction exactly when r's count is at least v's (counts stay below
// 128, as a phrase holds at most 64 letters).
template <int L>
bool fitsIn(const std::array<std::uint64_t, L>& r, const std::uint64_t* v) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint64_t all = kHigh;
    for (int j = 0; j < L; ++j) {
        all &= (r[static_cast<std::size_t>(j)] | kHigh) - v[j];
    }
    return all == kHigh;
}

// The letters `r` has left once `v` is taken out (v fits in r).
template <int L>
std::array<std::uint64_t, L> without(const std::array<std::uint64_t, L>& r,
                                     const std::uint64_t* v) {
    std::array<std::uint64_t, L> rest;
    for (int j = 0; j < L; ++j) {
        rest[static_cast<std::size_t>(j)] = r[static_cast<std::size_t>(j)] - v[j];
    }
    return rest;
}

// Where one letter's count lies in packed counts: the word and the bit its byte starts at.
struct LetterByte {
    int lane;
    int shift;
};

// The rarest letter `r` has left (r not empty): its lowest byte that is not zero, as the
// letters run rarest first.
template <int L>
LetterByte rarestLetter(const std::array<std::uint64_t, L>& r) {
    int lane = 0;
    while (r[static_cast<std::size_t>(lane)] == 0) {
        ++lane;
    }
    return {lane, std::countr_zero(r[static_cast<std::size_t>(lane)]) & ~7};
}

// A class as the search holds it: packed letter counts (one byte per letter, rarest in byte 0),
// the class's position in the plan, its length and what it takes off a remainder's place in
// the word-count table (WordCounts::placeOf, word_counts.h).
template <int L>
struct Cand {
    std::uint64_t v[L];
    std::uint32_t cls;
    std::uint32_t length : 8;
    std::uint32_t place : 24;
};

// Whether the class holds the letter.
template <int L>
bool holds(const Cand<L>& cand, LetterByte letter) {
    return ((cand.v[letter.lane] >> letter.shift) & 0xFF) != 0;
}

// A list of classes with room for a known most, set before it is filled: the search fills one
// per level, a subset of the level above, so the checks and calls of a growing vector are not
// needed.
template <int L>
class CandList {
public:
    // Empties the list and makes room for `most` classes.
    void clearFor(std::size_t most) {
        if (most > m_capacity) {
            m_data = std::make_unique_for_overwrite<Cand<L>[]>(most);
            m_capacity = most;
        }
        m_size = 0;
    }
    void add(const Cand<L>& cand) { m_data[m_size++] = cand; }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const Cand<L>& operator[](std::size_t i) const { return m_data[i]; }
    const Cand<L>* begin() const { return m_data.get(); }
    const Cand<L>* end() const { return m_data.get() + m_size; }

private:
    std::unique_ptr<Cand<L>[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace wordloom::engine::phrase_detail
