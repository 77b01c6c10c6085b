#include "engine/match_index.h"

#include <array>
#include <atomic>
#include <mutex>
#include <string_view>
#include <utility>

namespace wordloom::engine {
namespace {

constexpr std::size_t kMinListed = 2;
constexpr std::size_t kMaxListed = 8;
constexpr int kKeyBits = 5 * static_cast<int>(kMaxListed);
// Bytes per plain word in the shared block: tile code, letter mask, position, length.
constexpr std::size_t kPlainBytesPerWord = 8 + 4 + 4 + 1;

bool isListableLength(std::size_t length) {
    return length >= kMinListed && length <= kMaxListed;
}

bool isLongListable(std::size_t length) {
    return length > kMaxListed && length <= static_cast<std::size_t>(MatchIndex::kLongestListed);
}

bool isPlain(std::u16string_view word) {
    for (const char16_t c : word) {
        if (c < u'a' || c > u'z') {
            return false;
        }
    }
    return true;
}

// A plain word sorted by letters: its tile code, its letter mask and the tree key, which holds
// letter + 1 in 5-bit groups from the top, so that a key sorts after all of its prefixes.
struct SortedLetters {
    std::uint64_t tileCode = 0;
    std::uint32_t mask = 0;
    std::uint64_t treeKey = 0;
};

SortedLetters sortLetters(std::u16string_view word) {
    std::array<std::uint8_t, 26> counts{};
    SortedLetters sorted;
    for (const char16_t c : word) {
        const int letter = c - u'a';
        ++counts[static_cast<std::size_t>(letter)];
        sorted.mask |= 1u << letter;
    }
    int slot = 0;
    for (std::uint32_t rest = sorted.mask; rest != 0; rest &= rest - 1) {
        const int letter = __builtin_ctz(rest);
        for (int seen = 0; seen < counts[static_cast<std::size_t>(letter)]; ++seen, ++slot) {
            const auto tile = static_cast<std::uint64_t>(letter | (seen << 5));
            sorted.tileCode |= tile << (8 * slot);
            sorted.treeKey |= static_cast<std::uint64_t>(letter + 1) << (kKeyBits - 5 * (slot + 1));
        }
    }
    for (; slot < static_cast<int>(kMaxListed); ++slot) {
        sorted.tileCode |= std::uint64_t{MatchIndex::kUnusedTile} << (8 * slot);
    }
    return sorted;
}

// A long word's masks of first, second and third copies, its length in the first, and the mark
// for a word that the masks do not decide.
std::array<std::uint32_t, MatchIndex::kLongCopies> longMasks(std::u16string_view word) {
    std::uint32_t once = 0;
    std::uint32_t twice = 0;
    std::uint32_t thrice = 0;
    std::uint32_t more = 0;
    std::uint32_t other = 0;
    for (const char16_t c : word) {
        if (c < u'a' || c > u'z') {
            other = MatchIndex::kLongSpellOut;
            continue;
        }
        const std::uint32_t bit = 1u << (c - u'a');
        more |= thrice & bit;
        thrice |= twice & bit;
        twice |= once & bit;
        once |= bit;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(word.size())
                                 << MatchIndex::kLongLengthShift;
    return {once | length | other | (more != 0 ? MatchIndex::kLongSpellOut : 0), twice, thrice};
}

}  // namespace

struct MatchIndex::TreeItem {
    std::uint64_t key;
    std::uint32_t position;
    std::uint32_t length;
};

namespace {

// Stable least-significant-digit radix sort on the 40 key bits, a byte per pass.
template <typename Item>
void sortByKey(HugePageVector<Item>& items) {
    HugePageVector<Item> buffer(items.size());
    for (int shift = 0; shift < kKeyBits; shift += 8) {
        std::array<std::size_t, 257> starts{};
        for (const Item& item : items) {
            ++starts[((item.key >> shift) & 0xFF) + 1];
        }
        for (std::size_t digit = 1; digit < starts.size(); ++digit) {
            starts[digit] += starts[digit - 1];
        }
        for (const Item& item : items) {
            buffer[starts[(item.key >> shift) & 0xFF]++] = item;
        }
        items.swap(buffer);
    }
}

template <typename T>
std::size_t bytesOf(const HugePageVector<T>& vector) {
    return vector.capacity() * sizeof(T);
}

}  // namespace

struct MatchIndex::LazyLongWords {
    std::once_flag built;
    std::atomic<bool> ready{false};
    LongWords tables;

    std::size_t memoryBytes() const {
        if (!ready.load(std::memory_order_acquire)) {
            return 0;
        }
        std::size_t bytes = bytesOf(tables.positions);
        for (const HugePageVector<std::uint32_t>& copies : tables.copies) {
            bytes += bytesOf(copies);
        }
        return bytes;
    }
};

MatchIndex::MatchIndex() = default;
MatchIndex::MatchIndex(MatchIndex&&) noexcept = default;
MatchIndex& MatchIndex::operator=(MatchIndex&&) noexcept = default;
MatchIndex::~MatchIndex() = default;

const MatchIndex::LongWords& MatchIndex::longWords(const WordList& words) const {
    if (!m_longWords) {
        static const LongWords none;  // an index that was never built
        return none;
    }
    LazyLongWords& lazy = *m_longWords;
    std::call_once(lazy.built, [&] {
        std::size_t count = 0;
        for (const std::u16string_view word : words.views()) {
            count += isLongListable(word.size()) ? 1 : 0;
        }
        LongWords tables;
        for (HugePageVector<std::uint32_t>& copies : tables.copies) {
            copies.resize(count);
        }
        tables.positions.resize(count);
        std::size_t k = 0;
        for (std::size_t position = 0; position < words.size(); ++position) {
            const std::u16string_view word = words[position];
            if (!isLongListable(word.size())) {
                continue;
            }
            const auto masks = longMasks(word);
            for (std::size_t copy = 0; copy < masks.size(); ++copy) {
                tables.copies[copy][k] = masks[copy];
            }
            tables.positions[k] = static_cast<std::uint32_t>(position);
            ++k;
        }
        lazy.tables = std::move(tables);
        lazy.ready.store(true, std::memory_order_release);
    });
    return lazy.tables;
}

void MatchIndex::build(const WordList& words) {
    m_wordCount = words.size();
    // Usually every listable word is plain; counting by length alone avoids a pass over the text.
    std::size_t listableCount = 0;
    std::uint32_t lengths = 0;
    for (const std::u16string_view word : words.views()) {
        listableCount += isListableLength(word.size()) ? 1 : 0;
        lengths |= isLongListable(word.size()) ? 1u << word.size() : 0;
    }
    const std::size_t plainCount = listableCount;
    m_longLengths = lengths;
    m_longWords = std::make_unique<LazyLongWords>();

    m_otherPositions.clear();
    m_plainBlock = HugePageBuffer<std::byte>();
    m_plainBlock.resize(kPlainBytesPerWord * plainCount);
    m_plainCapacity = plainCount;
    m_plainCount = 0;
    auto* const tileCodes = plainTableAt<std::uint64_t>(0);
    auto* const letterMasks = plainTableAt<std::uint32_t>(8);
    auto* const plainPositions = plainTableAt<std::uint32_t>(12);
    auto* const plainLengths = plainTableAt<std::uint8_t>(16);

    HugePageVector<TreeItem> items;
    items.reserve(plainCount);
    for (std::size_t position = 0; position < words.size(); ++position) {
        const std::u16string_view word = words[position];
        const auto at = static_cast<std::uint32_t>(position);
        if (!isListableLength(word.size())) {
            continue;
        }
        if (!isPlain(word)) {
            m_otherPositions.push_back(at);
            continue;
        }
        const SortedLetters sorted = sortLetters(word);
        const auto length = static_cast<std::uint32_t>(word.size());
        tileCodes[m_plainCount] = sorted.tileCode;
        letterMasks[m_plainCount] = sorted.mask;
        plainPositions[m_plainCount] = at;
        plainLengths[m_plainCount] = static_cast<std::uint8_t>(length);
        ++m_plainCount;
        items.push_back({sorted.treeKey, at, length});
    }

    buildTree(items);
}

namespace {

// A node of the letter tree while it is built level by level: its words are the items from
// wordBegin on, wordCount of them, and its children follow each other from firstChild on.
struct LevelNode {
    std::uint32_t childLetters;
    std::uint32_t firstChild;
    std::uint32_t wordBegin;
    std::uint32_t wordCount;
};

// The tree level by level: the keys are sorted, so the nodes of one depth appear in key order and
// the children of each parent come out next to each other, in letter order. A node's words are
// the items whose key equals its prefix; they come first among its items.
template <typename Items>
HugePageVector<LevelNode> levelsOf(const Items& items) {
    HugePageVector<LevelNode> levels{{0, 0, 0, 0}};
    levels.reserve(items.size() * 2);
    HugePageVector<std::uint32_t> itemNode(items.size(), 0);
    for (int depth = 1; depth <= static_cast<int>(kMaxListed); ++depth) {
        const int shift = kKeyBits - 5 * depth;
        std::uint64_t lastPrefix = 0;
        std::uint32_t lastNode = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto& item = items[i];
            if (item.length < static_cast<std::uint32_t>(depth)) {
                continue;
            }
            const std::uint64_t prefix = item.key >> shift;
            if (lastNode == 0 || prefix != lastPrefix) {
                lastNode = static_cast<std::uint32_t>(levels.size());
                lastPrefix = prefix;
                LevelNode& parent = levels[itemNode[i]];
                if (parent.childLetters == 0) {
                    parent.firstChild = lastNode;
                }
                parent.childLetters |= 1u << ((prefix & 0x1F) - 1);
                levels.push_back({0, 0, static_cast<std::uint32_t>(i), 0});
            }
            itemNode[i] = lastNode;
            if (item.length == static_cast<std::uint32_t>(depth)) {
                ++levels[lastNode].wordCount;
            }
        }
    }
    return levels;
}

// The final order into `nodes`: each sibling group followed, depth first, by the groups below
// it. Returns the level node of each placed node.
HugePageVector<std::uint32_t> placeDepthFirst(const HugePageVector<LevelNode>& levels,
                                              HugePageVector<MatchIndex::TreeNode>& nodes) {
    nodes.clear();
    nodes.reserve(levels.size());
    HugePageVector<std::uint32_t> levelId;
    levelId.reserve(levels.size());
    nodes.push_back({levels[0].childLetters, 0, 0});
    levelId.push_back(0);
    HugePageVector<std::pair<std::uint32_t, std::uint32_t>> pending{{0, 0}};  // (level id, id)
    while (!pending.empty()) {
        const auto [from, placedAt] = pending.back();
        pending.pop_back();
        const LevelNode& node = levels[from];
        const auto children = static_cast<std::uint32_t>(__builtin_popcount(node.childLetters));
        if (children == 0) {
            continue;
        }
        const auto firstPlaced = static_cast<std::uint32_t>(nodes.size());
        nodes[placedAt].firstChild = firstPlaced;
        for (std::uint32_t k = 0; k < children; ++k) {
            const LevelNode& child = levels[node.firstChild + k];
            nodes.push_back({child.childLetters, 0, 0});
            levelId.push_back(node.firstChild + k);
        }
        // Last child first on the stack, so the first child's groups come next.
        for (std::uint32_t k = children; k-- > 0;) {
            pending.emplace_back(node.firstChild + k, firstPlaced + k);
        }
    }
    return levelId;
}

}  // namespace

void MatchIndex::buildTree(HugePageVector<TreeItem>& items) {
    sortByKey(items);
    const HugePageVector<LevelNode> levels = levelsOf(items);
    const HugePageVector<std::uint32_t> levelId = placeDepthFirst(levels, m_treeNodes);
    m_treeWords.clear();
    for (std::size_t id = 0; id < m_treeNodes.size(); ++id) {
        const LevelNode& node = levels[levelId[id]];
        TreeNode& placed = m_treeNodes[id];
        if (node.wordCount == 1) {
            placed.childLetters |= kOneWord;
            placed.words = items[node.wordBegin].position;
        } else if (node.wordCount > 1) {
            placed.childLetters |= kSeveralWords;
            placed.words = static_cast<std::uint32_t>(m_treeWords.size());
            m_treeWords.push_back(node.wordCount);
            for (std::uint32_t k = 0; k < node.wordCount; ++k) {
                m_treeWords.push_back(items[node.wordBegin + k].position);
            }
        }
    }
    m_treeWords.shrink_to_fit();
}

std::size_t MatchIndex::memoryBytes() const {
    return m_plainBlock.capacity() + bytesOf(m_treeNodes) + bytesOf(m_treeWords) +
           bytesOf(m_otherPositions) + (m_longWords ? m_longWords->memoryBytes() : 0);
}

}  // namespace wordloom::engine
