// Phrase mode as puzzle-makers use it, through the real wordloom-unscramble: the anagram sets
// against Debian's `an` (where it is installed) with the steering options applied to its output,
// the best-first order on every line, a dictionary from a pipe, and the progress line on a
// terminal shared with the results.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace {

using namespace wordloom::cli::tool_test;
using PhraseSteering = UnscrambleTool;

const std::string bundledDic = WORDLOOM_APP_DIR "/words.dic";
const std::string anProgram = "/usr/games/an";

std::vector<std::vector<std::string>> wordsOfLines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        std::istringstream words(line);
        std::vector<std::string> split;
        for (std::string word; words >> word;) {
            split.push_back(word);
        }
        lines.push_back(std::move(split));
    }
    return lines;
}

// The anagrams as sets of words, each line's words sorted, those that `keep` takes.
template <typename Keep>
std::set<std::vector<std::string>> anagramSet(const std::string& text, Keep keep) {
    std::set<std::vector<std::string>> set;
    for (std::vector<std::string> words : wordsOfLines(text)) {
        std::sort(words.begin(), words.end());
        if (keep(words)) {
            set.insert(words);
        }
    }
    return set;
}

bool everything(const std::vector<std::string>&) {
    return true;
}

// Fewer words first; within a word count, the first word never longer than the one before.
bool inBestFirstOrder(const std::string& text, std::string& broken) {
    std::size_t words = 0;
    std::size_t first = 0;
    for (const auto& line : wordsOfLines(text)) {
        if (line.empty() || line.size() < words ||
            (line.size() == words && line[0].size() > first)) {
            broken = line.empty() ? "(empty line)" : line[0];
            return false;
        }
        words = line.size();
        first = line[0].size();
    }
    return true;
}

// The same anagram sets as `an`, by default (best first) and with the steering options, whose
// effect is applied to `an`'s lines here; with and without one-letter words.
TEST_F(PhraseSteering, SameSetsAsAnWithTheSteeringOptionsApplied) {
    if (access(anProgram.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "Debian's an is not installed (apt-get install an)";
    }
    // The bundled list with "a" and "i" added, as lists that hold one-letter words have them.
    const std::string oneLetter = (m_dir / "with-a-and-i.dic").string();
    struct Case {
        std::string dictionary;
        const char* shortest;  // -l for the tool, -m for an
        const char* phrase;
    };
    std::ofstream(oneLetter) << "a\ni\n" << readFile(bundledDic);
    for (const Case& c : {Case{bundledDic, "2", "tom cruise"}, Case{oneLetter, "1", "tom cruise"},
                          Case{oneLetter, "1", "dormitory"}}) {
        const ToolRun an = runProgram(anProgram, {"-d", c.dictionary, "-m", c.shortest, c.phrase});
        ASSERT_EQ(an.status, 0) << an.err;
        const std::string lengths = std::string(c.shortest) + "-";
        const auto ours = [&](std::vector<std::string> more) {
            std::vector<std::string> arguments{"-a", "-d", c.dictionary, "-l", lengths, "-j", "2"};
            arguments.insert(arguments.end(), more.begin(), more.end());
            arguments.emplace_back(c.phrase);
            const ToolRun run = this->run(arguments);
            EXPECT_EQ(run.status, 0) << run.err;
            return run.out;
        };
        const std::string plain = ours({});
        std::string broken;
        EXPECT_TRUE(inBestFirstOrder(plain, broken)) << c.phrase << ": " << broken;
        EXPECT_EQ(anagramSet(plain, everything), anagramSet(an.out, everything)) << c.phrase;
        EXPECT_EQ(anagramSet(ours({"--order", "found"}), everything),
                  anagramSet(an.out, everything));
        EXPECT_EQ(anagramSet(ours({"--min-words", "3", "--max-words", "4"}), everything),
                  anagramSet(an.out, [](const auto& words) {
                      return words.size() >= 3 && words.size() <= 4;
                  }));
        EXPECT_EQ(anagramSet(ours({"--words", "2"}), everything),
                  anagramSet(an.out, [](const auto& words) { return words.size() == 2; }));
        EXPECT_EQ(anagramSet(ours({"--no-repeat"}), everything),
                  anagramSet(an.out, [](const auto& words) {
                      return std::adjacent_find(words.begin(), words.end()) == words.end();
                  }));
        EXPECT_EQ(anagramSet(ours({"-x", "mi to", "-x", "i"}), everything),
                  anagramSet(an.out, [](const auto& words) {
                      return std::none_of(words.begin(), words.end(), [](const std::string& w) {
                          return w == "mi" || w == "to" || w == "i";
                      });
                  }));
    }
}

// --only-from: every word is in both lists; the same as `an` over the smaller list alone.
TEST_F(PhraseSteering, OnlyFromKeepsTheWordsOfBothLists) {
    const std::string common = (m_dir / "common.txt").string();
    std::ofstream(common) << "TOM\ncruise\nsome\nmice\nturs\ncurio\nmust\nmoist\ncure\nmouser\n"
                             "ic\nnotaword\n";
    const ToolRun all = run({"-a", "-d", bundledDic, "tom cruise"});
    const ToolRun only = run({"-a", "-d", bundledDic, "--only-from", common, "tom cruise"});
    ASSERT_EQ(only.status, 0) << only.err;
    std::set<std::string> allowed{"tom",  "cruise", "some", "mice",   "turs", "curio",
                                  "must", "moist",  "cure", "mouser", "ic"};
    EXPECT_EQ(anagramSet(only.out, everything), anagramSet(all.out, [&](const auto& words) {
                  return std::all_of(words.begin(), words.end(),
                                     [&](const std::string& w) { return allowed.contains(w); });
              }));
    EXPECT_FALSE(only.out.empty());
}

// The order and the bytes are the same for every number of jobs, with and without a blank.
TEST_F(PhraseSteering, BestFirstOnEveryLineForEveryJobCount) {
    for (const char* phrase : {"slot machines", "tom cruise?"}) {
        const ToolRun one = run({"-a", "-j", "1", phrase});
        ASSERT_EQ(one.status, 0) << one.err;
        std::string broken;
        EXPECT_TRUE(inBestFirstOrder(one.out, broken)) << phrase << ": " << broken;
        for (const char* jobs : {"2", "3"}) {
            const ToolRun more = run({"-a", "-j", jobs, phrase});
            EXPECT_TRUE(more.out == one.out) << phrase << " -j " << jobs;
        }
    }
}

// -d from a pipe and from standard input; a folder and a missing file are named as such.
TEST_F(PhraseSteering, ReadsTheDictionaryFromAPipe) {
    const std::string tool = shellQuoted(WORDLOOM_CLI_EXE);
    const std::string source = shellQuoted(bundledDic);
    const ToolRun file = run({"-a", "-d", bundledDic, "dormitory"});
    const ToolRun piped = runProgram(
        "/bin/bash", {"-c", tool + " -a -d <(grep -v -x 'dirty' " + source + ") dormitory"});
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(anagramSet(piped.out, everything), anagramSet(file.out, [](const auto& words) {
                  return std::find(words.begin(), words.end(), "dirty") == words.end();
              }));
    const ToolRun stdinList =
        runProgram("/bin/sh", {"-c", "cat " + source + " | " + tool + " -a -d - dormitory"});
    EXPECT_EQ(stdinList.status, 0) << stdinList.err;
    EXPECT_EQ(stdinList.out, file.out);
    const ToolRun folder = run({"-a", "-d", m_dir.string(), "dormitory"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
    const ToolRun missing = run({"-a", "-d", (m_dir / "none.dic").string(), "dormitory"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("not found"), std::string::npos) << missing.err;
}

// Both streams on one pseudo-terminal (raw, so bytes pass unchanged). With --progress, the
// progress line only ever stands between whole lines, and once it is taken out the screen holds
// exactly the results; by default no progress line is drawn there at all.
TEST_F(PhraseSteering, ProgressNeverSharesAScreenLineWithResults) {
    const ToolRun expected = run({"-a", "-j", "1", "clint eastwood"});
    for (const bool forced : {true, false}) {
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_EQ(grantpt(terminal), 0);
        ASSERT_EQ(unlockpt(terminal), 0);
        const std::string name = ptsname(terminal);
        const pid_t child = fork();
        if (child == 0) {
            const int screen = open(name.c_str(), O_RDWR | O_NOCTTY);
            termios raw{};
            tcgetattr(screen, &raw);
            cfmakeraw(&raw);
            tcsetattr(screen, TCSANOW, &raw);
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
            dup2(screen, 1);
            dup2(screen, 2);
            execl(WORDLOOM_CLI_EXE, WORDLOOM_CLI_EXE, "-a", "-j", "1",
                  forced ? "--progress" : "--order=best", "clint eastwood",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string screen;
        char buffer[1 << 16];
        for (;;) {
            pollfd ready{terminal, POLLIN, 0};
            if (poll(&ready, 1, 120000) <= 0) {
                ADD_FAILURE() << "no output for two minutes";
                kill(child, SIGKILL);
                break;
            }
            const ssize_t count = read(terminal, buffer, sizeof buffer);
            if (count <= 0) {
                break;  // the tool has ended: the terminal is closed on its side
            }
            screen.append(buffer, static_cast<std::size_t>(count));
        }
        int status = 0;
        waitpid(child, &status, 0);
        close(terminal);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        // Takes the progress display out: each "\r\x1b[K" clears the line, and the text after
        // it up to the next one, when it is the progress line, was drawn there.
        const std::string clear = "\r\x1b[K";
        const std::string drawnText = "wordloom-unscramble: ";
        std::string results;
        std::size_t drawn = 0;
        for (std::size_t at = 0; at < screen.size();) {
            const std::size_t next = screen.find(clear, at);
            results.append(screen, at, next == std::string::npos ? next : next - at);
            if (next == std::string::npos) {
                break;
            }
            ASSERT_TRUE(results.empty() || results.back() == '\n')
                << "progress inside a line, after "
                << results.substr(results.size() - std::min<std::size_t>(results.size(), 80));
            at = next + clear.size();
            if (screen.compare(at, drawnText.size(), drawnText) == 0) {
                ++drawn;
                at = screen.find('\r', at);
                at = at == std::string::npos ? screen.size() : at;
            }
        }
        EXPECT_TRUE(results == expected.out);
        if (!forced) {
            EXPECT_EQ(drawn, 0u);
        }
    }
}

}  // namespace
