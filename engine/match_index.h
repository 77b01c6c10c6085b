#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "word_list.h"

namespace wordloom::engine {

// The matcher's index over the sorted word list (built once at load, read-only afterwards, safe
// to query from several threads at once).
//
// Only words of 2 to 8 code units can ever be listed, so longer ones are left out. The words made
// of a-z alone ("plain" words) get two structures:
//  - tile codes, in word-list order: the word's letters sorted, one byte each, the byte holding
//    the letter (0-25, low 5 bits) and how many equal letters precede it in the word (high 3
//    bits); unused bytes hold `kUnusedTile`. A letter set with n copies of a letter covers exactly
//    the bytes of that letter whose count is below n, so the tiles a word lacks (the blanks it
//    needs) are the bytes that fail `count < n`. A whole record is one 64-bit word, which a vector
//    scan checks eight at a time.
//  - the letter tree: a trie over the sorted letters of each word (anagrams share one path), so
//    a letter set without blanks visits only the few sub-multisets it can spell.
// Words with any other code unit (capitals, digits, apostrophes, non-ASCII) are few; they are kept
// apart and checked one by one.
class MatchIndex {
public:
    static constexpr std::uint8_t kUnusedTile = 0x1F;

    struct TreeNode {
        std::uint32_t childLetters;  // bit c set: a child for letter c; plus kOneWord/kSeveralWords
        std::uint32_t firstChild;    // children follow in letter order from here
        std::uint32_t words;         // kOneWord: its position; kSeveralWords: see treeWords()
    };
    static constexpr std::uint32_t kOneWord = 1u << 30;
    static constexpr std::uint32_t kSeveralWords = 1u << 31;
    static constexpr std::uint32_t kLetterBits = (1u << 26) - 1;

    void build(const WordList& words);

    // Plain words, in word-list order.
    const std::vector<std::uint64_t>& tileCodes() const { return m_tileCodes; }
    const std::vector<std::uint32_t>& letterMasks() const { return m_letterMasks; }
    const std::vector<std::uint32_t>& plainPositions() const { return m_plainPositions; }
    const std::vector<std::uint8_t>& plainLengths() const { return m_plainLengths; }

    // The letter tree; node 0 is the root (the empty word). A node's depth is the length of its
    // words. Most nodes end one word, whose position the node holds; for several, treeWords()
    // from `words` on holds their number and then their positions. Every sibling group is
    // followed by the groups below it, depth first, so that a walk stays in nearby memory.
    const std::vector<TreeNode>& treeNodes() const { return m_treeNodes; }
    const std::vector<std::uint32_t>& treeWords() const { return m_treeWords; }

    // Positions of the listable words that are not plain, ascending.
    const std::vector<std::uint32_t>& otherPositions() const { return m_otherPositions; }

    // The size of the word list the index was built on.
    std::size_t wordCount() const { return m_wordCount; }

    std::size_t memoryBytes() const;

private:
    struct TreeItem;
    void buildTree(std::vector<TreeItem>& items);

    std::vector<std::uint64_t> m_tileCodes;
    std::vector<std::uint32_t> m_letterMasks;
    std::vector<std::uint32_t> m_plainPositions;
    std::vector<std::uint8_t> m_plainLengths;
    std::vector<TreeNode> m_treeNodes;
    std::vector<std::uint32_t> m_treeWords;
    std::vector<std::uint32_t> m_otherPositions;
    std::size_t m_wordCount = 0;
};

// How the matcher searches. Automatic chooses per letter set and processor; the others let tests
// run every path (a vector scan the processor lacks falls back to the portable scan).
enum class MatchPath { Automatic, PortableScan, Avx2Scan, Avx512Scan, LetterTree };

class LengthFilter;

// Unscramble (see matcher.h) along the given path, on a word list and its index.
void UnscrambleVia(MatchPath path, const WordList& words, const MatchIndex& index,
                   std::u16string_view letters, const LengthFilter& lengths,
                   std::vector<std::uint32_t>& found);

}  // namespace wordloom::engine
