// The starting point of the search for one set of blank letters: the fitting classes as packed
// letter counts, rarest letter first.

#include <algorithm>
#include <array>
#include <memory>

#include "engine/phrases/phrase_search_core.h"

namespace wordloom::engine::phrase_detail {
namespace {

// For each distinct letter of `letters` (sorted, unique), its rank by rarity among the fitting
// classes: 0 for the letter the fewest classes hold. False when some letter is held by no class,
// or the words left cannot cover the letters even at the longest fitting length: then no
// anagram uses these blank letters.
bool rankLetters(const Plan& plan, std::u16string_view letters,
                 const std::vector<std::uint32_t>& fitting,
                 std::array<std::uint8_t, kMaxPhraseLetters>& rank) {
    const std::size_t distinct = letters.size();
    if (distinct > static_cast<std::size_t>(kMaxPhraseLetters)) {
        return false;  // the plan keeps to the limit; this keeps the arrays below in bounds
    }
    std::array<std::uint32_t, kMaxPhraseLetters> holding{};
    int longest = 0;
    for (const std::uint32_t c : fitting) {
        const PlanClass& cls = plan.classes[c];
        longest = std::max<int>(longest, cls.length);
        for (std::size_t i = 0; i < cls.key.size(); ++i) {
            if (i == 0 || cls.key[i] != cls.key[i - 1]) {
                ++holding[slotOf(letters, cls.key[i])];
            }
        }
    }
    if (fitting.empty() ||
        static_cast<std::uint64_t>(plan.letterCount) >
            std::uint64_t{plan.wordsLeft} * static_cast<std::uint64_t>(longest)) {
        return false;
    }
    for (std::size_t s = 0; s < distinct; ++s) {
        if (holding[s] == 0) {
            return false;
        }
    }
    // The search takes the rarest remaining letter first: slot 0 is the rarest.
    std::array<std::uint8_t, kMaxPhraseLetters> order{};
    for (std::size_t s = 0; s < distinct; ++s) {
        order[s] = static_cast<std::uint8_t>(s);
    }
    std::stable_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(distinct),
                     [&](std::uint8_t a, std::uint8_t b) { return holding[a] < holding[b]; });
    for (std::size_t r = 0; r < distinct; ++r) {
        rank[order[r]] = static_cast<std::uint8_t>(r);
    }
    return true;
}

}  // namespace

std::size_t slotOf(std::u16string_view letters, char16_t unit) {
    return static_cast<std::size_t>(std::lower_bound(letters.begin(), letters.end(), unit) -
                                    letters.begin());
}

std::shared_ptr<const RootContext> buildRoot(const Plan& plan, std::u16string_view blankLetters) {
    std::u16string total = plan.realLetters;
    total += blankLetters;
    std::sort(total.begin(), total.end());
    std::u16string letters = total;
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
    std::vector<std::uint32_t> fitting;
    plan.classesWithin(blankLetters, fitting);
    std::array<std::uint8_t, kMaxPhraseLetters> rank{};
    if (!rankLetters(plan, letters, fitting, rank)) {
        return nullptr;
    }

    auto root = std::make_shared<RootContext>();
    // The widths the searcher is built for: 1 to 4, 6 or 8 words of eight letters each.
    const int needed = static_cast<int>((letters.size() + 7) / 8);
    root->lanes = needed <= 4 ? needed : needed <= 6 ? 6 : 8;
    const auto lanes = static_cast<std::size_t>(root->lanes);
    auto pack = [&](std::u16string_view key, std::uint64_t* into) {
        for (const char16_t unit : key) {
            const std::size_t slot = rank[slotOf(letters, unit)];
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

}  // namespace wordloom::engine::phrase_detail
