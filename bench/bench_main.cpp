// wordloom-bench: times the matcher against the plain word-by-word algorithm on the bundled
// dictionary, the dictionary load, the engine's memory and the matcher's scaling over threads.
//
// Usage: wordloom-bench [path/to/words.dic] [--quick] [--scan-paths] [--batch-tool]
//        (--batch-tool: only the batch tool's end-to-end figures)
// The batch tool's end-to-end figures run wordloom-unscramble from beside this program (or the
// path in WORDLOOM_UNSCRAMBLE) and Debian's `an` when it is installed.
//        wordloom-bench --crafted-sort [WORDS]   (the load of a list arranged against the sort)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

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

#include "bench/letter_sets.h"
#include "engine/antiqsort.h"
#include "engine/dictionary.h"
#include "engine/match_index.h"
#include "engine/matcher.h"
#include "engine/text.h"
#include "output/rows/word_bytes.h"
#include "reference/literal_unscramble.h"

namespace {

using wordloom::engine::Dictionary;
using wordloom::engine::LengthMask;
using Clock = std::chrono::steady_clock;
using LetterSets = std::vector<std::u16string>;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The calling thread's processor time: single-thread figures then do not depend on what else
// the (shared) machine runs at the same moment.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string besideProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(name) : (self.parent_path() / name).string();
}

const LengthMask kAllLengths = LengthMask::range(2, 8);

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

double timeReference(const Dictionary& dictionary, const LetterSets& sets,
                     const LengthMask& lengths) {
    std::vector<std::uint32_t> found;
    const double start = threadSeconds();
    for (const std::u16string& set : sets) {
        found.clear();
        wordloom::reference::literalUnscramble(dictionary.words(), dictionary.letterIndex(), set,
                                               lengths, found);
    }
    return threadSeconds() - start;
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
                for (std::size_t i = static_cast<std::size_t>(job); i < sets.size();
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
    const double wordBytes =
        static_cast<double>(words.textUnits() * sizeof(char16_t) +
                            words.views().capacity() * sizeof(std::u16string_view));
    const double indexBytes = static_cast<double>(dictionary->matchIndex().memoryBytes() +
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

// ---- Each scan path the processor can run, on (b): so a machine with AVX-512 still shows the
// AVX2 figure.
void timeScanPaths(const Dictionary& dictionary, const LetterSets& sets, std::size_t sample) {
    using wordloom::engine::MatchPath;
    __builtin_cpu_init();
    struct Path {
        const char* name;
        MatchPath path;
        bool runs;
    };
    const Path paths[] = {
        {"portable", MatchPath::PortableScan, true},
        {"AVX2", MatchPath::Avx2Scan, __builtin_cpu_supports("avx2") != 0},
        {"AVX-512", MatchPath::Avx512Scan,
         __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")},
    };
    const LetterSets head(
        sets.begin(), sets.begin() + static_cast<std::ptrdiff_t>(std::min(sample, sets.size())));
    const double reference =
        timeReference(dictionary, head, kAllLengths) / static_cast<double>(head.size());
    std::printf("(b) by scan path, reference %.1f us a set:\n", reference * 1e6);
    std::vector<std::uint32_t> found;
    for (const Path& path : paths) {
        if (!path.runs) {
            std::printf("  %-10s not available on this processor\n", path.name);
            continue;
        }
        double best = 1e30;
        for (int round = 0; round < 3; ++round) {
            const double start = threadSeconds();
            for (const std::u16string& set : sets) {
                found.clear();
                wordloom::engine::UnscrambleVia(path.path, dictionary.words(),
                                                dictionary.matchIndex(), set, kAllLengths, found);
            }
            best = std::min(best, threadSeconds() - start);
        }
        const double perSet = best / static_cast<double>(sets.size());
        std::printf("  %-10s %7.2f us  ratio %6.0fx%s\n", path.name, perSet * 1e6,
                    reference / perSet,
                    path.path == MatchPath::Avx2Scan ? "   (target >= 80x)" : "");
    }
}

// ---- The batch tool, run as its own process.

struct ProcessTimes {
    double wall = 1e30;
    double processor = 1e30;  // user + system
};

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Runs `arguments` with standard output and error to /dev/null (best of `rounds`); `scan` caps
// the matcher's scan path when not empty. Negative times when it does not run or fails.
ProcessTimes timeProcess(const std::vector<std::string>& arguments, const char* scan, int rounds) {
    ProcessTimes best;
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("WORDLOOM_SCAN=", 0) != 0) {
            environment.emplace_back(*entry);
        }
    }
    if (scan != nullptr) {
        environment.push_back(std::string("WORDLOOM_SCAN=") + scan);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    for (int round = 0; round < rounds; ++round) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const auto start = Clock::now();
        pid_t child = 0;
        const int spawned =
            posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return {-1, -1};
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return {-1, -1};
        }
        best.wall = std::min(best.wall, secondsSince(start));
        best.processor =
            std::min(best.processor, seconds(usage.ru_utime) + seconds(usage.ru_stime));
    }
    return best;
}

std::string writeLetterFile(const LetterSets& sets, const char* name) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream file(path, std::ios::binary);
    for (const std::u16string& set : sets) {
        file << wordloom::engine::encodeUtf8(set) << '\n';
    }
    return path;
}

// The whole batch run (`--format words -j 1`, output to /dev/null) minus the run of an empty
// letter file, which is the start-up and the dictionary load, against the literal algorithm's
// matching of the same sets in this process.
void timeBatchTool(const Dictionary& dictionary, const std::string& tool,
                   const std::string& dictionaryPath, bool quick) {
    using wordloom::bench::randomLetterSets;
    using wordloom::bench::withBlanks;
    struct Case {
        const char* name;
        LetterSets sets;
        double target;
    };
    const Case cases[] = {
        {"2,000 random 8-letter sets", randomLetterSets(2000, 8, 0, 4711), 300},
        {"500 8-letter sets, 2 blanks", withBlanks(randomLetterSets(500, 8, 0, 4712), 2, 17), 80},
    };
    const int rounds = quick ? 3 : 7;
    const std::string empty = writeLetterFile({}, "wordloom-bench-empty.txt");
    std::printf(
        "batch tool end to end (%s, -j 1 --format words > /dev/null), processor time, "
        "best of %d, the load (an empty letter file) subtracted:\n",
        tool.c_str(), rounds);
    for (const char* scan : {static_cast<const char*>(nullptr), "avx2"}) {
        const ProcessTimes load =
            timeProcess({tool, "-d", dictionaryPath, "-j", "1", "-f", empty}, scan, rounds);
        if (load.processor < 0) {
            std::printf("  cannot run %s\n", tool.c_str());
            return;
        }
        for (const Case& item : cases) {
            const std::string file = writeLetterFile(item.sets, "wordloom-bench-letters.txt");
            const ProcessTimes run = timeProcess(
                {tool, "-d", dictionaryPath, "-j", "1", "--format", "words", "-f", file}, scan,
                rounds);
            const LetterSets sample(item.sets.begin(), item.sets.begin() + (quick ? 30 : 300));
            const double reference = timeReference(dictionary, sample, kAllLengths) /
                                     static_cast<double>(sample.size()) *
                                     static_cast<double>(item.sets.size());
            const double own = run.processor - load.processor;
            std::printf(
                "  %-28s %-9s literal %8.1f ms  tool %6.1f ms (load %5.1f ms)  ratio %5.0fx  "
                "target >= %.0fx\n",
                item.name, scan == nullptr ? "automatic" : "AVX2", reference * 1e3, own * 1e3,
                load.processor * 1e3, reference / own, item.target);
            std::filesystem::remove(file);
        }
    }
    std::filesystem::remove(empty);

    // A fresh process for one letter set against Debian's `an -w` on the same letters.
    for (const char* letters : {"tatuprec", "wireless"}) {
        const ProcessTimes ours =
            timeProcess({tool, "-d", dictionaryPath, letters}, nullptr, rounds);
        // Debian installs `an` among the games, which not every PATH holds.
        ProcessTimes an = timeProcess({"an", "-w", "-d", dictionaryPath, letters}, nullptr, rounds);
        if (an.wall < 0) {
            an = timeProcess({"/usr/games/an", "-w", "-d", dictionaryPath, letters}, nullptr,
                             rounds);
        }
        if (an.wall < 0) {
            std::printf("  one letter set: `an` is not installed (apt-get install an)\n");
            break;
        }
        std::printf(
            "  one letter set %-9s wall %5.1f ms against an -w %5.1f ms: %.2fx "
            "(target <= 0.5x)\n",
            letters, ours.wall * 1e3, an.wall * 1e3, ours.wall / an.wall);
    }
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
    if (argc >= 2 && std::string(argv[1]) == "--crafted-sort") {
        timeCraftedLoad(argc >= 3 ? static_cast<std::uint32_t>(std::stoul(argv[2])) : 200000u);
        return 0;
    }
    std::string path = besideProgram("words.dic");
    bool quick = false;
    bool scanPathsOnly = false;  // only the scan paths on (b)
    bool batchToolOnly = false;  // only the batch tool end to end
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--quick") {
            quick = true;
        } else if (argument == "--scan-paths") {
            scanPathsOnly = true;
        } else if (argument == "--batch-tool") {
            batchToolOnly = true;
        } else {
            path = argument;
        }
    }
    try {
        if (scanPathsOnly) {
            const auto dictionary = wordloom::engine::loadDictionary(path);
            const LetterSets eight = wordloom::bench::randomLetterSets(10000, 8, 0, 20210831);
            timeScanPaths(*dictionary, wordloom::bench::withBlanks(eight, 2, 7), quick ? 30 : 300);
            return 0;
        }
        const char* tool = std::getenv("WORDLOOM_UNSCRAMBLE");
        const std::string toolPath = tool != nullptr ? tool : besideProgram("wordloom-unscramble");
        if (batchToolOnly) {
            const auto dictionary = wordloom::engine::loadDictionary(path);
            timeBatchTool(*dictionary, toolPath, path, quick);
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
        timeScanPaths(*dictionary, withBlanks(eight, 2, 7), sample);
        timeWordBytes(*dictionary);
        timeBatchTool(*dictionary, toolPath, path, quick);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wordloom-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
