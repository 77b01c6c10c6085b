#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "huge_page_buffer.h"
#include "word_list.h"

namespace wordloom::engine {

// The matcher's index over the sorted word list (built once at load, read-only afterwards, safe
// to query from several threads at once).
//
// The window lists words of 2 to 8 code units; the batch tool can ask for words of up to 27. The
// short words (2 to 8) made of a-z alone ("plain" words) get two structures:
//  - tile codes, in word-list order: the word's letters sorted, one byte each, the byte holding
//    the letter (0-25, low 5 bits) and how many equal letters precede it in the word (high 3
//    bits); unused bytes hold `kUnusedTile`. A letter set with n copies of a letter covers exactly
//    the bytes of that letter whose count is below n, so the tiles a word lacks (the blanks it
//    needs) are the bytes that fail `count < n`. A whole record is one 64-bit word, which a vector
//    scan checks eight at a time.
//  - the letter tree: a trie over the sorted letters of each word (anagrams share one path), so
//    a letter set without blanks visits only the few sub-multisets it can spell.
// Short words with any other code unit (capitals, digits, apostrophes, non-ASCII) are few; they
// are kept apart and checked one by one.
//
// The long words (9 to 27) have tables of their own (LongWords), built on the first search that
// wants one of those lengths: the window never does, so they cost its start-up and its searches
// nothing. Per word, in word-list order, three 32-bit masks: the letters a-z it holds at least
// once, twice and three times (bits 0-25). A letter set lacks exactly as many tiles for the word
// as there are bits in those masks that the set's own masks lack, so the masks decide the word
// alone unless it holds a fourth copy of a letter or a code unit outside a-z; bit 31 of the
// first mask marks those, which are spelled out one by one. Bits 26-30 of the first mask hold
// the word's length. A vector scan tests eight words at a time. Words longer than 27 can never
// be listed (a letter set holds at most 27) and are left out.
class MatchIndex {
public:
    static constexpr std::uint8_t kUnusedTile = 0x1F;

    static constexpr int kLongestShort = 8;
    static constexpr int kLongestListed = 27;
    static constexpr std::uint32_t kLongLengthShift = 26;
    static constexpr std::uint32_t kLongSpellOut = 1u << 31;
    static constexpr int kLongCopies = 3;

    struct TreeNode {
        std::uint32_t childLetters;  // bit c set: a child for letter c; plus kOneWord/kSeveralWords
        std::uint32_t firstChild;    // children follow in letter order from here
        std::uint32_t words;         // kOneWord: its position; kSeveralWords: see treeWords()
    };
    static constexpr std::uint32_t kOneWord = 1u << 30;
    static constexpr std::uint32_t kSeveralWords = 1u << 31;
    static constexpr std::uint32_t kLetterBits = (1u << 26) - 1;

    MatchIndex();
    MatchIndex(MatchIndex&&) noexcept;
    MatchIndex& operator=(MatchIndex&&) noexcept;
    ~MatchIndex();

    void build(const WordList& words);

    // Plain words, in word-list order.
    std::span<const std::uint64_t> tileCodes() const { return plainTable<std::uint64_t>(0); }
    std::span<const std::uint32_t> letterMasks() const { return plainTable<std::uint32_t>(8); }
    std::span<const std::uint32_t> plainPositions() const { return plainTable<std::uint32_t>(12); }
    std::span<const std::uint8_t> plainLengths() const { return plainTable<std::uint8_t>(16); }

    // The letter tree; node 0 is the root (the empty word). A node's depth is the length of its
    // words. Most nodes end one word, whose position the node holds; for several, treeWords()
    // from `words` on holds their number and then their positions. Every sibling group is
    // followed by the groups below it, depth first, so that a walk stays in nearby memory.
    const HugePageVector<TreeNode>& treeNodes() const { return m_treeNodes; }
    const HugePageVector<std::uint32_t>& treeWords() const { return m_treeWords; }

    // Positions of the short words that are not plain, ascending.
    const HugePageVector<std::uint32_t>& otherPositions() const { return m_otherPositions; }

    // The lengths 9 to 27 that occur in the word list, bit L for length L.
    std::uint32_t longLengths() const { return m_longLengths; }

    // The long words, in word-list order: their masks of first, second and third copies
    // (see above) and their positions.
    struct LongWords {
        std::array<HugePageVector<std::uint32_t>, kLongCopies> copies;
        HugePageVector<std::uint32_t> positions;
    };
    // Builds the tables on the first call (one thread builds, the others wait); `words` must be
    // the list the index was built on. Throws std::bad_alloc when they do not fit, and the next
    // call tries again.
    const LongWords& longWords(const WordList& words) const;

    // The size of the word list the index was built on.
    std::size_t wordCount() const { return m_wordCount; }

    // The memory the index holds, the long-word tables included once they are built.
    std::size_t memoryBytes() const;

private:
    struct TreeItem;
    void buildTree(HugePageVector<TreeItem>& items);

    // The four plain-word tables, each `m_plainCapacity` entries, share one block so that a
    // fresh process faults them in as one huge page: tile codes at byte 0, letter masks at
    // 8 x capacity, positions at 12 x, lengths at 16 x (17 bytes per word).
    template <typename T>
    T* plainTableAt(std::size_t bytesPerWordBefore) {
        return reinterpret_cast<T*>(m_plainBlock.data() + bytesPerWordBefore * m_plainCapacity);
    }
    template <typename T>
    std::span<const T> plainTable(std::size_t bytesPerWordBefore) const {
        return {
            reinterpret_cast<const T*>(m_plainBlock.data() + bytesPerWordBefore * m_plainCapacity),
            m_plainCount};
    }

    HugePageBuffer<std::byte> m_plainBlock;
    std::size_t m_plainCapacity = 0;
    std::size_t m_plainCount = 0;
    HugePageVector<TreeNode> m_treeNodes;
    HugePageVector<std::uint32_t> m_treeWords;
    HugePageVector<std::uint32_t> m_otherPositions;
    struct LazyLongWords;
    std::unique_ptr<LazyLongWords> m_longWords;
    std::uint32_t m_longLengths = 0;
    std::size_t m_wordCount = 0;
};

}  // namespace wordloom::engine
