// Phrase mode (-a) and the long words of word mode, through the real wordloom-unscramble.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "engine/dictionary.h"
#include "engine/text.h"
#include "reference/literal_unscramble.h"
#include "tool_fixture.h"

namespace {

using namespace wordloom::cli::tool_test;
using Clock = std::chrono::steady_clock;

const std::string phraseDic = golden("phrase.dic");
const std::string bundledDic = WORDLOOM_APP_DIR "/words.dic";
const std::vector<std::string> goldenPhrases = {"abab", "Cat, dog!", "Sir pa", "ét?as",
                                                "go?d", "x",         "O'Clock"};

std::vector<std::string> withArguments(std::vector<std::string> arguments,
                                       const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// Generous: the waits below end on an event (text seen, a process's end), this only keeps a
// broken tool from hanging the suite.
constexpr std::chrono::seconds eventTimeout{120};

// Reads from `fd` until `seen` holds for what was read, the other end closes, or the time-out.
template <typename Seen>
std::string readUntil(int fd, Seen seen) {
    std::string text;
    const auto end = Clock::now() + eventTimeout;
    while (!seen(text) && Clock::now() < end) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

std::string readUntilFound(int fd, std::string_view wanted) {
    return readUntil(
        fd, [wanted](const std::string& text) { return text.find(wanted) != std::string::npos; });
}

std::string readToEnd(int fd) {
    return readUntil(fd, [](const std::string&) { return false; });
}

// The child's status once it ends; on the time-out it is killed and the test fails.
int waitForExit(pid_t child) {
    const auto end = Clock::now() + eventTimeout;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() >= end) {
            ADD_FAILURE() << "the tool did not end";
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        poll(nullptr, 0, 10);
    }
    return status;
}

using PhraseTool = UnscrambleTool;

// Words longest first, equal lengths in dictionary order, each multiset once, repeated words,
// upper case and accents, blanks, punctuation dropped; the same for every number of jobs.
TEST_F(PhraseTool, ListsTheAnagramsOfEachPhraseLikeTheGoldenFiles) {
    for (const char* jobs : {"1", "2", "3"}) {
        const ToolRun words =
            run(withArguments({"-a", "-d", phraseDic, "-j", jobs}, goldenPhrases));
        EXPECT_EQ(words.status, 0) << jobs;
        EXPECT_EQ(words.err, "") << jobs;
        EXPECT_EQ(words.out, readFile(golden("phrase-words.txt"))) << jobs;
        const ToolRun tsv = run(withArguments(
            {"--anagrams", "-d", phraseDic, "--format=tsv", "-j", jobs}, goldenPhrases));
        EXPECT_EQ(tsv.status, 0) << jobs;
        EXPECT_EQ(tsv.out, readFile(golden("phrase.tsv"))) << jobs;
    }
}

TEST_F(PhraseTool, AppliesLengthsWordCountContainedWordsAndLimit) {
    const std::string catDog =
        "Cat dog\nCat god\nact dog\nact god\ncat dog\ncat god\ndog tac\n"
        "god tac\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-l", "3-", "abab"}, "abab\n"},
        {{"-l", "2", "abab"}, "ab ab\nab ba\nba ba\n"},
        {{"-l", "2,4-", "go?d"}, "good\ndo go\n"},
        {{"-l", "4", "go?d"}, "good\n"},
        {{"--max-words", "1", "abab", "Cat, dog!"}, "abab\n"},
        {{"--max-words", "2", "Cat, dog!"}, catDog},
        // The contained word is written as the option names it, lower-cased.
        {{"-c", "DOG", "Cat, dog!"}, "Cat dog\nact dog\ncat dog\ndog tac\n"},
        {{"-c", "G-o", "go?d"}, "do go\n"},
        {{"-c", "ab ab", "abab"}, "ab ab\n"},
        {{"-c", "ab", "-c", "ba", "abab"}, "ab ba\n"},
        {{"-c", "ab", "--max-words", "1", "abab"}, ""},
        {{"-n", "2", "Cat, dog!", "abab"}, "Cat dog\nCat god\nabab\nab ab\n"},
        {{"--limit=1", "-c", "god", "--format", "tsv", "Cat, dog!"}, "Cat, dog!\tCat god\n"},
    };
    for (const auto& [arguments, expected] : cases) {
        const ToolRun result = run(withArguments({"-a", "-d", phraseDic}, arguments));
        EXPECT_EQ(result.status, 0) << arguments.front() << " " << arguments.back();
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, expected) << arguments.front() << " " << arguments.back();
    }
}

// A dictionary word of 64 letters, as many as a phrase holds, is found (first: it is one word);
// one of 65 never takes part.
TEST_F(PhraseTool, FindsADictionaryWordAtTheLengthLimit) {
    const std::string longest = std::string(63, 'a') + "b";
    const std::string tooLong = std::string(64, 'a') + "b";
    const std::string dictionary = (m_dir / "long.dic").string();
    writeFile(dictionary, "ab\n" + std::string(62, 'a') + "\n" + longest + "\n" + tooLong + "\n");
    std::string phrase(63, 'a');
    phrase.push_back('B');
    for (const char* jobs : {"1", "2"}) {
        const ToolRun result = run({"-a", "-j", jobs, "-d", dictionary, phrase});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, longest + "\n" + std::string(62, 'a') + " ab\n") << jobs;
    }
}

// A phrase that cannot run is named, the others still run, and the exit status says so.
TEST_F(PhraseTool, NamesPhrasesThatCannotRunRunsTheOthersAndExitsWith1) {
    const ToolRun missing =
        run({"-a", "-d", phraseDic, "-c", "good", "do go ab", "Cat, dog!", "goody?"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "wordloom-unscramble: 'Cat, dog!': the phrase does not hold the letters "
              "of \"good\"\n");
    EXPECT_EQ(missing.out, "good ab\ngood ba\n");  // "goody?" holds them, but no word is "y?"

    // Lines of a letter file: too many letters, too long a line, a line end inside a tsv line
    // cannot come from a file; the lines around them run.
    const std::string tooMany = std::string(60, 'a') + "b?a?b";
    const std::string tooLong = "ab" + std::string(70000, '-') + "ab";
    // Letters and blanks count, not the characters dropped around them: 1,200 emoji pass.
    std::string emoji;
    for (int i = 0; i < 1200; ++i) {
        emoji += "\xF0\x9F\x98\x80";
    }
    writeFile(m_dir / "phrases.txt",
              "abab\r\n" + tooMany + "\n" + tooLong + "\nab" + emoji + "ab\n  go?d \n");
    const ToolRun fromFile = run({"-a", "-d", phraseDic, "-f", (m_dir / "phrases.txt").string()});
    EXPECT_EQ(fromFile.status, 1);
    EXPECT_EQ(fromFile.err, "wordloom-unscramble: the phrase '" + tooMany.substr(0, 40) +
                                "...' is too long: a phrase holds at most 64 letters and "
                                "blanks\n"
                                "wordloom-unscramble: the line 'ab" +
                                std::string(38, '-') +
                                "...' is too long for a phrase (more than 65535 characters)\n");
    EXPECT_EQ(fromFile.out, "abab\nab ab\nab ba\nba ba\nabab\nab ab\nab ba\nba ba\ngood\ndo go\n");

    const ToolRun lineEnd = run({"-a", "-d", phraseDic, "--format", "tsv", "ab\nab", "go?d"});
    EXPECT_EQ(lineEnd.status, 1);
    EXPECT_EQ(lineEnd.err,
              "wordloom-unscramble: the phrase 'ab\nab' holds a line end, which a tsv line "
              "cannot show\n");
    EXPECT_EQ(lineEnd.out, "go?d\tgood\ngo?d\tdo go\n");

    // A tab inside a phrase shows as a space: the line keeps its two columns.
    const ToolRun tab = run({"-a", "-d", phraseDic, "--format", "tsv", "-n", "1", "ab\tab"});
    EXPECT_EQ(tab.out, "ab ab\tabab\n");
}

TEST_F(PhraseTool, ReportsLinesThatCannotBeWritten) {
    const ToolRun result = run({"-a", "-d", phraseDic, "abab"}, outputTo("/dev/full"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "wordloom-unscramble: cannot write the results: No space left on device\n");
}

// "| head": once the reader is gone the tool ends at once, whatever is left to find, by the
// signal or, where the signal is ignored, with the same message as word mode and status 1. The
// whole phrase would take far longer than the time-out.
TEST_F(PhraseTool, EndsAtOnceWhenTheReaderGoesAway) {
    for (const bool ignoreSignal : {false, true}) {
        int pipeEnds[2];
        int errEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        ASSERT_EQ(pipe(errEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeEnds[1], 1);
            dup2(errEnds[1], 2);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            close(errEnds[0]);
            close(errEnds[1]);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            signal(SIGPIPE, ignoreSignal ? SIG_IGN : SIG_DFL);
            execl(WORDLOOM_CLI_EXE, WORDLOOM_CLI_EXE, "-a", "-j", "2", "jazz quiz?????????",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        close(errEnds[1]);
        char firstBytes[100];
        EXPECT_GT(read(pipeEnds[0], firstBytes, sizeof firstBytes), 0);
        close(pipeEnds[0]);
        const int status = waitForExit(child);
        const std::string err = readToEnd(errEnds[0]);
        close(errEnds[0]);
        if (ignoreSignal) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
            EXPECT_EQ(err, "wordloom-unscramble: cannot write the results: Broken pipe\n");
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
            EXPECT_EQ(err, "");
        }
    }
}

// The tool with its standard error on a new pseudo-terminal and its standard output into a pipe
// that nobody reads yet, so that a phrase runs long.
struct TerminalRun {
    int terminal = -1;
    int out = -1;
    pid_t child = -1;

    explicit TerminalRun(const std::vector<const char*>& arguments) {
        terminal = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return;
        }
        const std::string terminalName = ptsname(terminal);
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        std::vector<char*> argv{const_cast<char*>(WORDLOOM_CLI_EXE)};
        for (const char* argument : arguments) {
            argv.push_back(const_cast<char*>(argument));
        }
        argv.push_back(nullptr);
        child = fork();
        if (child == 0) {
            const int err = open(terminalName.c_str(), O_RDWR | O_NOCTTY);
            const int null = open("/dev/null", O_RDONLY);
            if (err < 0 || null < 0 || dup2(null, 0) < 0 || dup2(pipeEnds[1], 1) < 0 ||
                dup2(err, 2) < 0) {
                _exit(120);
            }
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            execv(WORDLOOM_CLI_EXE, argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        out = pipeEnds[0];
    }

    // Reads the output to its end; returns its number of lines.
    std::size_t drain() const {
        std::size_t lines = 0;
        char buffer[1 << 16];
        for (ssize_t count; (count = read(out, buffer, sizeof buffer)) > 0;) {
            lines += static_cast<std::size_t>(std::count(buffer, buffer + count, '\n'));
        }
        return lines;
    }

    int wait() const { return waitForExit(child); }

    ~TerminalRun() {
        close(out);
        close(terminal);
    }
};

// On a terminal, a phrase that runs for more than a second shows its progress on standard
// error, cleared when it ends.
TEST_F(PhraseTool, ShowsProgressOnATerminalAndClearsIt) {
    const TerminalRun tool({"-a", "-j", "2", "slot machines", "abab"});
    ASSERT_GT(tool.child, 0);
    std::string shown = readUntilFound(tool.terminal, " anagrams so far, phrase 1 of 2");
    EXPECT_NE(shown.find("\r\x1b[Kwordloom-unscramble: "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" anagrams so far, phrase 1 of 2"), std::string::npos) << shown;
    EXPECT_EQ(tool.drain(), 1030757u + 5u);  // slot machines, then abab
    const int status = tool.wait();
    shown += readToEnd(tool.terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(shown.ends_with("\r\x1b[K")) << shown;
}

// Ctrl-C stops the search: the lines found so far are written, the progress line goes, and the
// tool ends by the interrupt.
TEST_F(PhraseTool, ClearsTheProgressLineWhenInterrupted) {
    const TerminalRun tool({"-a", "-j", "2", "slot machines", "abab"});
    ASSERT_GT(tool.child, 0);
    std::string shown = readUntilFound(tool.terminal, " anagrams so far");
    ASSERT_NE(shown.find(" anagrams so far"), std::string::npos) << shown;
    kill(tool.child, SIGINT);
    const std::size_t lines = tool.drain();
    const int status = tool.wait();
    shown += readToEnd(tool.terminal);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_GT(lines, 0u);
    EXPECT_LT(lines, 1030757u);
    EXPECT_TRUE(shown.ends_with("\r\x1b[K")) << shown;
}

// Word mode with -l up to 27 lists the rows of the literal algorithm: random 15-letter sets on
// the bundled dictionary, some with blanks, through the executable.
TEST_F(PhraseTool, LongWordsOfWordModeMatchTheLiteralAlgorithm) {
    const auto dictionary = wordloom::engine::loadDictionary(bundledDic);
    std::mt19937 random(12);
    std::string letterSets;
    std::string expected;
    const wordloom::engine::LengthMask lengths = wordloom::engine::LengthMask::range(9, 27);
    std::vector<std::uint32_t> found;
    for (int set = 0; set < 120; ++set) {
        std::u16string letters;
        const int size = set < 40 ? 15 : 9 + static_cast<int>(random() % 19);
        for (int i = 0; i < size; ++i) {
            const int pick = static_cast<int>(random() % 40);
            // Common letters more often, so that long words do turn up.
            letters.push_back(pick < 26 ? static_cast<char16_t>(u'a' + pick)
                                        : u"etaoinsrlced?"[pick - 26]);
        }
        found.clear();
        wordloom::reference::literalUnscramble(dictionary->words(), dictionary->letterIndex(),
                                               letters, lengths, found);
        const std::string typed = wordloom::engine::encodeUtf8(letters);
        letterSets += typed + "\n";
        for (const std::uint32_t position : found) {
            expected +=
                typed + "\t" + wordloom::engine::encodeUtf8(dictionary->words()[position]) + "\n";
        }
    }
    writeFile(m_dir / "long.txt", letterSets);
    ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 100);
    for (const char* option : {"9-27", "9-"}) {
        const ToolRun result = run({"-d", bundledDic, "-l", option, "--format", "tsv", "-f",
                                    (m_dir / "long.txt").string()});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.out == expected) << option;
    }
    // The aligned column is as wide as the longest length asked for.
    EXPECT_EQ(
        run({"-d", smallDic, "-l", "9-", "--format", "aligned", "catalogues?", "eugolatacs"}).out,
        readFile(golden("long-aligned.txt")));
}

}  // namespace
