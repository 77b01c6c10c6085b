// wordloom-bench: times the matcher against the plain word-by-word algorithm on the bundled
// dictionary, the dictionary load, the engine's memory and the matcher's scaling over threads.
//
// Usage: wordloom-bench [path/to/words.dic] [--quick] [--fast-paths] [--batch-tool]
//        (--fast-paths: only each fast path of the word search on and off;
//         --batch-tool: only the batch tool's end-to-end figures)
//        wordloom-bench [path/to/words.dic] --languages [LIST...]
//        (the word search on other languages' lists, by default Debian's German and French)
// The batch tool's end-to-end figures run wordloom-unscramble from beside this program (or the
// path in WORDLOOM_UNSCRAMBLE) and Debian's `an` when it is installed.
//        wordloom-bench --crafted-sort [WORDS]   (the load of a list arranged against the sort)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_batch_tool.h"
#include "bench/bench_fast_paths.h"
#include "bench/bench_languages.h"
#include "bench/bench_timing.h"
#include "bench/letter_sets.h"
#include "engine/dictionary.h"
#include "engine/match_index.h"
#include "engine/text.h"
#include "engine/words/matcher.h"
#include "output/rows/word_bytes.h"
#include "reference/antiqsort.h"
#include "reference/literal_unscramble.h"

namespace {

using wordloom::bench::besideProgram;
using wordloom::bench::Clock;
using wordloom::bench::kAllLengths;
using wordloom::bench::LetterSets;
using wordloom::bench::secondsSince;
using wordloom::bench::threadSeconds;
using wordloom::bench::timeReference;
using wordloom::engine::Dictionary;
using wordloom::engine::LengthMask;

// Seconds for the product matcher over `sets` (best of `rounds`), and the rows it found.
double timeProduct(const Dictionary& dictionary, const LetterSets& sets, const LengthMask& lengths,
                   int rounds, std::size_t& rows) {
    std::vector<std::uint32_t> found;
    found.reserve(dictionary.words().size());
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        rows = 0;
        const double start = threadSeconds();
        for (const std::u16string& set : sets) {
            found.clear();
            wordloom::engine::Unscramble(dictionary, set, lengths, found);
            rows += found.size();
        }
        best = std::min(best, threadSeconds() - start);
    }
    return best;
}

std::size_t countDifferences(const Dictionary& dictionary, const LetterSets& sets,
                             const LengthMask& lengths) {
    std::size_t differences = 0;
    std::vector<std::uint32_t> expected;
    std::vector<std::uint32_t> actual;
    for (const std::u16string& set : sets) {
        expected.clear();
        actual.clear();
        wordloom::reference::literalUnscramble(dictionary.words(), dictionary.letterIndex(), set,
                                               lengths, expected);
        wordloom::engine::Unscramble(dictionary, set, lengths, actual);
        differences += expected != actual ? 1 : 0;
    }
    return differences;
}

struct JobTimes {
    double elapsed = 1e30;    // wall-clock seconds for all sets, best of the rounds
    double processor = 1e30;  // processor seconds summed over the jobs, best of the rounds
};

// `threads` jobs sharing the sets between them, all on one dictionary.
JobTimes timeJobs(const Dictionary& dictionary, const LetterSets& sets, int threads, int rounds) {
    JobTimes best;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> processor(static_cast<std::size_t>(threads), 0.0);
        const auto start = Clock::now();
        std::vector<std::thread> jobs;
        for (int job = 0; job < threads; ++job) {
            jobs.emplace_back([&, job] {
                const double jobStart = threadSeconds();
                std::vector<std::uint32_t> found;
                for (auto i = static_cast<std::size_t>(job); i < sets.size();
                     i += static_cast<std::size_t>(threads)) {
                    found.clear();
                    wordloom::engine::Unscramble(dictionary, sets[i], kAllLengths, found);
                }
                processor[static_cast<std::size_t>(job)] = threadSeconds() - jobStart;
            });
        }
        for (std::thread& job : jobs) {
            job.join();
        }
        best.elapsed = std::min(best.elapsed, secondsSince(start));
        double total = 0;
        for (const double seconds : processor) {
            total += seconds;
        }
        best.processor = std::min(best.processor, total);
    }
    return best;
}

struct Scenario {
    const char* name;
    LetterSets sets;
    std::size_t referenceCount;
    LengthMask lengths = kAllLengths;
};

void runScenario(const Dictionary& dictionary, const Scenario& scenario, bool scaling) {
    const LetterSets sample(
        scenario.sets.begin(),
        scenario.sets.begin() +
            static_cast<std::ptrdiff_t>(std::min(scenario.referenceCount, scenario.sets.size())));
    const double reference =
        timeReference(dictionary, sample, scenario.lengths) / static_cast<double>(sample.size());
    std::size_t rows = 0;
    const double product = timeProduct(dictionary, scenario.sets, scenario.lengths, 3, rows) /
                           static_cast<double>(scenario.sets.size());
    const std::size_t differences = countDifferences(dictionary, sample, scenario.lengths);
    std::printf("%-34s ref %9.1f us  product %7.2f us  ratio %6.0fx  rows/set %7.1f%s\n",
                scenario.name, reference * 1e6, product * 1e6, reference / product,
                static_cast<double>(rows) / static_cast<double>(scenario.sets.size()),
                differences == 0 ? "" : "  DIFFERENT ROWS");
    if (scaling) {
        // Elapsed time shows the real gain when two cores are free; the processor time shows
        // whether the jobs slow each other down (shared data, memory traffic) even when they
        // are not, as on a busy machine.
        const JobTimes one = timeJobs(dictionary, scenario.sets, 1, 3);
        const JobTimes two = timeJobs(dictionary, scenario.sets, 2, 3);
        std::printf("%-34s 2 jobs vs 1 job: %.2fx throughput elapsed, %.2fx by processor time\n",
                    "", one.elapsed / two.elapsed, 2.0 * one.processor / two.processor);
    }
}

void timeLoad(const std::string& path) {
    double best = 1e30;
    double bestProcessor = 1e30;
    double bestIndex = 1e30;
    std::shared_ptr<const Dictionary> dictionary;
    for (int round = 0; round < 7; ++round) {
        const auto start = Clock::now();
        const double processorStart = threadSeconds();
        dictionary = wordloom::engine::loadDictionary(path);
        bestProcessor = std::min(bestProcessor, threadSeconds() - processorStart);
        best = std::min(best, secondsSince(start));
        wordloom::engine::MatchIndex index;
        const double indexStart = threadSeconds();
        index.build(dictionary->words());
        bestIndex = std::min(bestIndex, threadSeconds() - indexStart);
    }
    const wordloom::engine::WordList& words = dictionary->words();
    const auto wordBytes =
        static_cast<double>(words.textUnits() * sizeof(char16_t) +
                            words.views().capacity() * sizeof(std::u16string_view));
    const auto indexBytes = static_cast<double>(dictionary->matchIndex().memoryBytes() +
                                                sizeof(wordloom::engine::LetterIndex));
    std::printf(
        "load (read + sort + index), best of 7: %.1f ms elapsed, %.1f ms processor time, "
        "of which the match index %.1f ms\n",
        best * 1e3, bestProcessor * 1e3, bestIndex * 1e3);
    std::printf("engine memory: words %.1f MB + indexes %.1f MB = %.1f MB (%zu words)\n",
                wordBytes / 1e6, indexBytes / 1e6, (wordBytes + indexBytes) / 1e6, words.size());
}

// The long-word tables are built on the first search that wants a length above 8; what that
// costs once, and the memory they add to the engine's.
void timeLongTables(const Dictionary& dictionary) {
    double best = 1e30;
    std::size_t before = 0;
    std::size_t after = 0;
    for (int round = 0; round < 7; ++round) {
        wordloom::engine::MatchIndex index;
        index.build(dictionary.words());
        before = index.memoryBytes();
        const double start = threadSeconds();
        index.longWords(dictionary.words());
        best = std::min(best, threadSeconds() - start);
        after = index.memoryBytes();
    }
    std::printf(
        "long-word tables, built on first use: %.1f ms processor time, %.1f MB "
        "(indexes %.1f MB before)\n",
        best * 1e3, static_cast<double>(after - before) / 1e6, static_cast<double>(before) / 1e6);
}

double bestLoadSeconds(const std::string& path, int rounds) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        const auto dictionary = wordloom::engine::loadDictionary(path);
        best = std::min(best, secondsSince(start));
    }
    return best;
}

// Distinct six-letter words arranged against the quicksort's pivot rule (McIlroy's adversary),
// loaded as a dictionary and compared with the same words shuffled; then the plain quicksort
// without its heapsort fallback on the same list, which is what the load used to cost.
void timeCraftedLoad(std::uint32_t count) {
    namespace fs = std::filesystem;
    const auto generateStart = Clock::now();
    const auto crafted =
        wordloom::testing::sixLetterWords(wordloom::testing::antiQuicksortRanks(count), count);
    std::printf("crafted list of %u words generated in %.1f s\n", count,
                secondsSince(generateStart));
    auto shuffled = crafted;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
    const fs::path folder = fs::temp_directory_path();
    const auto save = [&](const std::vector<std::u16string>& words, const char* name) {
        const fs::path path = folder / name;
        std::ofstream file(path, std::ios::binary);
        for (const auto& word : words) {
            file << wordloom::engine::encodeUtf8(word) << "\r\n";
        }
        return path.string();
    };
    const std::string craftedPath = save(crafted, "wordloom-bench-crafted.dic");
    const std::string shuffledPath = save(shuffled, "wordloom-bench-shuffled.dic");
    const double craftedSeconds = bestLoadSeconds(craftedPath, 5);
    const double shuffledSeconds = bestLoadSeconds(shuffledPath, 5);
    std::printf("load, best of 5: crafted %.1f ms, shuffled %.1f ms, ratio %.2f\n",
                craftedSeconds * 1e3, shuffledSeconds * 1e3, craftedSeconds / shuffledSeconds);

    std::vector<std::u16string_view> views(crafted.begin(), crafted.end());
    const auto plainStart = Clock::now();
    wordloom::engine::sort_detail::hybridSort(views.data(), static_cast<std::int32_t>(count),
                                              std::less<>{},
                                              wordloom::engine::sort_detail::kUnlimited);
    std::printf("plain quicksort without the fallback on the crafted list: %.1f s\n",
                secondsSince(plainStart));
    fs::remove(craftedPath);
    fs::remove(shuffledPath);
}

// What the output path prepares once per dictionary: every word's UTF-8 bytes.
void timeWordBytes(const Dictionary& dictionary) {
    double best = 1e30;
    std::size_t bytes = 0;
    for (int round = 0; round < 5; ++round) {
        const double start = threadSeconds();
        const wordloom::rows::WordBytes prepared(dictionary.words());
        best = std::min(best, threadSeconds() - start);
        bytes = prepared.memoryBytes();
    }
    std::printf("prepared output bytes: %.1f MB, built in %.1f ms (target <= 5 MB)\n",
                static_cast<double>(bytes) / 1e6, best * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "--languages") {
            continue;
        }
        std::vector<std::string> lists(argv + i + 1, argv + argc);
        if (lists.empty()) {
            lists = {"/usr/share/dict/ngerman", "/usr/share/dict/french"};
        }
        wordloom::bench::timeLanguages(i > 1 ? argv[1] : besideProgram("words.dic"), lists);
        return 0;
    }
    if (argc >= 2 && std::string(argv[1]) == "--crafted-sort") {
        timeCraftedLoad(argc >= 3 ? static_cast<std::uint32_t>(std::stoul(argv[2])) : 200000u);
        return 0;
    }
    std::string path = besideProgram("words.dic");
    bool quick = false;
    bool fastPathsOnly = false;  // only the fast paths on and off
    bool batchToolOnly = false;  // only the batch tool end to end
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--quick") {
            quick = true;
        } else if (argument == "--fast-paths") {
            fastPathsOnly = true;
        } else if (argument == "--batch-tool") {
            batchToolOnly = true;
        } else {
            path = argument;
        }
    }
    try {
        const std::size_t fastPathSets = quick ? 2000 : 10000;
        if (fastPathsOnly) {
            wordloom::bench::timeFastPaths(*wordloom::engine::loadDictionary(path), fastPathSets);
            return 0;
        }
        const char* tool = std::getenv("WORDLOOM_UNSCRAMBLE");
        const std::string toolPath = tool != nullptr ? tool : besideProgram("wordloom-unscramble");
        if (batchToolOnly) {
            const auto dictionary = wordloom::engine::loadDictionary(path);
            wordloom::bench::timeBatchTool(*dictionary, toolPath, path, quick);
            return 0;
        }
        timeLoad(path);
        const auto dictionary = wordloom::engine::loadDictionary(path);
        using wordloom::bench::randomLetterSets;
        using wordloom::bench::withBlanks;
        const std::size_t sample = quick ? 30 : 300;
        const LetterSets eight = randomLetterSets(10000, 8, 0, 20210831);
        const LetterSets fifteen = randomLetterSets(1000, 15, 2, 1508);
        const LetterSets twentySeven = randomLetterSets(1000, 27, 3, 2703);
        const Scenario scenarios[] = {
            {"(a) 8 letters", eight, sample},
            {"(b) 8 letters, 2 blanks", withBlanks(eight, 2, 7), sample},
            {"(c) 15 letters, 2 blanks", fifteen, sample / 3},
            {"(d) 27 letters, 3 blanks", twentySeven, sample / 3},
        };
        std::printf(
            "processor time per letter set, lengths 2-8, reference on the first %zu sets "
            "(%zu for c, d)\n",
            sample, sample / 3);
        bool first = true;
        for (const Scenario& scenario : scenarios) {
            runScenario(*dictionary, scenario, !first);
            first = false;
        }
        // The batch tool's long words (-l 9-27): the short words are not wanted at all.
        const LengthMask longLengths = LengthMask::range(9, 27);
        const Scenario longScenarios[] = {
            {"(e) 15 letters, lengths 9-27", randomLetterSets(1000, 15, 0, 1509), sample / 3,
             longLengths},
            {"(f) 15 letters, 2 blanks, 9-27", fifteen, sample / 3, longLengths},
            {"(g) 27 letters, 3 blanks, 9-27", twentySeven, sample / 3, longLengths},
        };
        std::printf("lengths 9-27, reference on the first %zu sets\n", sample / 3);
        for (const Scenario& scenario : longScenarios) {
            runScenario(*dictionary, scenario, false);
        }
        timeLongTables(*dictionary);
        wordloom::bench::timeFastPaths(*dictionary, fastPathSets);
        timeWordBytes(*dictionary);
        wordloom::bench::timeBatchTool(*dictionary, toolPath, path, quick);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wordloom-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
