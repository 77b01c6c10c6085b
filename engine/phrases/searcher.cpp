// The search proper, for one width of the letter-count vectors: places the class that holds the
// rarest letter left, then the next, and writes a line for every choice of members.

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "engine/phrases/phrase_search_core.h"

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
struct Cand {
    std::uint64_t v[L];
    std::uint32_t cls;
    std::uint32_t length;
};

template <int L>
class Searcher final : public BranchRunner {
    using Vec = std::array<std::uint64_t, L>;
    static constexpr std::uint64_t kHigh = 0x8080808080808080u;

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
        auto& level = m_levels[0];
        level.clear();
        level.reserve(root->classOf.size());
        for (std::size_t i = 0; i < root->classOf.size(); ++i) {
            Cand<L> cand;
            std::memcpy(cand.v, root->vectors.data() + i * L, sizeof cand.v);
            cand.cls = root->classOf[i];
            cand.length = root->lengthOf[i];
            level.push_back(cand);
        }
        for (int j = 0; j < L; ++j) {
            m_total[static_cast<std::size_t>(j)] = root->total[static_cast<std::size_t>(j)];
        }
    }

    void run(std::size_t branch) override {
        this->branch(0, m_total, m_root->letterCount, branch, 0, 0);
    }

private:
    static bool fits(const Vec& r, const std::uint64_t* v) {
        std::uint64_t all = kHigh;
        for (int j = 0; j < L; ++j) {
            all &= (r[static_cast<std::size_t>(j)] | kHigh) - v[j];
        }
        return all == kHigh;
    }

    static bool holds(const Cand<L>& c, int lane, int shift) {
        return ((c.v[lane] >> shift) & 0xFF) != 0;
    }

    void descend(int depth, const Vec& r, int left) {
        if ((++m_nodes & 1023) == 0 && m_out.shouldStop()) {
            m_out.done = true;
            return;
        }
        int lane = 0;
        while (r[static_cast<std::size_t>(lane)] == 0) {
            ++lane;
        }
        const int shift = std::countr_zero(r[static_cast<std::size_t>(lane)]) & ~7;
        const auto& list = m_levels[static_cast<std::size_t>(depth)];
        for (std::size_t i = 0; i < list.size() && !m_out.done; ++i) {
            if (holds(list[i], lane, shift)) {
                branch(depth, r, left, i, lane, shift);
            }
        }
    }

    // The anagrams that hold class i of this level's list and none of the classes before it
    // that hold the letter being placed (those were listed by the earlier branches).
    void branch(int depth, const Vec& r, int left, std::size_t i, int lane, int shift) {
        const auto& list = m_levels[static_cast<std::size_t>(depth)];
        const Cand<L>& chosen = list[i];
        m_stack[static_cast<std::size_t>(depth)] = chosen.cls;
        Vec rest;
        for (int j = 0; j < L; ++j) {
            rest[static_cast<std::size_t>(j)] = r[static_cast<std::size_t>(j)] - chosen.v[j];
        }
        const int restLetters = left - static_cast<int>(chosen.length);
        if (restLetters == 0) {
            emit(depth + 1);
            return;
        }
        const std::uint64_t wordsAfter = std::uint64_t{m_plan.wordsLeft} - (depth + 1);
        if (wordsAfter == 0) {
            return;
        }
        auto& child = m_levels[static_cast<std::size_t>(depth) + 1];
        child.clear();
        std::uint32_t longest = 0;
        for (std::size_t j = 0; j < i; ++j) {
            const Cand<L>& c = list[j];
            if (!holds(c, lane, shift) && fits(rest, c.v)) {
                child.push_back(c);
                longest = std::max(longest, c.length);
            }
        }
        for (std::size_t j = i; j < list.size(); ++j) {
            const Cand<L>& c = list[j];
            if (fits(rest, c.v)) {
                child.push_back(c);
                longest = std::max(longest, c.length);
            }
        }
        if (child.empty() || static_cast<std::uint64_t>(restLetters) > wordsAfter * longest) {
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

    // Chooses `times` members of the group's class, repeats allowed, in non-decreasing order so
    // that each multiset of words comes once.
    void pick(std::size_t group, std::uint32_t from, std::uint32_t times, std::size_t filled) {
        if (times == 0) {
            expand(group + 1, filled);
            return;
        }
        const PlanClass& cls = m_plan.classes[m_groups[group].cls];
        const OutWord* const members = m_plan.members.data() + cls.firstMember;
        for (std::uint32_t m = from; m < cls.memberCount && !m_out.done; ++m) {
            m_chosen[filled] = members + m;
            pick(group, m, times - 1, filled + 1);
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
    std::vector<std::vector<Cand<L>>> m_levels;
    Vec m_total{};
    std::array<std::uint32_t, kMaxPhraseLetters> m_stack{};
    std::array<Group, kMaxPhraseLetters> m_groups{};
    std::size_t m_groupCount = 0;
    std::array<const OutWord*, kMaxPhraseLetters> m_chosen{};
    std::size_t m_containedCount = 0;
    std::uint64_t m_nodes = 0;
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

void BranchRunners::run(const std::shared_ptr<const RootContext>& root, std::size_t branch) {
    const int lanes = root->lanes;
    const std::size_t slot = lanes <= 4 ? static_cast<std::size_t>(lanes) : lanes <= 6 ? 5u : 6u;
    if (!m_runners[slot]) {
        m_runners[slot] = makeBranchRunner(lanes, m_plan, m_out);
    }
    m_runners[slot]->load(root);
    m_runners[slot]->run(root->branches[branch]);
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
