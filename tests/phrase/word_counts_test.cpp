// The word counts best first prunes with, against a brute-force count of splits: a remainder of
// letters, and the numbers of classes (repeats allowed) that hold exactly its letters.

#include "engine/phrases/word_counts.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace wordloom::tests {
namespace {

using engine::phrase_detail::Cand;
using engine::phrase_detail::CandList;
using engine::phrase_detail::WordCounts;

constexpr int kLanes = 3;
using Vec = std::array<std::uint64_t, kLanes>;
using Counts = std::vector<int>;  // letter counts, one per letter

// The classes as the search lists them for `counts`, which has started on a total.
CandList<kLanes> listOf(std::vector<Cand<kLanes>> cands, const WordCounts<kLanes>& counts) {
    CandList<kLanes> list;
    list.clearFor(cands.size());
    for (Cand<kLanes>& cand : cands) {
        cand.place = counts.placeOf(cand.v);
        list.add(cand);
    }
    return list;
}

std::uint64_t countsOf(WordCounts<kLanes>& counts, const Vec& r, const CandList<kLanes>& list) {
    return counts.of(r, counts.placeOf(r.data()), list);
}

Vec packed(const Counts& counts) {
    Vec v{};
    for (std::size_t s = 0; s < counts.size(); ++s) {
        v[s / 8] += static_cast<std::uint64_t>(counts[s]) << (8 * (s % 8));
    }
    return v;
}

// Every k such that some k of `classes` (repeats allowed) add up to `r`: the classes are tried
// in non-decreasing order, so each multiset is seen once.
std::uint64_t bruteCounts(const Counts& r, const std::vector<Counts>& classes, std::size_t from,
                          int words,
                          std::map<std::pair<Counts, std::size_t>, std::uint64_t>& seen) {
    bool empty = true;
    for (const int c : r) {
        empty = empty && c == 0;
    }
    if (empty) {
        return std::uint64_t{1} << words;
    }
    std::uint64_t found = 0;
    for (std::size_t i = from; i < classes.size(); ++i) {
        Counts rest = r;
        bool fits = true;
        for (std::size_t s = 0; s < r.size(); ++s) {
            rest[s] -= classes[i][s];
            fits = fits && rest[s] >= 0;
        }
        if (fits) {
            const auto key = std::make_pair(rest, i);
            const auto at = seen.find(key);
            const std::uint64_t below = at != seen.end()
                                            ? at->second
                                            : (seen[key] = bruteCounts(rest, classes, i, 0, seen));
            found |= below << (words + 1);
        }
    }
    return found;
}

// Random classes over `letters` letters, a total, and the counts of random parts of the total
// asked in random order (so that some are worked out inside others and some first). With a
// budget of checks too small to work them all out, the counts may claim more, never less.
void expectCountsOfRandomRemainders(std::mt19937& random, int letters, int most,
                                    std::size_t mostChecks = std::size_t{1} << 30) {
    std::vector<Counts> classes;
    std::vector<Cand<kLanes>> all;
    for (int c = 0; c < 40; ++c) {
        Counts counts(static_cast<std::size_t>(letters), 0);
        const int length = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < length; ++i) {
            ++counts[random() % static_cast<unsigned>(letters)];
        }
        classes.push_back(counts);
        Cand<kLanes> cand{};
        const Vec v = packed(counts);
        std::copy(v.begin(), v.end(), cand.v);
        cand.cls = static_cast<std::uint32_t>(c);
        cand.length = static_cast<std::uint32_t>(length);
        all.push_back(cand);
    }
    Counts total(static_cast<std::size_t>(letters));
    for (int& count : total) {
        count = 1 + static_cast<int>(random() % static_cast<unsigned>(most));
    }
    WordCounts<kLanes> counts(mostChecks);
    counts.start(packed(total));
    const CandList<kLanes> list = listOf(all, counts);
    std::map<std::pair<Counts, std::size_t>, std::uint64_t> seen;
    for (int query = 0; query < 300; ++query) {
        Counts r(total.size());
        int size = 0;
        for (std::size_t s = 0; s < r.size(); ++s) {
            r[s] = static_cast<int>(random() % static_cast<unsigned>(total[s] + 1));
            size += r[s];
        }
        if (size > 63) {
            continue;
        }
        const std::uint64_t expected = bruteCounts(r, classes, 0, 0, seen);
        const std::uint64_t got = countsOf(counts, packed(r), list);
        if (mostChecks < std::size_t{1} << 30) {
            ASSERT_EQ(got & expected, expected) << query;
        } else {
            ASSERT_EQ(got, expected) << query;
        }
    }
}

TEST(WordCounts, EqualTheSplitsOfAPhraseOfFewLetters) {
    std::mt19937 random(3);
    for (int round = 0; round < 6; ++round) {
        expectCountsOfRandomRemainders(random, 5, 4);  // a table place for each remainder
    }
}

TEST(WordCounts, EqualTheSplitsOfAPhraseOfManyDistinctLetters) {
    std::mt19937 random(4);
    for (int round = 0; round < 3; ++round) {
        expectCountsOfRandomRemainders(random, 20, 1);  // 2^20 remainders: hashed
    }
}

TEST(WordCounts, NeverRuleOutASplitWhenTheirBudgetRunsOut) {
    std::mt19937 random(5);
    for (int round = 0; round < 4; ++round) {
        expectCountsOfRandomRemainders(random, 5, 4, 200);
        expectCountsOfRandomRemainders(random, 20, 1, 200);
    }
}

TEST(WordCounts, StartingAgainForgetsTheRemaindersOfTheLastPhrase) {
    // Two classes, "a" and "ab": "aab" splits as a+ab (2 words); with "ab" gone from the list, a
    // remembered answer would still claim 2.
    std::vector<Cand<kLanes>> both(2);
    both[0].v[0] = 1;
    both[1].v[0] = 1 | (1u << 8);
    WordCounts<kLanes> counts;
    counts.start(packed({2, 1}));
    EXPECT_EQ(countsOf(counts, packed({2, 1}), listOf(both, counts)), std::uint64_t{1} << 2);
    counts.start(packed({2, 1}));
    EXPECT_EQ(countsOf(counts, packed({2, 1}), listOf({both[0]}, counts)), 0u);
}

}  // namespace
}  // namespace wordloom::tests
