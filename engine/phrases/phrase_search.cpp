#include "engine/phrases/phrase_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "engine/phrases/phrase_search_core.h"
#include "engine/text.h"

namespace wordloom::engine {
namespace phrase_detail {
namespace {

// Sorted multiset difference `from` - `take`; the letters of `take` missing from `from` go to
// `missing` (sorted).
std::u16string subtractLetters(std::u16string_view from, std::u16string_view take,
                               std::u16string* missing) {
    std::u16string rest;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < from.size() || j < take.size()) {
        if (j == take.size() || (i < from.size() && from[i] < take[j])) {
            rest.push_back(from[i++]);
        } else if (i == from.size() || take[j] < from[i]) {
            if (missing != nullptr) {
                missing->push_back(take[j]);
            }
            ++j;
        } else {
            ++i;
            ++j;
        }
    }
    return rest;
}

// Appends the UTF-8 form of `text`; plain ASCII, the usual case, byte by byte.
void appendUtf8(std::u16string_view text, std::string& out) {
    for (const char16_t unit : text) {
        if (unit >= 0x80) {
            out += encodeUtf8(text);
            return;
        }
    }
    out.append(text.begin(), text.end());
}

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

std::uint64_t wordKey(int length, std::uint64_t rank) {
    return (std::uint64_t(kMaxPhraseLetters - length) << 40) | rank;
}

// For each code unit, 1 + the slot of the phrase letter it is, 0 for other units. One table per
// thread, cleared again after each use.
std::uint8_t* slotTable() {
    thread_local std::unique_ptr<std::uint8_t[]> table(new std::uint8_t[0x10000]());
    return table.get();
}

}  // namespace

Plan::Plan(const PhraseIndex& phraseIndex, const Phrase& phrase, const PhraseOptions& options)
    : index(&phraseIndex), limit(options.limit), linePrefix(options.linePrefix) {
    if (linePrefix.find('\n') != std::string::npos) {
        throw PhraseError("the line prefix may not hold a line end");
    }
    // parsePhrase keeps to the limit; a phrase put together by hand must too (the letter counts
    // and the search's fixed arrays are sized for it).
    if (phrase.blanks < 0 || phrase.size() > kMaxPhraseLetters) {
        throw PhraseError("a phrase can hold at most " + std::to_string(kMaxPhraseLetters) +
                          " letters and blanks");
    }
    std::u16string real = phrase.letters;
    std::sort(real.begin(), real.end());
    blanks = phrase.blanks;

    // The contained words take their letters first; blanks stand in for the ones missing.
    std::u16string containedLetters;
    std::vector<std::pair<std::string, std::uint64_t>> containedWords;
    std::u16string containedList;
    for (const std::u16string& typed : options.contain) {
        std::u16string word;
        for (const char16_t unit : toLowerCase(typed)) {
            if (unit == u'?') {
                throw PhraseError("a word to contain cannot hold a blank: \"" + encodeUtf8(typed) +
                                  "\"");
            }
            if (isPhraseLetter(unit)) {
                word.push_back(unit);
            }
        }
        if (word.empty()) {
            throw PhraseError("a word to contain holds no letter: \"" + encodeUtf8(typed) + "\"");
        }
        containedLetters += word;
        if (!containedList.empty()) {
            containedList += u' ';
        }
        containedList += word;
        containedWords.emplace_back(
            encodeUtf8(word), wordKey(static_cast<int>(std::min<std::size_t>(word.size(), 64)),
                                      phraseIndex.rankOf(word)));
    }
    if (!containedLetters.empty()) {
        std::sort(containedLetters.begin(), containedLetters.end());
        std::u16string missing;
        real = subtractLetters(real, containedLetters, &missing);
        if (missing.size() > static_cast<std::size_t>(blanks)) {
            throw PhraseError("the phrase does not hold the letters of \"" +
                              encodeUtf8(containedList) + "\"");
        }
        blanks -= static_cast<int>(missing.size());
    }
    for (const auto& [text, key] : containedWords) {
        containedText += text;
    }
    containedText.append(kCopySlack, '\0');
    {
        std::size_t offset = 0;
        for (const auto& [text, key] : containedWords) {
            contained.push_back(
                {key, containedText.data() + offset, static_cast<std::uint32_t>(text.size())});
            offset += text.size();
        }
    }
    realLetters = real;
    letterCount = static_cast<int>(real.size()) + blanks;
    containedFit = options.maxWords >= contained.size();
    wordsLeft = options.maxWords < contained.size()
                    ? 0
                    : options.maxWords - static_cast<std::uint32_t>(contained.size());
    if (letterCount == 0 || wordsLeft == 0 || limit == 0) {
        return;
    }

    // The words that fit the phrase with at most `blanks` letters to spare.
    std::uint8_t* const slots = slotTable();
    // Cleared on every way out, a failed allocation included, so the next search starts clean.
    struct ClearSlots {
        std::uint8_t* slots;
        const std::u16string& letters;
        ~ClearSlots() {
            for (const char16_t unit : letters) {
                slots[unit] = 0;
            }
        }
    };
    std::array<std::uint8_t, kMaxPhraseLetters + 1> have{};
    std::array<std::uint8_t, kMaxPhraseLetters + 1> used{};
    int distinct = 0;
    const ClearSlots clearSlots{slots, real};
    for (const char16_t unit : real) {
        if (slots[unit] == 0) {
            slots[unit] = static_cast<std::uint8_t>(++distinct);
        }
        ++have[slots[unit]];
    }
    const std::uint64_t realSignature = PhraseIndex::letterSignature(real);
    std::vector<std::uint32_t> candidates;
    const auto& words = phraseIndex.words();
    for (std::size_t w = 0; w < words.size(); ++w) {
        const PhraseIndex::Word& word = words[w];
        if (word.length > static_cast<std::uint32_t>(letterCount) ||
            ((options.lengths >> (word.length - 1)) & 1u) == 0) {
            continue;
        }
        const std::uint64_t outside = word.signature & ~realSignature;
        if (blanks == 0 ? outside != 0 : std::popcount(outside) > blanks) {
            continue;
        }
        const std::u16string_view letters = phraseIndex.lettersOf(word);
        int spare = blanks;
        for (const char16_t unit : letters) {
            const std::uint8_t slot = slots[unit];
            if (slot == 0 || ++used[slot] > have[slot]) {
                --spare;
            }
        }
        for (const char16_t unit : letters) {
            used[slots[unit]] = 0;
        }
        if (spare >= 0) {
            candidates.push_back(static_cast<std::uint32_t>(w));
        }
    }

    // Group them by their sorted letters: the members of a class are interchangeable in the
    // search and are only told apart when the lines are written.
    struct Candidate {
        std::u16string key;
        std::uint32_t word;
    };
    std::vector<Candidate> sorted;
    sorted.reserve(candidates.size());
    for (const std::uint32_t w : candidates) {
        std::u16string key(phraseIndex.lettersOf(words[w]));
        std::sort(key.begin(), key.end());
        sorted.push_back({std::move(key), w});
    }
    std::sort(sorted.begin(), sorted.end(), [](const Candidate& a, const Candidate& b) {
        if (a.key.size() != b.key.size()) {
            return a.key.size() > b.key.size();
        }
        if (a.key != b.key) {
            return a.key < b.key;
        }
        return a.word < b.word;
    });
    std::vector<std::size_t> memberOffsets;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t end = i + 1;
        while (end < sorted.size() && sorted[end].key == sorted[i].key) {
            ++end;
        }
        PlanClass cls;
        cls.key = sorted[i].key;
        if (blanks > 0) {
            subtractLetters(real, cls.key, &cls.deficit);
        }
        cls.firstMember = static_cast<std::uint32_t>(members.size());
        cls.memberCount = static_cast<std::uint32_t>(end - i);
        cls.length = static_cast<std::uint16_t>(cls.key.size());
        for (std::size_t m = i; m < end; ++m) {
            const PhraseIndex::Word& word = words[sorted[m].word];
            const std::size_t offset = memberText.size();
            appendUtf8(phraseIndex.textOf(word), memberText);
            members.push_back(
                {wordKey(static_cast<int>(word.length), PhraseIndex::rankOfPosition(word.position)),
                 nullptr, static_cast<std::uint32_t>(memberText.size() - offset)});
            memberOffsets.push_back(offset);
        }
        if (blanks > 0) {
            byDeficit[cls.deficit].push_back(static_cast<std::uint32_t>(classes.size()));
        }
        classes.push_back(std::move(cls));
        i = end;
    }
    memberText.append(kCopySlack, '\0');
    // The texts are in place: turn the offsets into pointers.
    for (std::size_t m = 0; m < members.size(); ++m) {
        members[m].text = memberText.data() + memberOffsets[m];
    }
    if (blanks > 0) {
        for (const PlanClass& cls : classes) {
            blankAlphabet += cls.key;
        }
        std::sort(blankAlphabet.begin(), blankAlphabet.end());
        blankAlphabet.erase(std::unique(blankAlphabet.begin(), blankAlphabet.end()),
                            blankAlphabet.end());
    }
}

void Plan::classesWithin(std::u16string_view blankLetters,
                         std::vector<std::uint32_t>& fitting) const {
    fitting.clear();
    if (blanks == 0) {
        fitting.resize(classes.size());
        for (std::size_t c = 0; c < classes.size(); ++c) {
            fitting[c] = static_cast<std::uint32_t>(c);
        }
        return;
    }
    // A class fits when the blanks supply its deficit: collect the classes of every
    // sub-multiset of the blank letters, then restore the class order.
    std::vector<std::pair<char16_t, int>> letters;  // distinct blank letters, their counts
    for (const char16_t unit : blankLetters) {
        if (letters.empty() || letters.back().first != unit) {
            letters.emplace_back(unit, 0);
        }
        ++letters.back().second;
    }
    std::vector<int> taken(letters.size(), 0);
    std::u16string deficit;
    for (;;) {
        deficit.clear();
        for (std::size_t i = 0; i < letters.size(); ++i) {
            deficit.append(static_cast<std::size_t>(taken[i]), letters[i].first);
        }
        const auto group = byDeficit.find(deficit);
        if (group != byDeficit.end()) {
            fitting.insert(fitting.end(), group->second.begin(), group->second.end());
        }
        std::size_t at = 0;
        while (at < letters.size() && taken[at] == letters[at].second) {
            taken[at++] = 0;
        }
        if (at == letters.size()) {
            break;
        }
        ++taken[at];
    }
    std::sort(fitting.begin(), fitting.end());
}

std::size_t Plan::maxLineBytes() const {
    // Every letter is at most three UTF-8 bytes and is followed by at most one space; the last
    // word's copy may run kCopySlack bytes further.
    return linePrefix.size() + 4 * kMaxPhraseLetters + 4 + kCopySlack;
}

bool BlankSets::next() {
    const int k = m_plan.blanks;
    const int size = static_cast<int>(m_plan.blankAlphabet.size());
    if (!m_started) {
        m_started = true;
        if (k > 0 && size == 0) {
            return false;
        }
        m_choice.assign(static_cast<std::size_t>(k), 0);
    } else {
        // The next multiset in lexicographic order: raise the last choice that can rise, and
        // set the ones after it equal to it.
        int at = k - 1;
        while (at >= 0 && m_choice[static_cast<std::size_t>(at)] == size - 1) {
            --at;
        }
        if (at < 0) {
            return false;
        }
        const int raised = ++m_choice[static_cast<std::size_t>(at)];
        for (int i = at + 1; i < k; ++i) {
            m_choice[static_cast<std::size_t>(i)] = raised;
        }
    }
    m_current.clear();
    for (const int choice : m_choice) {
        m_current.push_back(m_plan.blankAlphabet[static_cast<std::size_t>(choice)]);
    }
    return true;
}

std::shared_ptr<const RootContext> buildRoot(const Plan& plan, std::u16string_view blankLetters) {
    std::u16string total = plan.realLetters;
    total += blankLetters;
    std::sort(total.begin(), total.end());

    // The distinct letters, and how many of the fitting classes hold each.
    std::u16string letters = total;
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
    const std::size_t distinct = letters.size();
    auto slotOf = [&](char16_t unit) {
        return static_cast<std::size_t>(std::lower_bound(letters.begin(), letters.end(), unit) -
                                        letters.begin());
    };
    std::vector<std::uint32_t> fitting;
    plan.classesWithin(blankLetters, fitting);
    std::array<std::uint32_t, kMaxPhraseLetters> holding{};
    int longest = 0;
    for (const std::uint32_t c : fitting) {
        const PlanClass& cls = plan.classes[c];
        longest = std::max<int>(longest, cls.length);
        for (std::size_t i = 0; i < cls.key.size(); ++i) {
            if (i == 0 || cls.key[i] != cls.key[i - 1]) {
                ++holding[slotOf(cls.key[i])];
            }
        }
    }
    if (fitting.empty() ||
        static_cast<std::uint64_t>(plan.letterCount) >
            std::uint64_t{plan.wordsLeft} * static_cast<std::uint64_t>(longest)) {
        return nullptr;
    }
    // A letter that no word holds: no anagram with these blanks.
    for (std::size_t s = 0; s < distinct; ++s) {
        if (holding[s] == 0) {
            return nullptr;
        }
    }
    // The search takes the rarest remaining letter first: slot 0 is the rarest.
    std::array<std::uint8_t, kMaxPhraseLetters> order{};
    for (std::size_t s = 0; s < distinct; ++s) {
        order[s] = static_cast<std::uint8_t>(s);
    }
    std::stable_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(distinct),
                     [&](std::uint8_t a, std::uint8_t b) { return holding[a] < holding[b]; });
    std::array<std::uint8_t, kMaxPhraseLetters> rank{};
    for (std::size_t r = 0; r < distinct; ++r) {
        rank[order[r]] = static_cast<std::uint8_t>(r);
    }

    auto root = std::make_shared<RootContext>();
    // The widths the searcher is built for: 1 to 4, 6 or 8 words of eight letters each.
    const int needed = static_cast<int>((distinct + 7) / 8);
    root->lanes = needed <= 4 ? needed : needed <= 6 ? 6 : 8;
    const std::size_t lanes = static_cast<std::size_t>(root->lanes);
    auto pack = [&](std::u16string_view key, std::uint64_t* into) {
        for (const char16_t unit : key) {
            const std::size_t slot = rank[slotOf(unit)];
            into[slot / 8] += std::uint64_t{1} << (8 * (slot % 8));
        }
    };
    root->total.assign(lanes, 0);
    pack(total, root->total.data());
    root->letterCount = plan.letterCount;
    root->vectors.assign(fitting.size() * lanes, 0);
    root->classOf = fitting;
    root->lengthOf.reserve(fitting.size());
    for (std::size_t i = 0; i < fitting.size(); ++i) {
        const PlanClass& cls = plan.classes[fitting[i]];
        pack(cls.key, root->vectors.data() + i * lanes);
        root->lengthOf.push_back(cls.length);
        if ((root->vectors[i * lanes] & 0xFF) != 0) {
            root->branches.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return root;
}

// ---- The search proper, for one width of the letter-count vectors.

namespace {

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

}  // namespace phrase_detail

namespace {

using namespace phrase_detail;

// The single-threaded output: one reused buffer, handed to the sink whenever it fills.
class SinkOutput final : public LineOutput {
public:
    SinkOutput(PhraseSink& sink, PhraseControl* control, std::size_t bytes)
        : m_buffer(new char[bytes]), m_sink(sink), m_control(control) {
        pos = m_buffer.get();
        end = m_buffer.get() + bytes;
    }

    bool flush() override {
        const std::size_t size = static_cast<std::size_t>(pos - m_buffer.get());
        pos = m_buffer.get();
        if (size != 0) {
            if (!m_sink.write(std::string_view(m_buffer.get(), size))) {
                m_stoppedBySink = true;
                return false;
            }
            delivered += bufferLines;
            if (m_control != nullptr) {
                m_control->delivered.fetch_add(bufferLines, std::memory_order_relaxed);
            }
        }
        bufferLines = 0;
        return !shouldStop();
    }

    bool shouldStop() override {
        if (m_control != nullptr && m_control->stop.load(std::memory_order_relaxed)) {
            m_stoppedBySink = true;
            return true;
        }
        return false;
    }

    std::uint64_t delivered = 0;
    bool stoppedEarly() const { return m_stoppedBySink; }

private:
    std::unique_ptr<char[]> m_buffer;
    PhraseSink& m_sink;
    PhraseControl* m_control;
    bool m_stoppedBySink = false;
};

constexpr std::size_t kSinkBufferBytes = std::size_t{256} << 10;

}  // namespace

PhraseOutcome phrase_detail::runSingle(const Plan& plan, PhraseSink& sink, PhraseControl* control) {
    SinkOutput out(sink, control, std::max(kSinkBufferBytes, 2 * plan.maxLineBytes()));
    if (plan.letterCount == 0) {
        if (!plan.contained.empty() && plan.limit > 0 && plan.containedFit) {
            writeContainedOnly(plan, out);
        }
    } else if (plan.wordsLeft > 0 && plan.limit > 0 && !plan.classes.empty()) {
        BranchRunners runners(plan, out);
        BlankSets sets(plan);
        while (!out.done && !out.shouldStop() && sets.next()) {
            const auto root = buildRoot(plan, sets.current());
            if (!root) {
                continue;
            }
            for (std::size_t b = 0; b < root->branches.size() && !out.done; ++b) {
                runners.run(root, b);
            }
        }
    }
    if (!out.stoppedEarly()) {
        out.flush();
    }
    return {out.delivered, out.stoppedEarly()};
}

PhraseOutcome searchPhrase(const PhraseIndex& index, const Phrase& phrase,
                           const PhraseOptions& options, PhraseSink& sink, PhraseControl* control) {
    const Plan plan(index, phrase, options);
    return runSingle(plan, sink, control);
}

}  // namespace wordloom::engine
