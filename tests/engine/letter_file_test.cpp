#include "engine/letter_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/text.h"
#include "temp_file.h"

namespace wordloom::engine {
namespace {

using Entries = std::vector<std::u16string>;

Entries split(std::u16string_view text, std::size_t chunkSize) {
    Entries entries;
    LetterLineSplitter splitter([&](std::u16string&& entry) { entries.push_back(entry); });
    for (std::size_t at = 0; at < text.size(); at += chunkSize) {
        splitter.feed(text.substr(at, chunkSize));
    }
    splitter.finish();
    return entries;
}

// The same entries whatever the chunks: whole, one unit at a time and cut in two anywhere.
Entries splitEveryWay(std::u16string_view text) {
    Entries whole = split(text, text.size() + 1);
    EXPECT_EQ(split(text, 1), whole);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        Entries entries;
        LetterLineSplitter splitter([&](std::u16string&& entry) { entries.push_back(entry); });
        splitter.feed(text.substr(0, cut));
        splitter.feed(text.substr(cut));
        splitter.finish();
        EXPECT_EQ(entries, whole) << "cut at " << cut;
    }
    return whole;
}

TEST(LetterLineSplitter, EndsLinesAtCrLfCrAndLf) {
    EXPECT_EQ(splitEveryWay(u"abc\r\ndef\r\nghi\r\n"), (Entries{u"abc", u"def", u"ghi"}));
    EXPECT_EQ(splitEveryWay(u"abc\rdef\rghi"), (Entries{u"abc", u"def", u"ghi"}));
    EXPECT_EQ(splitEveryWay(u"abc\ndef\r\nghi\rjkl\n"), (Entries{u"abc", u"def", u"ghi", u"jkl"}));
}

TEST(LetterLineSplitter, AFinalLineEndAddsNoEmptyEntry) {
    EXPECT_EQ(splitEveryWay(u"abc\ndef\nghi\n"), (Entries{u"abc", u"def", u"ghi"}));
    EXPECT_EQ(splitEveryWay(u"abc\r"), (Entries{u"abc"}));
    EXPECT_EQ(splitEveryWay(u"abc"), (Entries{u"abc"}));
    EXPECT_EQ(splitEveryWay(u""), Entries{});
    // Only the very last LF is spared; blank lines before it still count.
    EXPECT_EQ(splitEveryWay(u"\n"), (Entries{u""}));
    EXPECT_EQ(splitEveryWay(u"abc\n\n"), (Entries{u"abc", u""}));
    EXPECT_EQ(splitEveryWay(u"abc\n\r"), (Entries{u"abc", u""}));
    EXPECT_EQ(splitEveryWay(u"abc\n "), (Entries{u"abc", u""}));
}

TEST(LetterLineSplitter, KeepsBlankLinesAsEmptyEntries) {
    EXPECT_EQ(splitEveryWay(u"abc\r\n\r\ndef\r\n   \r\nghi"),
              (Entries{u"abc", u"", u"def", u"", u"ghi"}));
    EXPECT_EQ(splitEveryWay(u"\r\r"), (Entries{u"", u""}));
}

TEST(LetterLineSplitter, TrimsBlanksButKeepsTabsAndInnerBlanks) {
    EXPECT_EQ(splitEveryWay(u"  abc  \r\n\tdef\t\r\n a b  c \n  x"),
              (Entries{u"abc", u"\tdef\t", u"a b  c", u"x"}));
}

TEST(ReadLetterFile, DecodesUtf8AndSplitsLines) {
    tests::TempFile file(
        "\xEF\xBB\xBF"
        "caf\xC3\xA9\r\n ABC \nx\xFFy\r");
    Entries entries;
    readLetterFile(file.path(), [&](std::u16string&& entry) { entries.push_back(entry); });
    EXPECT_EQ(entries, (Entries{u"caf\u00e9", u"ABC", u"x\uFFFDy"}));
}

TEST(ReadLetterFile, JoinsSequencesAndLineEndsAcrossChunks) {
    // Lines of "ab" up to the chunk boundary of 1 MiB, then an "é" and a CR LF that straddle it.
    const std::size_t chunk = std::size_t{1} << 20;
    std::string bytes;
    std::size_t lines = 0;
    while (bytes.size() + 4 < chunk) {
        bytes += "ab\r\n";
        ++lines;
    }
    bytes.append(chunk - 1 - bytes.size(), 'z');
    bytes += "\xC3\xA9\r";  // the é starts at the last byte of the first chunk
    bytes.append(chunk * 2 - 1 - bytes.size(), 'y');
    bytes += "\r\nlast";  // CR at the last byte of the second chunk, LF at the first of the third
    tests::TempFile file(bytes);

    Entries entries;
    readLetterFile(file.path(), [&](std::u16string&& entry) { entries.push_back(entry); });

    const Entries expected = [&] {
        Entries result;
        LetterLineSplitter splitter([&](std::u16string&& entry) { result.push_back(entry); });
        splitter.feed(decodeUtf8(bytes));
        splitter.finish();
        return result;
    }();
    ASSERT_EQ(entries.size(), lines + 3);
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(entries[lines].back(), u'\u00e9');
    EXPECT_EQ(entries.back(), u"last");
}

TEST(ReadLetterFile, AddsNothingForAnEmptyFile) {
    tests::TempFile file("");
    Entries entries;
    readLetterFile(file.path(), [&](std::u16string&& entry) { entries.push_back(entry); });
    EXPECT_TRUE(entries.empty());
}

TEST(ReadLetterFile, NamesTheFileWhenItCannotBeOpened) {
    const std::string path = ::testing::TempDir() + "wordloom_no_such_letters.txt";
    try {
        readLetterFile(path, [](std::u16string&&) {});
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open the letter file '" + path +
                      "'. Check that it exists and that you may read it.");
    }
}

std::string failureOf(const std::string& path, LetterFileKinds kinds) {
    try {
        readLetterFile(
            path, [](std::u16string&&) {}, kinds);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no exception";
}

TEST(ReadLetterFile, NamesTheFileWhenItCannotBeRead) {
    // A regular file of the system whose first byte cannot be read.
    for (const auto kinds : {LetterFileKinds::Any, LetterFileKinds::RegularOnly}) {
        EXPECT_EQ(failureOf("/proc/self/mem", kinds),
                  "Cannot read the letter file '/proc/self/mem' to its end; the lines before the "
                  "failure were added.");
    }
}

TEST(ReadLetterFile, SaysAFolderIsAFolder) {
    const std::string path = ::testing::TempDir() + "wordloom_letter_folder";
    std::filesystem::create_directories(path);
    for (const auto kinds : {LetterFileKinds::Any, LetterFileKinds::RegularOnly}) {
        EXPECT_EQ(failureOf(path, kinds), "Cannot read the letter file '" + path +
                                              "': it is a folder, not a file. Nothing was added.");
    }
    std::filesystem::remove(path);
}

TEST(ReadLetterFile, RegularOnlyRefusesAFifoWithoutWaitingForAWriterAndADevice) {
    const std::string path =
        ::testing::TempDir() + "wordloom_letter_fifo_" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(failureOf(path, LetterFileKinds::RegularOnly),
              "Cannot read the letter file '" + path +
                  "': it is not a regular file but a pipe, device or socket. Nothing was added.");
    std::filesystem::remove(path);
    EXPECT_EQ(failureOf("/dev/zero", LetterFileKinds::RegularOnly),
              "Cannot read the letter file '/dev/zero': it is not a regular file but a pipe, "
              "device or socket. Nothing was added.");
}

}  // namespace
}  // namespace wordloom::engine
