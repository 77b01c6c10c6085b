// wordloom-phrase-bench: times the phrase anagram search on the bundled dictionary against
// Debian's `an` (run as a separate program when it is installed), with one and two jobs.
//
// Usage: wordloom-phrase-bench [--dict path/to/words.dic] [--rounds N] [PHRASE...]
//        wordloom-phrase-bench [--dict path] --print [-j N] [-m MIN] [-w MAXWORDS]
//                              [-c WORD]... [-n LIMIT] PHRASE
// The first form times each phrase (default "slot machines" and "a decimal point"): the
// dictionary load, the index and the search with the lines written to /dev/null, in this
// process, best of N rounds; `an -d DICT -m 2 PHRASE >/dev/null` is timed the same way as a
// whole process. The second form writes the anagrams to standard output, for comparisons.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/dictionary.h"
#include "engine/phrase.h"
#include "engine/phrase_search.h"
#include "engine/text.h"

namespace {

using namespace wordloom::engine;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string besideProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(name) : (self.parent_path() / name).string();
}

class FdSink final : public PhraseSink {
public:
    explicit FdSink(int fd) : m_fd(fd) {}
    bool write(std::string_view lines) override {
        while (!lines.empty()) {
            const ssize_t written = ::write(m_fd, lines.data(), lines.size());
            if (written < 0) {
                return false;
            }
            lines.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

private:
    int m_fd;
};

// This process's processor time, all threads.
double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Wall seconds of `an` on the phrase, its output to /dev/null, and its processor seconds in
// `cpu`; negative when it cannot run.
double timeAn(const std::string& dict, const std::string& phrase, double& cpu) {
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("an", "an", "-d", dict.c_str(), "-m", "2", phrase.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double wall = secondsSince(start);
    cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall : -1;
}

struct Timing {
    double load = 0;
    double index = 0;
    double search = 0;
    double cpu = 0;  // processor seconds, all threads
    std::uint64_t anagrams = 0;
};

Timing timeOurs(const std::string& dict, const std::string& phrase, unsigned jobs) {
    Timing timing;
    const double cpuStart = processSeconds();
    auto start = Clock::now();
    const auto dictionary = loadDictionary(dict);
    timing.load = secondsSince(start);
    start = Clock::now();
    const PhraseIndex index(dictionary->words());
    timing.index = secondsSince(start);
    const int null = open("/dev/null", O_WRONLY);
    FdSink sink(null);
    start = Clock::now();
    const PhraseOutcome outcome =
        searchPhraseParallel(index, parsePhrase(decodeUtf8(phrase)), PhraseOptions{}, sink, jobs);
    timing.search = secondsSince(start);
    timing.cpu = processSeconds() - cpuStart;
    close(null);
    timing.anagrams = outcome.anagrams;
    return timing;
}

int printAnagrams(const std::string& dict, int argc, char** argv, int at) {
    PhraseOptions options;
    unsigned jobs = 1;
    std::string phrase;
    for (; at < argc; ++at) {
        const std::string arg = argv[at];
        auto value = [&]() -> std::string { return at + 1 < argc ? argv[++at] : ""; };
        if (arg == "-j") {
            jobs = static_cast<unsigned>(std::atoi(value().c_str()));
        } else if (arg == "-m") {
            options.lengths = phraseLengthsBetween(std::atoi(value().c_str()), kMaxPhraseLetters);
        } else if (arg == "-w") {
            options.maxWords = static_cast<std::uint32_t>(std::atoi(value().c_str()));
        } else if (arg == "-c") {
            options.contain.push_back(decodeUtf8(value()));
        } else if (arg == "-n") {
            options.limit = std::strtoull(value().c_str(), nullptr, 10);
        } else {
            phrase = arg;
        }
    }
    const auto dictionary = loadDictionary(dict);
    const PhraseIndex index(dictionary->words());
    FdSink sink(1);
    const PhraseOutcome outcome =
        searchPhraseParallel(index, parsePhrase(decodeUtf8(phrase)), options, sink, jobs);
    std::fprintf(stderr, "%llu anagrams\n", static_cast<unsigned long long>(outcome.anagrams));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string dict = besideProgram("words.dic");
        int rounds = 3;
        std::vector<std::string> phrases;
        for (int at = 1; at < argc; ++at) {
            const std::string arg = argv[at];
            if (arg == "--dict" && at + 1 < argc) {
                dict = argv[++at];
            } else if (arg == "--rounds" && at + 1 < argc) {
                rounds = std::max(1, std::atoi(argv[++at]));
            } else if (arg == "--print") {
                return printAnagrams(dict, argc, argv, at + 1);
            } else {
                phrases.push_back(arg);
            }
        }
        if (phrases.empty()) {
            phrases = {"slot machines", "a decimal point"};
        }
        std::printf("dictionary: %s\n", dict.c_str());
        for (const std::string& phrase : phrases) {
            double an = 1e30;
            double anCpu = 1e30;
            for (int round = 0; round < rounds; ++round) {
                double cpu = 0;
                const double wall = timeAn(dict, phrase, cpu);
                if (wall < 0) {
                    an = -1;
                    break;
                }
                an = std::min(an, wall);
                anCpu = std::min(anCpu, cpu);
            }
            if (an < 0) {
                std::printf("\"%s\": an: not installed or failed\n", phrase.c_str());
            } else {
                std::printf("\"%s\": an -d DICT -m 2 '%s' >/dev/null: %.3f s (processor %.3f s)\n",
                            phrase.c_str(), phrase.c_str(), an, anCpu);
            }
            for (const unsigned jobs : {1u, 2u}) {
                Timing best;
                double bestTotal = 1e30;
                for (int round = 0; round < rounds; ++round) {
                    const Timing timing = timeOurs(dict, phrase, jobs);
                    const double total = timing.load + timing.index + timing.search;
                    if (total < bestTotal) {
                        bestTotal = total;
                        best = timing;
                    }
                }
                std::printf(
                    "  ours, %u job%s: %llu anagrams, load %.3f + index %.3f + search %.3f = "
                    "%.3f s (processor %.3f s)",
                    jobs, jobs == 1 ? "" : "s", static_cast<unsigned long long>(best.anagrams),
                    best.load, best.index, best.search, bestTotal, best.cpu);
                if (an > 0) {
                    std::printf("\n    %.1fx faster than an (wall), %.1fx less processor time",
                                an / bestTotal, anCpu / best.cpu);
                }
                std::printf("\n");
            }
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wordloom-phrase-bench: %s\n", error.what());
        return 1;
    }
}
