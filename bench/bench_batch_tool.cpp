#include "bench/bench_batch_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/letter_sets.h"
#include "engine/text.h"

namespace wordloom::bench {
namespace {

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
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream file(path, std::ios::binary);
    for (const std::u16string& set : sets) {
        file << wordloom::engine::encodeUtf8(set) << '\n';
    }
    return path;
}

// A fresh process for one letter set against Debian's `an -w` on the same letters.
void compareWithAn(const std::string& tool, const std::string& dictionaryPath, int rounds) {
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

}  // namespace

// The whole batch run (`--format words -j 1`, output to /dev/null) minus the run of an empty
// letter file, which is the start-up and the dictionary load, against the literal algorithm's
// matching of the same sets in this process.
void timeBatchTool(const engine::Dictionary& dictionary, const std::string& tool,
                   const std::string& dictionaryPath, bool quick) {
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
    // Then with the scans capped at the portable one: the vector scan's share end to end.
    for (const char* scan : {static_cast<const char*>(nullptr), "portable"}) {
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
                item.name, scan == nullptr ? "automatic" : "portable", reference * 1e3, own * 1e3,
                load.processor * 1e3, reference / own, item.target);
            std::filesystem::remove(file);
        }
    }
    std::filesystem::remove(empty);

    compareWithAn(tool, dictionaryPath, rounds);
}

}  // namespace wordloom::bench
