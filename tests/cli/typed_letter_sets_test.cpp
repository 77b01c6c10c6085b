// Letter sets that are not UTF-8: the tsv echo gives back the bytes as typed, whether the letter
// set is an argument or a line of a letter file, in word mode and in phrase mode.
#include <random>
#include <string>
#include <vector>

#include "tool_fixture.h"

namespace wordloom::cli::tool_test {
namespace {

// Line pieces: letters, valid multi-byte characters (2 to 4 bytes, a byte-order mark inside a
// line), and malformed ones (a stray byte, a cut sequence, a lone continuation byte, a surrogate).
const std::vector<std::string> kPieces = {
    "t",    "ca",       "e",    "\xC3\xA9",     "\xE2\x82\xAC", "?",   "\xF0\x9F\x98\x80",
    "\xFF", "\xE2\x82", "\x80", "\xED\xA0\x80", "\xEF\xBB\xBF", "\xC3"};

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// The letter-file lines (after a byte-order mark): where the file is read in chunks (64 KiB), a
// line is cut inside an "é" (which spells "été") and one inside a cut sequence; the rest are mixed
// at random.
std::vector<std::string> mixedLines() {
    std::vector<std::string> lines;
    std::size_t size = kByteOrderMark.size();
    const auto add = [&](const std::string& line) {
        lines.push_back(line);
        size += line.size() + 1;
    };
    std::mt19937 random(20);
    const auto randomLine = [&] {
        std::string line = "a";
        const std::size_t pieces = 1 + random() % 6;
        for (std::size_t i = 0; i < pieces; ++i) {
            line += kPieces[random() % kPieces.size()];
        }
        return line;
    };
    for (const std::size_t chunkEnd : {std::size_t{1} << 16, std::size_t{2} << 16}) {
        while (size + 64 < chunkEnd) {
            add(randomLine());
        }
        // "ca" + filler up to one byte before the chunk end, then the piece that straddles it.
        add("ca" + std::string(chunkEnd - size - 4, 't'));
        add(chunkEnd == (std::size_t{1} << 16) ? "\xC3\xA9t\xC3\xA9"
                                               : "\xE2\x82"
                                                 "tac");
    }
    for (int i = 0; i < 200; ++i) {
        add(randomLine());
    }
    return lines;
}

// The letter-file lines run exactly as the same bytes given as arguments: the same rows, the
// same echo. A byte-order mark that starts the file is not part of its first line.
TEST_F(UnscrambleTool, RunsLetterFileLinesThatAreNotUtf8AsTheSameArguments) {
    const std::vector<std::string> lines = mixedLines();
    writeFile(m_dir / "letters.txt", kByteOrderMark + textOfLines(lines));
    std::vector<std::string> arguments = {"-d", smallDic, "--format", "tsv"};
    arguments.insert(arguments.end(), lines.begin(), lines.end());
    const ToolRun fromArguments = spawn(arguments, [] {});  // too long for one shell command
    ASSERT_EQ(fromArguments.status, 0) << fromArguments.err;
    ASSERT_NE(fromArguments.out.find('\xFF'), std::string::npos);
    ASSERT_NE(fromArguments.out.find("\xC3\xA9t\xC3\xA9\t\xC3\xA9t\xC3\xA9\n"), std::string::npos);
    for (const char* jobs : {"1", "2"}) {
        const ToolRun fromFile = run({"-d", smallDic, "--format", "tsv", "-j", jobs, "-f",
                                      (m_dir / "letters.txt").string()});
        EXPECT_EQ(fromFile.status, 0) << fromFile.err;
        EXPECT_TRUE(fromFile.out == fromArguments.out) << "rows differ with -j " << jobs;
    }
}

TEST_F(UnscrambleTool, EchoesLetterFileLinesAsTypedInBothModes) {
    writeFile(m_dir / "letters.txt",
              "tc\xFF"
              "a\r\nc\xE2\x82"
              "at\n");
    const ToolRun words =
        run({"-d", smallDic, "--format", "tsv", "-l", "3", "-f", (m_dir / "letters.txt").string()});
    EXPECT_EQ(words.out,
              "tc\xFF"
              "a\tCat\ntc\xFF"
              "a\tact\ntc\xFF"
              "a\tcat\nc\xE2\x82"
              "at\tCat\nc\xE2\x82"
              "at\tact\nc\xE2\x82"
              "at\tcat\n");
    const ToolRun phrases = run(
        {"-a", "-d", smallDic, "--format", "tsv", "-n", "1", "-f", (m_dir / "letters.txt").string(),
         // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one letter set
         "go\xFF"
         "d"});
    EXPECT_EQ(phrases.status, 0) << phrases.err;
    EXPECT_EQ(phrases.out,
              "tc\xFF"
              "a\tCat\nc\xE2\x82"
              "at\tCat\ngo\xFF"
              "d\tdog\n");
}

}  // namespace
}  // namespace wordloom::cli::tool_test
