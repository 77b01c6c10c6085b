#pragma once

// McIlroy's adversary ("A Killer Adversary for Quicksort", 1999) aimed at the word-list sort.
//
// The sort runs on item numbers with a comparison that decides the items' values only when it
// must: every item starts as "gas", greater than any value given out; when two gas items meet,
// one is frozen to the next value, preferring the item that looks like the current pivot
// candidate. The values the items end up with form an input on which that very sort makes the
// same comparisons again, so replaying it costs what the adversary made the sort pay.

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "engine/array_sort.h"

namespace wordloom::testing {

// Ranks 0 .. size - 1 arranged against the hybrid sort run with `unbalancedAllowed` (kUnlimited:
// the plain median-of-three quicksort). Position i of the result holds the rank of item i.
inline std::vector<std::uint32_t> antiQuicksortRanks(
    std::uint32_t size, std::int32_t unbalancedAllowed = engine::sort_detail::kUnlimited) {
    const std::uint32_t gas = size;
    std::vector<std::uint32_t> value(size, gas);
    std::uint32_t frozen = 0;
    std::uint32_t candidate = 0;
    const auto less = [&](std::uint32_t x, std::uint32_t y) {
        if (value[x] == gas && value[y] == gas) {
            value[x == candidate ? x : y] = frozen++;
        }
        if (value[x] == gas) {
            candidate = x;
        } else if (value[y] == gas) {
            candidate = y;
        }
        return value[x] < value[y];
    };
    std::vector<std::uint32_t> items(size);
    std::iota(items.begin(), items.end(), 0u);
    engine::sort_detail::hybridSort(items.data(), static_cast<std::int32_t>(size), less,
                                    unbalancedAllowed);
    // A sort leaves at most one item unfrozen; it is the largest.
    for (std::uint32_t& rank : value) {
        if (rank == gas) {
            rank = frozen++;
        }
    }
    return value;
}

// Distinct six-letter lower-case words whose order is the order of `ranks` (ranks below
// `count`), spread evenly over "aaaaaa" .. "zzzzzz".
inline std::vector<std::u16string> sixLetterWords(const std::vector<std::uint32_t>& ranks,
                                                  std::uint32_t count) {
    constexpr std::uint64_t kAllWords = 26ull * 26 * 26 * 26 * 26 * 26;
    const std::uint64_t step = kAllWords / count;
    std::vector<std::u16string> words;
    words.reserve(ranks.size());
    for (const std::uint32_t rank : ranks) {
        std::uint64_t number = rank * step;
        std::u16string word(6, u'a');
        for (int place = 5; place >= 0; --place, number /= 26) {
            word[static_cast<std::size_t>(place)] = static_cast<char16_t>(u'a' + number % 26);
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace wordloom::testing
