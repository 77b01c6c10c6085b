#include "bench/bench_languages.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/letter_sets.h"
#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "engine/letters/keyed_search.h"
#include "engine/letters/letter_key.h"

namespace wordloom::bench {
namespace {

using engine::Accents;
using engine::DictionaryLoader;
using engine::KeyedSearch;

struct LoadedList {
    std::unique_ptr<DictionaryLoader> loader;
    std::unique_ptr<const KeyedSearch> search;
};

// As the batch tool loads a list for word mode.
LoadedList load(const std::string& path) {
    LoadedList list{std::make_unique<DictionaryLoader>(path), nullptr};
    DictionaryLoader& loader = *list.loader;
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    loader.keepFreedBlocks();  // the index's tables take the read's freed blocks, as in the tool
    const engine::WordList& words = loader.dictionary()->words();
    if (KeyedSearch::needsKeys(words)) {
        list.search = std::make_unique<const KeyedSearch>(words, Accents::Kept);
    } else {
        try {
            loader.buildIndex();
        } catch (const engine::TooManyInitialGroups&) {
        }
        list.search = std::make_unique<const KeyedSearch>(*loader.dictionary(), Accents::Kept);
    }
    engine::releaseRetainedBlocks();
    return list;
}

// Letter sets of `size` letters drawn with the frequencies of the letters of the list's keys
// (letters of a-z and beyond ASCII; digits and punctuation left out).
LetterSets setsFromList(const engine::WordList& words, std::size_t count, int size) {
    std::map<char16_t, double> frequency;
    for (std::size_t i = 0; i < words.size(); ++i) {
        for (const char16_t unit : engine::letterKey(words[i], Accents::Kept)) {
            if ((unit >= u'a' && unit <= u'z') ||
                (unit >= 0xC0 && (unit < 0xD800 || unit > 0xDFFF))) {
                frequency[unit] += 1;
            }
        }
    }
    std::vector<char16_t> letters;
    std::vector<double> weights;
    for (const auto& [letter, count] : frequency) {
        letters.push_back(letter);
        weights.push_back(count);
    }
    std::mt19937 random(20261209);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    LetterSets sets;
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string set;
        for (int k = 0; k < size; ++k) {
            set.push_back(letters[pick(random)]);
        }
        sets.push_back(std::move(set));
    }
    return sets;
}

double perSetSeconds(const KeyedSearch& search, const LetterSets& sets, double& rowsPerSet) {
    std::vector<std::uint32_t> found;
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        std::size_t rows = 0;
        const double start = threadSeconds();
        for (const std::u16string& set : sets) {
            found.clear();
            search.find(set, kAllLengths, found);
            rows += found.size();
        }
        best = std::min(best, threadSeconds() - start);
        rowsPerSet = static_cast<double>(rows) / static_cast<double>(sets.size());
    }
    return best / static_cast<double>(sets.size());
}

struct Figures {
    double loadPerWord;  // processor seconds
    double plain;        // processor seconds per letter set
    double blanks;
};

}  // namespace

void timeLanguages(const std::string& englishList, const std::vector<std::string>& lists) {
    std::vector<std::string> paths{englishList};
    for (const std::string& path : lists) {
        if (std::filesystem::exists(path)) {
            paths.push_back(path);
        } else {
            std::printf("%s: not installed, passed over\n", path.c_str());
        }
    }
    std::printf(
        "word search by language: load per word (read + sort + keys + index, best of 3) and "
        "processor time per letter set\n(2,000 random 8-letter sets from the list's own letter "
        "frequencies; lengths 2-8; best of 3); ratios against the first list\n");
    Figures english{};
    for (const std::string& path : paths) {
        double loadSeconds = 1e30;
        LoadedList list;
        for (int round = 0; round < 3; ++round) {
            list = {};
            const double start = threadSeconds();
            list = load(path);
            loadSeconds = std::min(loadSeconds, threadSeconds() - start);
        }
        const engine::WordList& words = list.loader->dictionary()->words();
        const LetterSets sets = setsFromList(words, 2000, 8);
        Figures figures{};
        double rowsPlain = 0;
        double rowsBlanks = 0;
        figures.loadPerWord =
            loadSeconds / static_cast<double>(std::max<std::size_t>(words.size(), 1));
        figures.plain = perSetSeconds(*list.search, sets, rowsPlain);
        figures.blanks = perSetSeconds(*list.search, withBlanks(sets, 2, 7), rowsBlanks);
        if (path == englishList) {
            english = figures;
        }
        std::printf(
            "%-28s %8zu words, %3zu letters: load %5.0f ns/word (%.2fx)  8 letters %6.2f us "
            "(%.2fx, %.0f rows)  2 blanks %6.2f us (%.2fx, %.0f rows)\n",
            std::filesystem::path(path).filename().c_str(), words.size(),
            list.search->letterCount(), figures.loadPerWord * 1e9,
            figures.loadPerWord / english.loadPerWord, figures.plain * 1e6,
            figures.plain / english.plain, rowsPlain, figures.blanks * 1e6,
            figures.blanks / english.blanks, rowsBlanks);
    }
}

}  // namespace wordloom::bench
