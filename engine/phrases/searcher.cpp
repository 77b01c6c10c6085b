// The search proper, for one width of the letter-count vectors: places the class that holds the
// rarest letter left, then the next, and writes a line for every choice of members.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "engine/phrases/candidates.h"
#include "engine/phrases/phrase_search_core.h"
#include "engine/phrases/word_counts.h"

namespace wordloom::engine::phrase_detail {
namespace {

// Copies a word's text into a line. Most words are short: those of up to 16 bytes go as one
// 16-byte move, which may write past the word (the line has kCopySlack bytes of room to spare)
// and read past it (every text buffer has kCopySlack bytes after its last word).
inline void copyWord(char* to, const char* from, std::size_t bytes) {
    if (bytes <= 16) {
        std::memcpy(to, from, 16);
    } else {
        std::memcpy(to, from, bytes);
    }
}

template <int L>
class Searcher final : public BranchRunner {
    using Vec = std::array<std::uint64_t, L>;

public:
    Searcher(const Plan& plan, LineOutput& out) : m_plan(plan), m_out(out) {
        m_levels.resize(static_cast<std::size_t>(plan.letterCount) + 1);
        std::size_t w = 0;
        for (const OutWord& word : plan.contained) {
            m_chosen[w++] = &word;
        }
        m_containedCount = w;
    }

    void load(const std::shared_ptr<const RootContext>& root) override {
        if (root == m_root) {
            return;
        }
        m_root = root;
        for (int j = 0; j < L; ++j) {
            m_total[static_cast<std::size_t>(j)] = root->total[static_cast<std::size_t>(j)];
        }
        // Only best first asks the counts; without a start their places stay 0.
        if (m_plan.order == PhraseOrder::BestFirst) {
            m_counts.start(m_total);
        }
        m_places[0] = m_counts.placeOf(m_total.data());
        auto& level = m_levels[0];
        level.clearFor(root->classOf.size());
        for (std::size_t i = 0; i < root->classOf.size(); ++i) {
            Cand<L> cand;
            std::memcpy(cand.v, root->vectors.data() + i * L, sizeof cand.v);
            cand.cls = root->classOf[i];
            cand.length = root->lengthOf[i];
            cand.place = m_counts.placeOf(cand.v);
            level.add(cand);
        }
    }

    void run(const SearchPiece& piece) override {
        m_exactWords = piece.exactWords;
        if (m_exactWords == 0) {
            branch(0, m_total, m_root->letterCount, piece.position, rarestLetter<L>(m_total));
            return;
        }
        for (std::uint32_t i = 0; i < piece.count && !m_out.done; ++i) {
            top(piece.position + i);
        }
    }

private:
    static bool fits(const Vec& r, const std::uint64_t* v) { return fitsIn<L>(r, v); }

    void descend(int depth, const Vec& r, int left) {
        if ((++m_nodes & 1023) == 0 && m_out.shouldStop()) {
            m_out.done = true;
            return;
        }
        const LetterByte letter = rarestLetter<L>(r);
        const auto& list = m_levels[static_cast<std::size_t>(depth)];
        for (std::size_t i = 0; i < list.size() && !m_out.done; ++i) {
            if (holds(list[i], letter)) {
                branch(depth, r, left, i, letter);
            }
        }
    }

    // Best first: the anagrams of exactly m_exactWords words whose first class in the list (the
    // longest word, as the list runs longest first) is class i. The rest of them come from class
    // i and the classes after it, searched as the found order searches.
    void top(std::size_t i) {
        const auto& list = m_levels[0];
        const Cand<L>& chosen = list[i];
        m_stack[0] = chosen.cls;
        const Vec rest = without<L>(m_total, chosen.v);
        const int restLetters = m_root->letterCount - static_cast<int>(chosen.length);
        if (restLetters == 0 || m_exactWords == 1) {
            if (restLetters == 0 && m_exactWords == 1) {
                emit(1);
            }
            return;
        }
        m_places[1] = m_places[0] - chosen.place;
        if (!spellable(rest, m_places[1], m_exactWords - 1)) {
            return;
        }
        auto& child = m_levels[1];
        child.clearFor(list.size() - i);
        std::uint32_t shortest = kMaxPhraseLetters;
        std::uint32_t longest = 0;
        for (std::size_t j = i; j < list.size(); ++j) {
            if (fits(rest, list[j].v)) {
                child.add(list[j]);
                shortest = std::min(shortest, list[j].length);
                longest = std::max(longest, list[j].length);
            }
        }
        if (!child.empty() && canFill(shortest, longest, restLetters, m_exactWords - 1)) {
            descend(1, rest, restLetters);
        }
    }

    // Whether some `words` words may hold exactly the letters of r, whose place is `place`
    // (false: surely not).
    bool spellable(const Vec& r, std::uint32_t place, std::uint64_t words) {
        return words < 64 && ((m_counts.of(r, place, m_levels[0]) >> words) & 1u) != 0;
    }

    // Whether `words` words of lengths from `shortest` to `longest` can hold `letters` letters:
    // not more than the longest allow, nor (for an exact count) fewer than the shortest need.
    bool canFill(std::uint32_t shortest, std::uint32_t longest, int letters,
                 std::uint64_t words) const {
        const auto needed = static_cast<std::uint64_t>(letters);
        return needed <= words * longest && (m_exactWords == 0 || needed >= words * shortest);
    }

    // The anagrams that hold class i of this level's list and none of the classes before it
    // that hold the letter being placed (those were listed by the earlier branches).
    void branch(int depth, const Vec& r, int left, std::size_t i, LetterByte letter) {
        const auto& list = m_levels[static_cast<std::size_t>(depth)];
        const Cand<L>& chosen = list[i];
        m_stack[static_cast<std::size_t>(depth)] = chosen.cls;
        const Vec rest = without<L>(r, chosen.v);
        const int restLetters = left - static_cast<int>(chosen.length);
        const std::uint32_t words = static_cast<std::uint32_t>(depth) + 1;
        const std::uint32_t most = m_exactWords != 0 ? m_exactWords : m_plan.wordsLeft;
        if (restLetters == 0) {
            if (words >= m_plan.fewestWords && (m_exactWords == 0 || words == m_exactWords)) {
                emit(depth + 1);
            }
            return;
        }
        const std::uint64_t wordsAfter = std::uint64_t{most} - words;
        const std::uint32_t restPlace = m_places[static_cast<std::size_t>(depth)] - chosen.place;
        if (wordsAfter == 0 || (m_exactWords != 0 && !spellable(rest, restPlace, wordsAfter))) {
            return;
        }
        m_places[static_cast<std::size_t>(depth) + 1] = restPlace;
        auto& child = m_levels[static_cast<std::size_t>(depth) + 1];
        child.clearFor(list.size());
        std::uint32_t shortest = kMaxPhraseLetters;
        std::uint32_t longest = 0;
        const auto take = [&](const Cand<L>& c) {
            child.add(c);
            shortest = std::min(shortest, c.length);
            longest = std::max(longest, c.length);
        };
        for (std::size_t j = 0; j < i; ++j) {
            if (!holds(list[j], letter) && fits(rest, list[j].v)) {
                take(list[j]);
            }
        }
        for (std::size_t j = i; j < list.size(); ++j) {
            if (fits(rest, list[j].v)) {
                take(list[j]);
            }
        }
        if (child.empty() || !canFill(shortest, longest, restLetters, wordsAfter)) {
            return;
        }
        descend(depth + 1, rest, restLetters);
    }

    // Writes every line of the class multiset on the stack: each choice of members.
    void emit(int count) {
        std::array<std::uint32_t, kMaxPhraseLetters> classes;
        std::copy(m_stack.begin(), m_stack.begin() + count, classes.begin());
        std::sort(classes.begin(), classes.begin() + count);
        m_groupCount = 0;
        for (int i = 0; i < count; ++i) {
            if (i > 0 &&
                classes[static_cast<std::size_t>(i)] == classes[static_cast<std::size_t>(i) - 1]) {
                ++m_groups[m_groupCount - 1].times;
            } else {
                m_groups[m_groupCount++] = {classes[static_cast<std::size_t>(i)], 1};
            }
        }
        expand(0, m_containedCount);
    }

    void expand(std::size_t group, std::size_t filled) {
        if (group == m_groupCount) {
            writeLine(filled);
            return;
        }
        pick(group, 0, m_groups[group].times, filled);
    }

    // Chooses `times` members of the group's class in non-decreasing order (increasing without
    // repeats) so that each multiset of words comes once.
    void pick(std::size_t group, std::uint32_t from, std::uint32_t times, std::size_t filled) {
        if (times == 0) {
            expand(group + 1, filled);
            return;
        }
        const PlanClass& cls = m_plan.classes[m_groups[group].cls];
        const OutWord* const members = m_plan.members.data() + cls.firstMember;
        for (std::uint32_t m = from; m < cls.memberCount && !m_out.done; ++m) {
            m_chosen[filled] = members + m;
            pick(group, m_plan.noRepeat ? m + 1 : m, times - 1, filled + 1);
        }
    }

    void writeLine(std::size_t count) {
        std::array<const OutWord*, kMaxPhraseLetters> line;
        for (std::size_t i = 0; i < count; ++i) {
            const OutWord* word = m_chosen[i];
            std::size_t at = i;
            while (at > 0 && line[at - 1]->key > word->key) {
                line[at] = line[at - 1];
                --at;
            }
            line[at] = word;
        }
        if (static_cast<std::size_t>(m_out.end - m_out.pos) < m_plan.maxLineBytes() &&
            !m_out.flush()) {
            m_out.done = true;
            return;
        }
        char* pos = m_out.pos;
        std::memcpy(pos, m_plan.linePrefix.data(), m_plan.linePrefix.size());
        pos += m_plan.linePrefix.size();
        for (std::size_t i = 0; i < count; ++i) {
            copyWord(pos, line[i]->text, line[i]->bytes);
            pos += line[i]->bytes;
            *pos++ = ' ';
        }
        pos[-1] = '\n';
        m_out.pos = pos;
        ++m_out.bufferLines;
        if (++m_out.lines >= m_plan.limit) {
            m_out.done = true;
        }
    }

    struct Group {
        std::uint32_t cls;
        std::uint32_t times;
    };

    const Plan& m_plan;
    LineOutput& m_out;
    std::shared_ptr<const RootContext> m_root;
    std::vector<CandList<L>> m_levels;
    Vec m_total{};
    std::array<std::uint32_t, kMaxPhraseLetters> m_stack{};
    std::array<Group, kMaxPhraseLetters> m_groups{};
    std::size_t m_groupCount = 0;
    std::array<const OutWord*, kMaxPhraseLetters> m_chosen{};
    std::size_t m_containedCount = 0;
    std::uint64_t m_nodes = 0;
    std::uint32_t m_exactWords = 0;  // 0: the found order, up to the plan's word limit
    WordCounts<L> m_counts;          // best first: the word counts of each remainder
    // Best first: the place (WordCounts::placeOf) of the remainder at each depth.
    std::array<std::uint32_t, kMaxPhraseLetters + 1> m_places{};
};

}  // namespace

std::unique_ptr<BranchRunner> makeBranchRunner(int lanes, const Plan& plan, LineOutput& out) {
    switch (lanes) {
        case 1:
            return std::make_unique<Searcher<1>>(plan, out);
        case 2:
            return std::make_unique<Searcher<2>>(plan, out);
        case 3:
            return std::make_unique<Searcher<3>>(plan, out);
        case 4:
            return std::make_unique<Searcher<4>>(plan, out);
        case 6:
            return std::make_unique<Searcher<6>>(plan, out);
        default:
            return std::make_unique<Searcher<8>>(plan, out);
    }
}

void BranchRunners::run(const SearchPiece& piece) {
    const std::shared_ptr<const RootContext>& root = piece.root;
    const int lanes = root->lanes;
    const std::size_t slot = lanes <= 4 ? static_cast<std::size_t>(lanes) : lanes <= 6 ? 5u : 6u;
    if (!m_runners[slot]) {
        m_runners[slot] = makeBranchRunner(lanes, m_plan, m_out);
    }
    m_runners[slot]->load(root);
    m_runners[slot]->run(piece);
}

// Writes the one line of an anagram made of the contained words alone.
void writeContainedOnly(const Plan& plan, LineOutput& out) {
    std::vector<const OutWord*> line;
    for (const OutWord& word : plan.contained) {
        line.push_back(&word);
    }
    std::stable_sort(line.begin(), line.end(),
                     [](const OutWord* a, const OutWord* b) { return a->key < b->key; });
    if (static_cast<std::size_t>(out.end - out.pos) < plan.maxLineBytes() && !out.flush()) {
        out.done = true;
        return;
    }
    char* pos = out.pos;
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a line of output, no C string
    std::memcpy(pos, plan.linePrefix.data(), plan.linePrefix.size());
    pos += plan.linePrefix.size();
    for (const OutWord* word : line) {
        std::memcpy(pos, word->text, word->bytes);
        pos += word->bytes;
        *pos++ = ' ';
    }
    pos[-1] = '\n';
    out.pos = pos;
    ++out.bufferLines;
    ++out.lines;
}

}  // namespace wordloom::engine::phrase_detail
