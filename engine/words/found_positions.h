#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/match_index.h"

namespace wordloom::engine::word_search {

// The positions a walk finds, kept per thread from call to call. A walk names each position at
// most once (a word sits on one node, and a walk reaches a node once), so room for every word of
// the list, plus one spare slot that a blank-free walk writes ahead without a branch, is always
// enough. The room is allocated but not touched, so only the part a walk writes costs memory.
class FoundPositions {
public:
    void fit(std::size_t wordCount, std::size_t nodeCount) {
        if (m_room < wordCount + 1) {
            m_positions.reset(new std::uint32_t[wordCount + 1]);
            m_spare.reset(new std::uint32_t[wordCount + 1]);
            m_room = wordCount + 1;
        }
        if (m_nodeRoom < nodeCount + 1) {
            m_nodes.reset(new std::uint32_t[nodeCount + 1]);
            m_nodeRoom = nodeCount + 1;
        }
        m_digits = 1;
        while (m_digits * kDigitBits < 32 &&
               (std::size_t{1} << (m_digits * kDigitBits)) < wordCount) {
            ++m_digits;
        }
    }

    void add(std::uint32_t position) { m_positions[m_count++] = position; }

    // For a walk that keeps the counts in registers: it writes at positions() + count() (and at
    // one slot more, which it may leave unused), and at nodes() + nodeCount() the nodes whose
    // several words are to be added later (see addListedWords), then sets the new counts.
    std::uint32_t* positions() { return m_positions.get(); }
    std::uint32_t* nodes() { return m_nodes.get(); }
    std::size_t count() const { return m_count; }
    std::size_t nodeCount() const { return m_nodeCount; }
    void setCounts(std::size_t count, std::size_t nodeCount) {
        m_count = count;
        m_nodeCount = nodeCount;
    }

    // Adds the words of the nodes noted at nodes().
    void addListedWords(const MatchIndex::TreeNode* nodes, const std::uint32_t* words) {
        for (std::size_t k = 0; k < m_nodeCount; ++k) {
            const std::uint32_t* list = words + nodes[m_nodes[k]].words;
            for (std::uint32_t w = 1; w <= list[0]; ++w) {
                add(list[w]);
            }
        }
        m_nodeCount = 0;
    }

    void discard() { setCounts(0, 0); }

    // Appends the positions in ascending order and forgets them: a least-significant-digit radix
    // sort, six bits a digit, the last pass writing straight into `out`.
    void drainSorted(std::vector<std::uint32_t>& out) {
        const std::size_t count = m_count;
        if (count == 0) {
            return;
        }
        const std::size_t from = out.size();
        try {
            out.resize(from + count);
        } catch (...) {
            discard();
            throw;
        }
        std::array<std::array<std::uint32_t, kBuckets>, kMaxDigits> starts{};
        const std::uint32_t* source = m_positions.get();
        for (std::size_t i = 0; i < count; ++i) {
            for (int digit = 0; digit < m_digits; ++digit) {
                ++starts[static_cast<std::size_t>(digit)][digitOf(source[i], digit)];
            }
        }
        for (int digit = 0; digit < m_digits; ++digit) {
            std::uint32_t sum = 0;
            for (std::uint32_t& start : starts[static_cast<std::size_t>(digit)]) {
                sum += std::exchange(start, sum);
            }
        }
        std::uint32_t* buffers[2] = {m_spare.get(), m_positions.get()};
        for (int digit = 0; digit < m_digits; ++digit) {
            std::uint32_t* target = digit + 1 == m_digits ? out.data() + from : buffers[digit % 2];
            std::array<std::uint32_t, kBuckets>& next = starts[static_cast<std::size_t>(digit)];
            for (std::size_t i = 0; i < count; ++i) {
                target[next[digitOf(source[i], digit)]++] = source[i];
            }
            source = target;
        }
        m_count = 0;
    }

private:
    static constexpr int kDigitBits = 6;
    static constexpr int kMaxDigits = (32 + kDigitBits - 1) / kDigitBits;
    static constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

    static std::size_t digitOf(std::uint32_t position, int digit) {
        return (position >> (digit * kDigitBits)) & (kBuckets - 1);
    }

    std::unique_ptr<std::uint32_t[]> m_positions;
    std::unique_ptr<std::uint32_t[]> m_spare;
    std::unique_ptr<std::uint32_t[]> m_nodes;
    std::size_t m_room = 0;
    std::size_t m_nodeRoom = 0;
    std::size_t m_count = 0;
    std::size_t m_nodeCount = 0;
    int m_digits = 1;
};

}  // namespace wordloom::engine::word_search
