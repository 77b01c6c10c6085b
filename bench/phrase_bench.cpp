// wordloom-phrase-bench: times phrase anagrams on the bundled dictionary, the batch tool against
// Debian's `an`, both as whole processes with their output to /dev/null, with one and two jobs.
//
// Usage: wordloom-phrase-bench [--dict path/to/words.dic] [--rounds N] [--as-an] [PHRASE...]
//        wordloom-phrase-bench [--dict path] --print [-j N] [-m MIN] [-w MAXWORDS]
//                              [-c WORD]... [-n LIMIT] PHRASE
// The first form times each phrase (default "slot machines" and "a decimal point"), best of N
// rounds (default 3), wall and processor time of the whole process:
//   an -d DICT -m 2 PHRASE >/dev/null
//   wordloom-unscramble -d DICT -a -j 1 PHRASE >/dev/null      (and -j 2)
// With --as-an both compare letters as `an` does on a list of any language, one-letter words and
// accents folded: `an` without -m 2, wordloom-unscramble with -l 1- --fold.
// with the wordloom-unscramble beside this program; then the same search in this process, split
// into the dictionary load, the index and the search. The second form writes the anagrams to
// standard output from this process, for comparisons.

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
#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"
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

// Wall seconds of a whole process, its output and messages to /dev/null, and its processor
// seconds in `cpu`; negative when it cannot run or fails.
double timeProcess(const std::vector<std::string>& command, double& cpu) {
    std::vector<char*> argv;
    for (const std::string& argument : command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double wall = secondsSince(start);
    cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall : -1;
}

// Debian installs `an` under /usr/games, which is not always on the search path.
std::string anProgram() {
    std::error_code error;
    return std::filesystem::exists("/usr/games/an", error) ? "/usr/games/an" : "an";
}

struct ProcessTiming {
    double wall = -1;  // best of the rounds; negative: it could not run
    double cpu = -1;   // processor seconds of that round
};

ProcessTiming bestOf(const std::vector<std::string>& command, int rounds) {
    ProcessTiming best;
    for (int round = 0; round < rounds; ++round) {
        double cpu = 0;
        const double wall = timeProcess(command, cpu);
        if (wall < 0) {
            return {};
        }
        if (best.wall < 0 || wall < best.wall) {
            best = {wall, cpu};
        }
    }
    return best;
}

std::string shellCommand(const std::vector<std::string>& command) {
    std::string text;
    for (const std::string& argument : command) {
        const bool plain = argument.find_first_of(" '?*") == std::string::npos;
        text += (text.empty() ? "" : " ") + (plain ? argument : "'" + argument + "'");
    }
    return text + " >/dev/null";
}

struct Timing {
    double load = 0;
    double index = 0;
    double search = 0;
    double cpu = 0;  // processor seconds, all threads
    std::uint64_t anagrams = 0;
};

// The sorted words, as phrase mode loads them.
std::shared_ptr<const Dictionary> loadWords(const std::string& dict, bool oneLetterWords) {
    DictionaryLoader loader(dict);
    if (oneLetterWords) {
        loader.keepOneLetterWords();
    }
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    return loader.dictionary();
}

Timing timeOurs(const std::string& dict, const std::string& phrase, unsigned jobs, bool asAn) {
    Timing timing;
    const double cpuStart = processSeconds();
    auto start = Clock::now();
    const auto dictionary = loadWords(dict, asAn);
    timing.load = secondsSince(start);
    start = Clock::now();
    const Accents accents = asAn ? Accents::Folded : Accents::Kept;
    const PhraseIndex index(dictionary->words(), accents);
    timing.index = secondsSince(start);
    const int null = open("/dev/null", O_WRONLY);
    FdSink sink(null);
    PhraseOptions options;
    if (asAn) {
        options.lengths = phraseLengthsBetween(1, kMaxPhraseLetters);
    }
    start = Clock::now();
    const PhraseOutcome outcome =
        searchPhraseParallel(index, parsePhrase(decodeUtf8(phrase), accents), options, sink, jobs);
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
        bool asAn = false;
        std::vector<std::string> phrases;
        for (int at = 1; at < argc; ++at) {
            const std::string arg = argv[at];
            if (arg == "--dict" && at + 1 < argc) {
                dict = argv[++at];
            } else if (arg == "--rounds" && at + 1 < argc) {
                rounds = std::max(1, std::atoi(argv[++at]));
            } else if (arg == "--as-an") {
                asAn = true;
            } else if (arg == "--print") {
                return printAnagrams(dict, argc, argv, at + 1);
            } else {
                phrases.push_back(arg);
            }
        }
        if (phrases.empty()) {
            phrases = {"slot machines", "a decimal point"};
        }
        const std::string tool = besideProgram("wordloom-unscramble");
        std::printf("dictionary: %s\n", dict.c_str());
        for (const std::string& phrase : phrases) {
            std::printf("\"%s\"\n", phrase.c_str());
            std::vector<std::string> anCommand = {anProgram(), "-d", dict};
            if (!asAn) {
                anCommand.insert(anCommand.end(), {"-m", "2"});
            }
            anCommand.push_back(phrase);
            const ProcessTiming an = bestOf(anCommand, rounds);
            if (an.wall < 0) {
                std::printf("  an: not installed or failed\n");
            } else {
                std::printf("  %s\n    %.3f s (processor %.3f s)\n",
                            shellCommand(anCommand).c_str(), an.wall, an.cpu);
            }
            for (const unsigned jobs : {1u, 2u}) {
                std::vector<std::string> command = {
                    tool, "-d", dict, "-a", "-j", std::to_string(jobs), phrase};
                if (asAn) {
                    command.insert(command.end() - 1, {"-l", "1-", "--fold"});
                }
                const ProcessTiming ours = bestOf(command, rounds);
                if (ours.wall < 0) {
                    std::printf("  %s: failed\n", tool.c_str());
                    continue;
                }
                std::printf("  %s\n    %.3f s (processor %.3f s)", shellCommand(command).c_str(),
                            ours.wall, ours.cpu);
                if (an.wall > 0) {
                    const double ratio = an.wall / ours.wall;
                    const double goal = jobs == 1 ? 5.0 : 10.0;
                    std::printf(": %.1fx faster than an (goal %.0fx: %s)", ratio, goal,
                                ratio >= goal ? "met" : "MISSED");
                }
                std::printf("\n");
            }
            for (const unsigned jobs : {1u, 2u}) {
                Timing best;
                double bestTotal = 1e30;
                for (int round = 0; round < rounds; ++round) {
                    const Timing timing = timeOurs(dict, phrase, jobs, asAn);
                    const double total = timing.load + timing.index + timing.search;
                    if (total < bestTotal) {
                        bestTotal = total;
                        best = timing;
                    }
                }
                std::printf(
                    "  in this process, %u job%s: %llu anagrams, load %.3f + index %.3f + search "
                    "%.3f = %.3f s (processor %.3f s)\n",
                    jobs, jobs == 1 ? "" : "s", static_cast<unsigned long long>(best.anagrams),
                    best.load, best.index, best.search, bestTotal, best.cpu);
            }
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wordloom-phrase-bench: %s\n", error.what());
        return 1;
    }
}
