// Runs the real wordloom-unscramble and compares what it writes with expected outputs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string golden(const char* name) {
    return std::string(WORDLOOM_CLI_GOLDEN_DIR "/") + name;
}
std::string testData(const char* name) {
    return std::string(WORDLOOM_TEST_DATA_DIR "/") + name;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Where the program's standard input comes from and where its output goes (empty: captured).
struct Streams {
    std::string in = "/dev/null";
    std::string out;
};

Streams inputFrom(const std::string& path) {
    Streams streams;
    streams.in = path;
    return streams;
}

Streams outputTo(const std::string& path) {
    Streams streams;
    streams.out = path;
    return streams;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class UnscrambleTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("wordloom-cli-" + std::string(test->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const Streams& streams = Streams()) {
        const fs::path outPath = streams.out.empty() ? m_dir / "stdout" : fs::path(streams.out);
        std::string command = shellQuoted(program);
        for (const std::string& argument : arguments) {
            command.append(" ").append(shellQuoted(argument));
        }
        command.append(" <").append(shellQuoted(streams.in));
        command.append(" >").append(shellQuoted(outPath));
        command.append(" 2>").append(shellQuoted(m_dir / "stderr"));
        const int status = std::system(command.c_str());
        ToolRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = streams.out.empty() ? readFile(outPath) : "";
        run.err = readFile(m_dir / "stderr");
        return run;
    }

    ToolRun run(const std::vector<std::string>& arguments, const Streams& streams = Streams()) {
        return runProgram(WORDLOOM_CLI_EXE, arguments, streams);
    }

    fs::path m_dir;
};

const std::string smallDic = golden("small.dic");

TEST_F(UnscrambleTool, ListsTheWordsOfEachLetterSetInRunOrder) {
    const ToolRun result = run({"-d", smallDic, "tca", "TEA", "oc?t", "ét?"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, readFile(golden("args-words.txt")));
    EXPECT_EQ(result.err, "");
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

// The expected answers come from a separate, literal implementation of the word engine.
TEST_F(UnscrambleTool, MatchesIndependentAnswersOnATrickyDictionary) {
    for (const char* lengths : {"2-8", "4-6"}) {
        const std::string expected =
            readFile(testData(("tricky-" + std::string(lengths) + ".tsv").c_str()));
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
    const std::string rows = readFile(testData("tricky-2-8.tsv"));
    std::string manyLetterSets;
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        manyLetterSets += letterSets;
        expected += rows;
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
        EXPECT_EQ(result.err, "Dictionary file not found.\n") << dictionary;
        EXPECT_EQ(result.out, "") << dictionary;
    }
}

TEST_F(UnscrambleTool, NamesAnUnreadableLetterFileRunsTheOthersAndExitsWith1) {
    const std::string missing = (m_dir / "missing letters.txt").string();
    const ToolRun result = run({"-d", smallDic, "-f", golden("letters-go.txt"), "-f", missing, "-f",
                                golden("letters-go.txt"), "tca"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("'" + missing + "'"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "go\ngo\nact\nat\ncat\n");
}

TEST_F(UnscrambleTool, PrintsUsageAndExitsWith2OnBadOptions) {
    const std::vector<std::vector<std::string>> commandLines = {{"-x", "ab"},
                                                                {"-l", "9", "ab"},
                                                                {"-l", "1-8", "ab"},
                                                                {"--format", "csv", "ab"},
                                                                {"-j", "0", "ab"},
                                                                {"ab", "-d"},
                                                                {}};
    for (const auto& arguments : commandLines) {
        const ToolRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_NE(result.err.find("Usage: wordloom-unscramble"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
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
    EXPECT_EQ(copied.err, "Dictionary file not found.\n");
}

TEST_F(UnscrambleTool, ReportsResultsThatCannotBeWritten) {
    const ToolRun result = run({"-d", smallDic, "tca"}, outputTo("/dev/full"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("Cannot write the results", 0), 0u) << result.err;
}

TEST_F(UnscrambleTool, PrintsVersionAndHelp) {
    const ToolRun version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "wordloom-unscramble " WORDLOOM_VERSION "\n");
    const ToolRun help = run({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: wordloom-unscramble [options] [LETTERS...]\n", 0), 0u);
}

}  // namespace
