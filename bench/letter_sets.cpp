#include "bench/letter_sets.h"

#include <algorithm>
#include <array>
#include <random>

namespace wordloom::bench {
namespace {

// Relative frequency of a..z in English text, in hundredths of a percent.
constexpr std::array<double, 26> kEnglishFrequency = {817, 149, 278, 425, 1270, 223, 202, 609, 697,
                                                      15,  77,  403, 241, 675,  751, 193, 10,  599,
                                                      633, 906, 276, 98,  236,  15,  197, 7};

}  // namespace

std::vector<std::u16string> randomLetterSets(std::size_t count, int size, int blanks,
                                             std::uint32_t seed) {
    std::mt19937 random(seed);
    std::discrete_distribution<int> letter(kEnglishFrequency.begin(), kEnglishFrequency.end());
    std::vector<std::u16string> sets;
    sets.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string set;
        for (int k = 0; k < size; ++k) {
            set.push_back(static_cast<char16_t>(u'a' + letter(random)));
        }
        sets.push_back(std::move(set));
    }
    return withBlanks(std::move(sets), blanks, seed + 1);
}

std::vector<std::u16string> withBlanks(std::vector<std::u16string> sets, int blanks,
                                       std::uint32_t seed) {
    std::mt19937 random(seed);
    for (std::u16string& set : sets) {
        std::vector<std::size_t> places(set.size());
        for (std::size_t k = 0; k < places.size(); ++k) {
            places[k] = k;
        }
        std::shuffle(places.begin(), places.end(), random);
        for (int k = 0; k < blanks && k < static_cast<int>(places.size()); ++k) {
            set[places[static_cast<std::size_t>(k)]] = u'?';
        }
    }
    return sets;
}

}  // namespace wordloom::bench
