#include "engine/words/tree_walk.h"

#include <array>
#include <cstddef>
#include <utility>

#include "engine/words/found_positions.h"

namespace wordloom::engine::word_search {
namespace {

// The lengths the filter wants, asked through the gate the first time a word of that length is
// found, and then remembered as two bit masks so that each node costs one test.
struct WantedLengths {
    LengthGate& gate;
    std::uint32_t known = 0;
    std::uint32_t wanted = 0;

    bool wants(int length) {
        const std::uint32_t bit = 1u << length;
        if ((known & bit) == 0) {
            if (gate.wants(length)) {
                wanted |= bit;
            }
            known |= bit;
        }
        return (wanted & bit) != 0;
    }
};

// The walk with blanks: a blank may stand for any letter, so every child can be followed.
struct TreeWalk {
    const MatchIndex::TreeNode* nodes;
    const std::uint32_t* words;
    std::array<std::uint8_t, 26> counts;
    std::uint32_t available;  // letters with a copy left
    WantedLengths lengths;
    FoundPositions& found;
};

inline __attribute__((always_inline)) void markWords(const MatchIndex::TreeNode& here,
                                                     std::uint32_t flags,
                                                     const std::uint32_t* words,
                                                     FoundPositions& found) {
    if (flags == MatchIndex::kOneWord) {
        found.add(here.words);
    } else {
        const std::uint32_t* list = words + here.words;
        for (std::uint32_t k = 1; k <= list[0]; ++k) {
            found.add(list[k]);
        }
    }
}

void visitNode(TreeWalk& walk, std::uint32_t node, int depth, int blanks) {
    const MatchIndex::TreeNode& here = walk.nodes[node];
    const std::uint32_t flags = here.childLetters & ~MatchIndex::kLetterBits;
    if (flags != 0 && depth >= 2 && walk.lengths.wants(depth)) {
        markWords(here, flags, walk.words, walk.found);
    }
    // Without blanks only the letters left can extend the word.
    const std::uint32_t children = here.childLetters & MatchIndex::kLetterBits;
    const std::uint32_t next = blanks > 0 ? children : children & walk.available;
    // Start loading the child groups of every child to be visited, so the fetches overlap.
    for (std::uint32_t rest = next; rest != 0; rest &= rest - 1) {
        const std::uint32_t below = here.firstChild + bitCount(children & ((rest & -rest) - 1));
        __builtin_prefetch(walk.nodes + walk.nodes[below].firstChild);
    }
    for (std::uint32_t rest = next; rest != 0; rest &= rest - 1) {
        const int letter = __builtin_ctz(rest);
        const std::uint32_t bit = 1u << letter;
        const std::uint32_t child = here.firstChild + bitCount(children & (bit - 1));
        if ((walk.available & bit) != 0) {
            std::uint8_t& count = walk.counts[static_cast<std::size_t>(letter)];
            if (--count == 0) {
                walk.available &= ~bit;
            }
            visitNode(walk, child, depth + 1, blanks);
            if (count++ == 0) {
                walk.available |= bit;
            }
        } else {
            visitNode(walk, child, depth + 1, blanks - 1);
        }
    }
}

// The walk without blanks, the batch tool's usual case: only the letters left extend a word.
// The children of a node are a contiguous group in letter order, so a child's index is the
// number of the node's letters below its own.

// A node reached by a walk without blanks. The tree spells each word's letters in ascending
// order, so below a node only letters from its own letter on can follow, and of its own letter
// only the copies the path has not used yet: the letter and that count are all the state a
// node needs.
struct Reached {
    std::uint32_t node;
    std::uint8_t letter;  // the last letter of the path
    std::uint8_t used;    // copies of that letter on the path
};

// Level by level rather than depth first: the nodes of the next level are all known before any
// of them is read, so their loads overlap instead of waiting for each other. Whether a node ends
// words is noted without a branch (nodes end words or not at random, so a branch would
// mispredict); the words of nodes that end several are added after the walk.
void walkWithoutBlanks(const MatchIndex::TreeNode* nodes, const std::uint32_t* words,
                       const Tiles& tiles, WantedLengths& lengths, FoundPositions& found) {
    thread_local std::vector<Reached> levels[2];
    std::vector<Reached>* level = &levels[0];
    std::vector<Reached>* nextLevel = &levels[1];
    level->clear();
    {
        const std::uint32_t children = nodes[0].childLetters & MatchIndex::kLetterBits;
        for (std::uint32_t rest = children & tiles.mask; rest != 0; rest &= rest - 1) {
            const std::uint32_t bit = rest & (0u - rest);
            const std::uint32_t child = nodes[0].firstChild + bitCount(children & (bit - 1));
            __builtin_prefetch(nodes + child);
            level->push_back({child, static_cast<std::uint8_t>(__builtin_ctz(bit)), 1});
        }
    }
    std::uint32_t* const positions = found.positions();
    std::uint32_t* const severalNodes = found.nodes();
    std::size_t count = found.count();
    std::size_t nodeCount = found.nodeCount();
    for (int depth = 1; !level->empty(); ++depth) {
        nextLevel->clear();
        const std::size_t levelStart = count;
        const std::size_t levelNodesStart = nodeCount;
        const bool listed = depth >= 2;  // words of one letter never are
        for (const Reached& reached : *level) {
            const MatchIndex::TreeNode& here = nodes[reached.node];
            const std::uint32_t flags = here.childLetters & ~MatchIndex::kLetterBits;
            positions[count] = here.words;
            count += listed && flags == MatchIndex::kOneWord ? 1 : 0;
            severalNodes[nodeCount] = reached.node;
            nodeCount += listed && flags == MatchIndex::kSeveralWords ? 1 : 0;
            const std::uint32_t children = here.childLetters & MatchIndex::kLetterBits;
            const std::uint32_t last = reached.letter;
            std::uint32_t allowed = tiles.mask & ~((2u << last) - 1);
            if (reached.used < tiles.counts[last]) {
                allowed |= 1u << last;
            }
            for (std::uint32_t rest = children & allowed; rest != 0; rest &= rest - 1) {
                const std::uint32_t bit = rest & (0u - rest);
                const std::uint32_t child = here.firstChild + bitCount(children & (bit - 1));
                __builtin_prefetch(nodes + child);
                const auto letter = static_cast<std::uint32_t>(__builtin_ctz(bit));
                nextLevel->push_back(
                    {child, static_cast<std::uint8_t>(letter),
                     static_cast<std::uint8_t>(letter == last ? reached.used + 1 : 1)});
            }
        }
        // The filter is asked about a length only once a word of that length has turned up.
        const bool ended = count != levelStart || nodeCount != levelNodesStart;
        if (ended && !lengths.wants(depth)) {
            count = levelStart;
            nodeCount = levelNodesStart;
        }
        std::swap(level, nextLevel);
    }
    found.setCounts(count, nodeCount);
    found.addListedWords(nodes, words);
}

}  // namespace

void walkTree(const MatchIndex& index, const Tiles& tiles, LengthGate& gate,
              std::vector<std::uint32_t>& out) {
    thread_local FoundPositions found;
    found.fit(index.wordCount(), index.treeNodes().size());
    const MatchIndex::TreeNode* nodes = index.treeNodes().data();
    const std::uint32_t* words = index.treeWords().data();
    try {
        if (tiles.blanks == 0) {
            WantedLengths lengths{gate};
            walkWithoutBlanks(nodes, words, tiles, lengths, found);
        } else {
            TreeWalk walk{nodes, words, tiles.counts, tiles.mask, WantedLengths{gate}, found};
            visitNode(walk, 0, 0, tiles.blanks);
        }
    } catch (...) {
        found.discard();  // reused by this thread's next call
        throw;
    }
    found.drainSorted(out);
}

}  // namespace wordloom::engine::word_search
