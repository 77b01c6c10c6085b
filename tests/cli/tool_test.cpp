// Runs the real wordloom-unscramble and compares what it writes with expected outputs.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/dictionary.h"
#include "engine/text.h"
#include "letter_rule_reference.h"
#include "tool_fixture.h"

namespace {

using namespace wordloom::cli::tool_test;

// Letters compare without regard to case: "Cat" of small.dic is spelled by "tca" as "cat" is.
TEST_F(UnscrambleTool, ListsTheWordsOfEachLetterSetInRunOrder) {
    const ToolRun result = run({"-d", smallDic, "tca", "TEA", "oc?t", "ét?"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, readFile(golden("args-words.txt")));
    EXPECT_EQ(result.err, "");
}

// A letter set that is not UTF-8 is echoed byte for byte, not with U+FFFD, and lists what its
// valid letters spell.
TEST_F(UnscrambleTool, EchoesInvalidUtf8LetterSetsAsTyped) {
    // The literals are split so that the letter after a \x escape is not read as part of it.
    const ToolRun result = run({"-d", smallDic, "--format", "tsv",
                                // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
                                "tc\xFF"
                                "a",
                                "c\xE2\x82"
                                "at",
                                "tca"});
    EXPECT_EQ(result.status, 0);
    std::string expected;
    for (const std::string typed : {"tc\xFF"
                                    "a",
                                    "c\xE2\x82"
                                    "at",
                                    "tca"}) {
        for (const char* word : {"Cat", "act", "at", "cat"}) {
            expected += typed + "\t" + word + "\n";
        }
    }
    EXPECT_EQ(result.out, expected);
}

TEST_F(UnscrambleTool, WritesTsvWithLetterSetsAsTypedAndAlignedTables) {
    EXPECT_EQ(run({"-d", smallDic, "--format", "tsv", "tca", "TEA", "oc?t", "ét?"}).out,
              readFile(golden("args.tsv")));
    EXPECT_EQ(run({"-d", smallDic, "--format=aligned", "tca", "TEA", "oc?t", "ét?"}).out,
              readFile(golden("args-aligned.txt")));
}

TEST_F(UnscrambleTool, WritesOnlyTheHeaderOfAnAlignedTableWithoutRows) {
    const ToolRun result = run({"-d", smallDic, "--format", "aligned", "zz", "x"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Unscramble Letters\t\r\n");
}

TEST_F(UnscrambleTool, ReadsLetterFilesAndStandardInputWithMixedLineEnds) {
    const std::string expected = readFile(golden("letters-mixed.tsv"));
    EXPECT_EQ(run({"-d", smallDic, "--format", "tsv", "-f", golden("letters-mixed.txt")}).out,
              expected);
    const ToolRun piped =
        run({"-d", smallDic, "--format", "tsv", "-f", "-"}, inputFrom(golden("letters-mixed.txt")));
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, expected);
}

TEST_F(UnscrambleTool, RunsArgumentsAndFilesInCommandLineOrder) {
    EXPECT_EQ(run({"-d", smallDic, "--format", "tsv", "-l", "3", "oc?t", "-f",
                   golden("letters-mixed.txt")})
                  .out,
              readFile(golden("order-3.tsv")));
}

TEST_F(UnscrambleTool, ListsOnlyTheChosenWordLengths) {
    EXPECT_EQ(run({"-d", smallDic, "-l", "2,4", "?????"}).out,
              readFile(golden("blanks-2-and-4.txt")));
    EXPECT_EQ(run({"-d", smallDic, "--lengths=3-3", "?????"}).out,
              readFile(golden("blanks-3.txt")));
}

// The words of tricky.dic as the engine reads them (the engine's own tests hold that reading to
// the independent answers).
std::vector<std::u16string> trickyWords() {
    wordloom::engine::DictionaryLoader loader(testData("tricky.dic"));
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    const wordloom::engine::WordList& list = loader.dictionary()->words();
    return std::vector<std::u16string>(list.views().begin(), list.views().end());
}

// The rows whose word has no capital: there the batch tool's letter rule and the window's agree.
std::string rowsOfLowerCaseWords(const std::string& rows) {
    std::string kept;
    for (const std::string& row : linesOf(rows)) {
        const std::u16string word = wordloom::engine::decodeUtf8(row.substr(row.find('\t') + 1));
        if (wordloom::engine::toLowerCase(word) == word) {
            kept += row + "\n";
        }
    }
    return kept;
}

// The expected answers come from a separate, literal implementation of the window's word engine,
// which compares the words of the list as they are spelled. The batch tool compares them without
// regard to case, so it lists the capitalised words its letter sets spell too: its rows are
// those of the letter rule written out plainly, and equal the independent answers wherever the
// word has no capital.
TEST_F(UnscrambleTool, MatchesIndependentAnswersOnATrickyDictionary) {
    const std::vector<std::u16string> words = trickyWords();
    const std::vector<std::string> letterSets = linesOf(readFile(testData("letter-sets.txt")));
    for (const auto& [lengths, shortest, longest] :
         {std::tuple("2-8", 2, 8), std::tuple("4-6", 4, 6)}) {
        const std::string expected =
            referenceWordRows(words, letterSets, shortest, longest, /*fold=*/false);
        const std::string independent =
            readFile(testData(("tricky-" + std::string(lengths) + ".tsv").c_str()));
        ASSERT_EQ(rowsOfLowerCaseWords(expected), rowsOfLowerCaseWords(independent)) << lengths;
        for (const char* jobs : {"1", "2"}) {
            const ToolRun result =
                run({"-d", testData("tricky.dic"), "-f", testData("letter-sets.txt"), "--format",
                     "tsv", "-l", lengths, "-j", jobs});
            EXPECT_EQ(result.status, 0) << lengths << " with " << jobs << " jobs";
            EXPECT_TRUE(result.out == expected) << lengths << " with " << jobs << " jobs";
        }
    }
}

TEST_F(UnscrambleTool, WritesTheSameOutputWithAnyNumberOfJobs) {
    // Enough letter sets that the threads run far ahead of the writer and wrap around.
    const std::string letterSets = readFile(testData("letter-sets.txt"));
    const ToolRun once = run({"-d", testData("tricky.dic"), "-f", testData("letter-sets.txt"),
                              "--format", "tsv", "-j", "1"});
    ASSERT_EQ(once.status, 0);
    std::string manyLetterSets;
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        manyLetterSets += letterSets;
        expected += once.out;
    }
    writeFile(m_dir / "many.txt", manyLetterSets);
    for (const char* jobs : {"1", "2", "3", "7"}) {
        const ToolRun result = run({"-d", testData("tricky.dic"), "-f", m_dir / "many.txt",
                                    "--format", "tsv", "-j", jobs});
        EXPECT_EQ(result.status, 0) << jobs << " jobs";
        EXPECT_TRUE(result.out == expected) << jobs << " jobs";
    }
}

TEST_F(UnscrambleTool, StopsWithExitStatus1WhenTheDictionaryIsMissing) {
    for (const std::string& dictionary : {(m_dir / "none.dic").string(), m_dir.string()}) {
        const ToolRun result = run({"-d", dictionary, "tca"});
        EXPECT_EQ(result.status, 1) << dictionary;
        const std::string why =
            dictionary == m_dir.string()
                ? "the dictionary '" + dictionary + "' is a folder: name a word list inside it"
                : "dictionary file not found: " + dictionary;
        EXPECT_EQ(result.err, "wordloom-unscramble: " + why + "\n");
        EXPECT_EQ(result.out, "") << dictionary;
    }
}

TEST_F(UnscrambleTool, NamesAnUnreadableLetterFileRunsTheOthersAndExitsWith1) {
    const std::string missing = (m_dir / "missing letters.txt").string();
    const ToolRun result = run({"-d", smallDic, "-f", golden("letters-go.txt"), "-f", missing, "-f",
                                golden("letters-go.txt"), "tca"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "wordloom-unscramble: cannot open the letter file '" + missing +
                              "': No such file or directory\n");
    EXPECT_EQ(result.out, "go\ngo\nCat\nact\nat\ncat\n");
}

const char* const tryHelp = "Try 'wordloom-unscramble --help' for more information.\n";

// A usage error is one line saying what is wrong and one pointing to --help, not the whole help.
TEST_F(UnscrambleTool, NamesAUsageErrorInOneLineAndExitsWith2) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-y", "ab"}, "unknown option '-y'"},
        {{"-l", "28", "ab"},
         "invalid word lengths '28': lengths lie between 2 and 27, as in 2-8, 4,5,6 or 9-"},
        {{"-a", "--format", "aligned", "ab"},
         "the aligned format does not go with -a: use words or tsv"},
        {{"-a", "-c", "dog", std::string(65, 'x')},
         "the phrase '" + std::string(65, 'x') +
             "' is too long: a phrase holds at most 64 letters and blanks"},
        {{"--format", "csv", "ab"}, "invalid format 'csv': use words, tsv or aligned"},
        {{"-j", "0", "ab"}, "invalid number of jobs '0': use a whole number from 1 to 1024"},
        {{"ab", "-d"}, "option '-d' needs a value"},
        {{"--version=2"}, "option '--version' takes no value"},
        {{"-d", "", "tca"}, "the dictionary file name must not be empty"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.err, "wordloom-unscramble: " + message + "\n" + tryHelp);
        EXPECT_EQ(result.out, "");
    }
}

// Without letter sets the tool reads them from standard input, as a filter does; from a terminal
// nobody would know that it waits, so there it is a usage error.
TEST_F(UnscrambleTool, ReadsStandardInputWithoutLetterSetsUnlessItIsATerminal) {
    writeFile(m_dir / "letters.txt", "tca\r\n  go\n");
    const ToolRun piped = run({"-d", smallDic, "-l", "2-3"}, inputFrom(m_dir / "letters.txt"));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, "Cat\nact\nat\ncat\ngo\n");
    EXPECT_EQ(piped.err, "");
    const ToolRun empty = run({"-d", smallDic});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "");

    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);
    const std::string terminalName = ptsname(terminal);
    const ToolRun fromTerminal = spawn({"-d", smallDic}, [&terminalName] {
        const int in = open(terminalName.c_str(), O_RDONLY | O_NOCTTY);
        if (in < 0 || dup2(in, 0) < 0) {
            _exit(124);
        }
    });
    close(terminal);
    EXPECT_EQ(fromTerminal.status, 2);
    EXPECT_EQ(fromTerminal.err,
              "wordloom-unscramble: no letter sets given: name them as arguments or read them "
              "with -f FILE\n" +
                  std::string(tryHelp));
    EXPECT_EQ(fromTerminal.out, "");
}

// Digits, punctuation and blanks inside a letter set go to the matcher as they are: they spell
// nothing with a dictionary of letters, and that is no cause for a message.
TEST_F(UnscrambleTool, PassesCharactersThatCannotMatchOnWithoutAWord) {
    const ToolRun result = run({"-d", smallDic, "--format", "tsv", "t1c.a", "2,!", "T C-A"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "t1c.a\tCat\nt1c.a\tact\nt1c.a\tat\nt1c.a\tcat\n"
              "T C-A\tCat\nT C-A\tact\nT C-A\tat\nT C-A\tcat\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(UnscrambleTool, FindsWordsDicBesideItsRealFileNotTheLinkOrTheWorkingFolder) {
    const fs::path link = m_dir / "wordloom-unscramble";
    fs::create_symlink(WORDLOOM_CLI_EXE, link);
    const ToolRun linked = runProgram(link.string(), {"tca"});
    EXPECT_EQ(linked.status, 0) << linked.err;
    EXPECT_NE(linked.out.find("\nact\n"), std::string::npos);
    EXPECT_NE(linked.out.find("\ncat\n"), std::string::npos);

    // A copy of the program with no words.dic beside it has no dictionary.
    const fs::path lonely = m_dir / "lonely";
    fs::copy_file(WORDLOOM_CLI_EXE, lonely);
    const ToolRun copied = runProgram(lonely.string(), {"tca"});
    EXPECT_EQ(copied.status, 1);
    EXPECT_EQ(copied.err, "wordloom-unscramble: dictionary file not found: " +
                              (m_dir / "words.dic").string() + "\n");
}

TEST_F(UnscrambleTool, ReportsResultsThatCannotBeWritten) {
    const ToolRun result = run({"-d", smallDic, "tca"}, outputTo("/dev/full"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "wordloom-unscramble: cannot write the results: No space left on device\n");
}

TEST_F(UnscrambleTool, PrintsVersionAndHelp) {
    for (const char* option : {"--version", "-V"}) {
        const ToolRun version = run({option});
        EXPECT_EQ(version.status, 0) << option;
        EXPECT_EQ(version.out, "wordloom-unscramble " WORDLOOM_VERSION "\n") << option;
    }
    const ToolRun help = run({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: wordloom-unscramble [OPTION]... [LETTERS]...\n", 0), 0u);
}

TEST_F(UnscrambleTool, HelpAndVersionIntoAFullDeviceExitWith1) {
    for (const char* what : {"help", "version"}) {
        const ToolRun result = run({"--" + std::string(what)}, outputTo("/dev/full"));
        EXPECT_EQ(result.status, 1) << what;
        EXPECT_EQ(result.err, "wordloom-unscramble: cannot write the " + std::string(what) +
                                  ": No space left on device\n");
    }
}

TEST_F(UnscrambleTool, WarnsOnceAboutAUtf16DictionaryAndStillRuns) {
    const std::string words = "tea\r\neat\r\nate\r\n";
    std::string littleEndian = "\xFF\xFE";
    std::string bigEndian = "\xFE\xFF";
    std::string withoutMark;
    for (const char c : words) {
        littleEndian += {c, '\0'};
        bigEndian += {'\0', c};
        withoutMark += {c, '\0'};
    }
    const std::pair<const char*, std::string> files[] = {
        {"le.dic", littleEndian}, {"be.dic", bigEndian}, {"nul.dic", withoutMark}};
    for (const auto& [name, bytes] : files) {
        const std::string path = (m_dir / name).string();
        writeFile(path, bytes);
        const ToolRun result = run({"-d", path, "tea", "eat"});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.err, "wordloom-unscramble: warning: the dictionary '" + path +
                                  "' is not UTF-8 text (it looks like UTF-16), so its words "
                                  "will hardly match; save it as UTF-8\n");
    }
    // UTF-8 with its byte-order mark is no cause for a warning.
    writeFile(m_dir / "utf8.dic", "\xEF\xBB\xBFtea\r\n");
    const ToolRun plain = run({"-d", (m_dir / "utf8.dic").string(), "eat"});
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.out, "tea\n");
    // One NUL byte in UTF-8 text is reported as what it is, and the other words match.
    const std::string nul = (m_dir / "nul-byte.dic").string();
    writeFile(nul, std::string("tea\neat\na\0te\n", 13));
    const ToolRun withNul = run({"-d", nul, "eat"});
    EXPECT_EQ(withNul.status, 0);
    EXPECT_EQ(withNul.err, "wordloom-unscramble: warning: the dictionary '" + nul +
                               "' has a NUL byte at line 3, which stays in the word there\n");
    EXPECT_EQ(withNul.out, "eat\ntea\n");
}

// A dictionary without a word lists nothing for any letter set: said once, in both modes.
TEST_F(UnscrambleTool, WarnsOnceAboutAnEmptyDictionary) {
    const std::string path = (m_dir / "empty.dic").string();
    writeFile(path, "\r\n\r\n");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-d", path, "tea", "eat"},
          std::vector<std::string>{"-a", "-d", path, "tea", "eat"}}) {
        const ToolRun result = run(arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "wordloom-unscramble: warning: the dictionary '" + path +
                                  "' has no words, so nothing will match\n");
    }
}

// Blanks inside a line count towards its length; at its ends they do not.
TEST_F(UnscrambleTool, PassesOverLongLinesAndRunsTheLinesAfterThem) {
    const std::string blanks(100000, ' ');
    const std::string cat = "Cat\nact\nat\ncat\n";
    // Each line, and the rows it gives with the small dictionary.
    const std::pair<std::string, std::string> lines[] = {
        {std::string(3000000, 'a'), ""},
        {"tca", cat},
        {"tc" + blanks + "a", ""},
        {blanks + "oc?t" + blanks, "Cat\nact\nat\ncat\ncoat\ndo\ngo\ntaco\n"},
        {"tca" + blanks + "x", ""},
        {"tca" + std::string(24, 'z'), cat},  // 27 units: the longest that runs
        {"tca" + std::string(25, 'z'), ""},
        {"tca" + std::string(23, ' ') + "z", cat},
        {"tca" + std::string(24, ' ') + "z" + blanks, ""},
        {"at", "at\n"},
    };
    std::string letters;
    std::string expected;
    for (const auto& [line, rows] : lines) {
        letters += line + (letters.size() % 2 == 0 ? "\r\n" : "\n");
        expected += rows;
    }
    writeFile(m_dir / "long.txt", letters);
    const ToolRun fromFile = run({"-d", smallDic, "-f", (m_dir / "long.txt").string()});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, expected);
    const ToolRun piped =
        run({"-d", smallDic, "-f", "-"}, inputFrom((m_dir / "long.txt").string()));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, expected);
}

// 300 MB of a single line on standard input used to take 936 MB; a line that can never run is
// not stored beyond what tells it apart.
TEST_F(UnscrambleTool, KeepsMemoryFlatOnAnEndlessLetterLine) {
    const auto feed = [](int pipe) {
        const std::string block(1 << 20, 'e');
        for (int i = 0; i < 300; ++i) {
            if (write(pipe, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
                return;
            }
        }
        const std::string rest = "\ntca\n";
        [[maybe_unused]] const auto written = write(pipe, rest.data(), rest.size());
    };
    long peak = 0;
    const ToolRun result = spawn(
        {"-d", smallDic, "-f", "-"}, [] {}, feed, &peak);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Cat\nact\nat\ncat\n");
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 150 * 1024) << "kilobytes";
}

// Threads that cannot start (a process limit) leave fewer jobs, down to the calling thread, and
// the same output. The limit binds only users without root's rights, so the tool runs as nobody.
TEST_F(UnscrambleTool, RunsOnFewerThreadsWhenNoneCanStart) {
    // The program and its files in a folder that the unprivileged user may read, wherever the
    // build lies.
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    m_program = (m_dir / "wordloom-unscramble").string();
    fs::copy_file(WORDLOOM_CLI_EXE, m_program);
    fs::copy_file(testData("tricky.dic"), m_dir / "tricky.dic");
    fs::copy_file(testData("letter-sets.txt"), m_dir / "letter-sets.txt");
    const std::vector<std::string> arguments = {"-d",       (m_dir / "tricky.dic").string(),
                                                "-f",       (m_dir / "letter-sets.txt").string(),
                                                "--format", "tsv",
                                                "-j",       "4"};
    const auto oneProcessOnly = [] {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(121);
        }
        // LeakSanitizer needs a thread of its own at the exit, which the limit forbids.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        // Lowered after the change of user, so that the exec itself is still allowed.
        const rlimit limit{1, 1};
        if (setrlimit(RLIMIT_NPROC, &limit) != 0) {
            _exit(122);
        }
    };
    const ToolRun result = spawn(arguments, oneProcessOnly);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out == run(arguments).out);
    EXPECT_EQ(result.err, run(arguments).err);  // the dictionary's own warning, nothing more
}

// A one-line dictionary needs about three times its size; with less memory than that the tool
// says so and stops, and under the same limit an ordinary dictionary still loads.
TEST_F(UnscrambleTool, NamesTheDictionaryThatDoesNotFitInMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
    const std::string path = (m_dir / "one line.dic").string();
    writeFile(path, std::string(24 << 20, 'q'));
    const auto limitMemory = [] {
        const rlimit limit{60 << 20, 60 << 20};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            _exit(123);
        }
    };
    const ToolRun result = spawn({"-d", path, "-j", "1", "tca"}, limitMemory);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "wordloom-unscramble: not enough memory to read the dictionary '" + path + "'\n");
    EXPECT_EQ(result.out, "");

    const ToolRun small = spawn({"-d", smallDic, "-j", "1", "tca"}, limitMemory);
    EXPECT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(small.out, "Cat\nact\nat\ncat\n");
#endif
}

// A dictionary whose load could never fit in the machine's memory is refused before it is read
// (granted on credit, the memory would only bring the system's out-of-memory killer). The file
// is sparse: it takes no room on the disk.
TEST_F(UnscrambleTool, RefusesADictionaryLargerThanTheMachineCanLoad) {
    const auto memory = static_cast<std::uintmax_t>(sysconf(_SC_PHYS_PAGES)) *
                        static_cast<std::uintmax_t>(sysconf(_SC_PAGE_SIZE));
    const std::string path = (m_dir / "huge.dic").string();
    writeFile(path, "");
    fs::resize_file(path, memory / 2);
    const ToolRun result = run({"-d", path, "tca"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "wordloom-unscramble: not enough memory to read the dictionary '" + path + "'\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
