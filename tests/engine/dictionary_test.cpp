#include "engine/dictionary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/text.h"
#include "temp_file.h"

namespace wordloom::engine {
namespace {

using Words = std::vector<std::u16string>;

Words wordsOf(const Dictionary& dictionary) {
    const auto& views = dictionary.words().views();
    return {views.begin(), views.end()};
}

// The sorted word list that a dictionary file with these bytes gives.
Words load(std::string_view bytes) {
    tests::TempFile file(bytes);
    return wordsOf(*loadDictionary(file.path()));
}

TEST(DictionaryReader, DropsItemsShorterThanTwoUnits) {
    EXPECT_EQ(load("ab\r\na\r\n\r\nabc\r\n"), (Words{u"ab", u"abc"}));
    EXPECT_EQ(load("a,,b,\r\n,cd"), (Words{u"cd"}));
}

TEST(DictionaryReader, SplitsAtCommasAndEveryLineEnd) {
    EXPECT_EQ(load("tea,eat\r\nox\rby\nit"), (Words{u"by", u"eat", u"it", u"ox", u"tea"}));
}

TEST(DictionaryReader, TakesQuotedItemsWhole) {
    EXPECT_EQ(load("\"ab,cd\"\r\nef,  \"gh,ij\""), (Words{u"ab,cd", u"ef", u"gh,ij"}));
    EXPECT_EQ(load("\"  ab\r\ncd  \""), (Words{u"  ab\r\ncd  "}));
    // What follows the closing quote up to the next separator is not part of any item.
    EXPECT_EQ(load("\"ab\"xy,cd\r\n\"ef\" gh\r\nij"), (Words{u"ab", u"cd", u"ef", u"ij"}));
    // An unclosed quote runs to the end of the file.
    EXPECT_EQ(load("ab\r\n\"cd,ef\r\ngh"), (Words{u"ab", u"cd,ef\r\ngh"}));
    // A quote inside an item is an ordinary character.
    EXPECT_EQ(load("don\"t,it\"s\""), (Words{u"don\"t", u"it\"s\""}));
}

TEST(DictionaryReader, SkipsLeadingAndDropsTrailingBlanks) {
    EXPECT_EQ(load("  ab cd  ,   ef\r\n \tgh\r\n  \r\n  i  "), (Words{u"\tgh", u"ab cd", u"ef"}));
}

TEST(DictionaryReader, KeepsCaseAndDuplicates) {
    EXPECT_EQ(load("ab\r\nZebra\r\nab\r\nAb\r\n"), (Words{u"Ab", u"Zebra", u"ab", u"ab"}));
}

TEST(DictionaryReader, DecodesUtf8) {
    EXPECT_EQ(load("\xEF\xBB\xBF"
                   "caf\xC3\xA9\r\n\xC3\xA9t\xC3\xA9"),
              (Words{u"caf\u00e9", u"\u00e9t\u00e9"}));
    EXPECT_EQ(load("a\xFF"
                   "b\r\nc\xE2\x82"),
              (Words{u"a\uFFFDb", u"c\uFFFD"}));
    EXPECT_EQ(load("\xEF\xBB\xBF"), Words{});
}

TEST(DictionaryReader, JoinsItemsAndSequencesAcrossReadChunks) {
    // An "é" straddles the first 64 KiB boundary, and many more items with and without quotes
    // follow, so a reader in chunks or in blocks cuts items everywhere.
    const std::size_t chunk = std::size_t{1} << 16;
    std::string bytes;
    Words expected;
    while (bytes.size() + 4 < chunk) {
        bytes += "ab\r\n";
        expected.push_back(u"ab");
    }
    const std::size_t padding = chunk - 1 - bytes.size();
    bytes += std::string(padding, 'z') + "\xC3\xA9,";
    expected.push_back(std::u16string(padding, u'z') + u"\u00e9");
    for (int i = 0; i < 30000; ++i) {
        const std::string word = "w\xC3\xA9" + std::to_string(i) + (i % 3 == 0 ? "\"q\"" : "");
        bytes += word + (i % 2 == 0 ? "\r\n" : ",");
        expected.push_back(decodeUtf8(word));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(load(bytes), expected);
}

// tricky.dic with the golden answers of an independent implementation: the letter set of nine
// blanks lists every word of 2 to 8 units, in word-list order, duplicates included.
TEST(DictionaryReader, AgreesWithTheGoldenAnswersOnTrickyDic) {
    DictionaryLoader loader(WORDLOOM_TEST_DATA_DIR "/tricky.dic");
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    // Capitals, digits and accents give it more initials than the letter index holds.
    EXPECT_THROW(loader.buildIndex(), TooManyInitialGroups);
    const auto dictionary = loader.dictionary();
    Words shortWords;
    for (const auto& word : wordsOf(*dictionary)) {
        if (word.size() <= 8) {
            shortWords.push_back(word);
        }
    }

    std::ifstream golden(WORDLOOM_TEST_DATA_DIR "/tricky-2-8.tsv", std::ios::binary);
    Words listed;
    const std::string prefix = "?????????\t";
    for (std::string line; std::getline(golden, line);) {
        if (line.rfind(prefix, 0) == 0) {
            listed.push_back(decodeUtf8(line.substr(prefix.size())));
        }
    }
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(shortWords, listed);

    const Words all = wordsOf(*dictionary);
    auto count = [&](std::u16string_view word) { return std::count(all.begin(), all.end(), word); };
    EXPECT_EQ(count(u"outsmarting,beery"), 1);
    EXPECT_EQ(count(u"Hippopotomonstrosesquipedalian"), 1);
    EXPECT_EQ(count(u"butyraceous"), 1);
    EXPECT_EQ(count(u"cessions"), 2);
    EXPECT_EQ(count(u"a"), 0);
}

TEST(DictionaryLoader, ReportsAFileThatCannotBeOpenedAndGoesOnEmpty) {
    const std::string path = ::testing::TempDir() + "wordloom_no_such_words.dic";
    DictionaryLoader loader(path);
    try {
        loader.open();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open the dictionary file '" + path +
                                                 "'. Check that it exists and that you may "
                                                 "read it.");
    }
    EXPECT_TRUE(loader.atEnd());
    loader.readItems();
    loader.close();
    loader.sort();
    loader.buildIndex();
    EXPECT_EQ(loader.dictionary()->words().size(), 0u);
    EXPECT_EQ(loader.dictionary()->letterIndex().entry(2), 0);
}

TEST(DictionaryLoader, ReportsAReadFailureAndGoesOnWithWhatWasRead) {
    // A folder opens like a file here but cannot be read.
    const std::string path = ::testing::TempDir() + "wordloom_dictionary_folder";
    std::filesystem::create_directories(path);
    DictionaryLoader loader(path);
    loader.open();
    EXPECT_FALSE(loader.atEnd());
    try {
        loader.readItems();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot read the dictionary file '" + path +
                      "' to its end; only the 0 words before the failure are loaded.");
    }
    EXPECT_TRUE(loader.atEnd());
    loader.close();
    loader.sort();
    loader.buildIndex();
    EXPECT_EQ(loader.dictionary()->words().size(), 0u);
    std::filesystem::remove(path);
}

TEST(DictionaryLoader, ReadsAStreamWhoseSizeIsUnknownBeforehand) {
    // A pipe has no size: the reader grows its buffer until the writer closes it.
    const std::string path = ::testing::TempDir() + "wordloom_dictionary_pipe";
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    Words expected;
    std::string bytes;
    for (int i = 0; i < 40000; ++i) {
        const std::string word = std::to_string(i) + "w";
        bytes += word + "\r\n";
        expected.push_back(decodeUtf8(word));
    }
    std::sort(expected.begin(), expected.end());
    std::thread writer([&] { std::ofstream(path, std::ios::binary) << bytes; });
    const auto dictionary = loadDictionary(path);
    writer.join();
    std::filesystem::remove(path);
    EXPECT_EQ(wordsOf(*dictionary), expected);
}

TEST(DictionaryLoader, LoadsAnEmptyFile) {
    tests::TempFile file("");
    const auto dictionary = loadDictionary(file.path());
    EXPECT_EQ(dictionary->words().size(), 0u);
    for (int k = 1; k <= 26; ++k) {
        EXPECT_EQ(dictionary->letterIndex().entry(k), 0);
    }
}

TEST(DictionaryLoader, ReadingAgainAddsNothing) {
    tests::TempFile file("ab\r\ncd\r\n");
    DictionaryLoader loader(file.path());
    loader.open();
    loader.readItems();
    EXPECT_TRUE(loader.atEnd());
    loader.readItems();
    loader.close();
    loader.sort();
    loader.buildIndex();
    EXPECT_EQ(wordsOf(*loader.dictionary()), (Words{u"ab", u"cd"}));
}

TEST(DictionaryLoader, KeepsTheIndexFilledBeforeATwentySeventhInitial) {
    std::string bytes = "Ab\r\n";
    for (char initial = 'a'; initial <= 'z'; ++initial) {
        bytes += std::string(2, initial) + "\r\n";
    }
    tests::TempFile file(bytes);
    DictionaryLoader loader(file.path());
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    EXPECT_THROW(loader.buildIndex(), TooManyInitialGroups);
    const auto dictionary = loader.dictionary();
    EXPECT_EQ(dictionary->words().size(), 27u);
    // "Ab" opens the second group, so "yy" opens the 27th, which has no entry.
    EXPECT_EQ(dictionary->letterIndex().entry(2), 0);
    EXPECT_EQ(dictionary->letterIndex().entry(3), 1);
    EXPECT_EQ(dictionary->letterIndex().entry(26), 24);
}

TEST(DictionaryLoader, IndexesTheBundledWordList) {
    const auto dictionary = loadDictionary(WORDLOOM_TEST_DATA_DIR "/../../data/words.dic");
    const WordList& words = dictionary->words();
    ASSERT_EQ(words.size(), 247007u);
    EXPECT_TRUE(std::is_sorted(words.views().begin(), words.views().end()));
    for (int k = 1; k <= 26; ++k) {
        const auto position = static_cast<std::size_t>(dictionary->letterIndex().entry(k));
        const auto letter = static_cast<char16_t>(u'a' + k - 1);
        EXPECT_EQ(words[position].front(), letter);
        if (position > 0) {
            EXPECT_NE(words[position - 1].front(), letter);
        }
    }
}

// The window shows the failure's message as its report, so running out of memory must arrive as
// a sentence naming the file, and the later phases must still work on the (empty) list. The file
// is sparse, and its load could never fit in this machine's memory.
TEST(DictionaryLoader, ReportsADictionaryTooLargeForMemoryByName) {
    tests::TempFile file("");
    const auto memory = static_cast<std::uintmax_t>(sysconf(_SC_PHYS_PAGES)) *
                        static_cast<std::uintmax_t>(sysconf(_SC_PAGE_SIZE));
    std::filesystem::resize_file(file.path(), memory / 2);
    DictionaryLoader loader(file.path());
    loader.open();
    try {
        loader.readItems();
        ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Not enough memory to read the dictionary '" + file.path() + "'.");
    }
    loader.close();
    loader.sort();
    loader.buildIndex();
    EXPECT_EQ(loader.dictionary()->words().size(), 0u);
}

TEST(DictionaryLoader, TellsUtf16TextFromUtf8) {
    const std::pair<std::string_view, bool> cases[] = {
        {std::string_view("\xFF\xFEt\0e\0a\0", 8), true},
        {std::string_view("\xFE\xFF\0t\0e\0a", 8), true},
        {std::string_view("t\0e\0a\0\r\0\n\0", 10), true},
        // Greek and Cyrillic have no NUL byte in UTF-16: the byte-order mark alone tells.
        {"\xFF\xFE\xB1\x03\xB2\x03\n\x00", true},
        {"\xFE\xFF\x04\x34\x04\x30", true},
        {"\xEF\xBB\xBFtea\r\n\xC3\xA9t\xC3\xA9", false},
        {"", false},
        {"\xFF", false},
        // One NUL byte in UTF-8 text is not UTF-16.
        {std::string_view("tea\neat\na\0te\n", 13), false},
    };
    for (const auto& [bytes, utf16] : cases) {
        tests::TempFile file(bytes);
        DictionaryLoader loader(file.path());
        loader.open();
        loader.readItems();
        EXPECT_EQ(loader.textLooksLikeUtf16(), utf16) << testing::PrintToString(bytes);
    }
}

TEST(DictionaryLoader, FindsTheLineOfANulByteInText) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {std::string_view("tea\r\neat\r\na\0te\r\nta\0\r\n", 21), 3},
        {std::string_view("\0tea", 4), 1},
        {"tea\neat\n", 0},
        {std::string_view("t\0e\0a\0", 6), 0},  // UTF-16 instead
    };
    for (const auto& [bytes, line] : cases) {
        tests::TempFile file(bytes);
        DictionaryLoader loader(file.path());
        loader.open();
        loader.readItems();
        EXPECT_EQ(loader.nulByteLine(), line) << testing::PrintToString(bytes);
    }
}

// The up-front check counts the words too: short words cost a view each beyond their bytes.
TEST(DictionaryLoader, RefusesUpFrontAFileOfTooManyWordsForTheMemory) {
    std::string bytes;
    for (int i = 0; i < 400000; ++i) {
        bytes += "ab\n";
    }
    tests::TempFile file(bytes);
    constexpr std::uint64_t kMiB = 1 << 20;
    // 4 MiB holds the 1.2 MB of bytes three times over, but not a view per word as well.
    for (const std::uint64_t memory : {4 * kMiB, 64 * kMiB}) {
        DictionaryLoader loader(file.path(), memory);
        loader.open();
        if (memory == 4 * kMiB) {
            EXPECT_THROW(loader.readItems(), std::runtime_error);
            EXPECT_EQ(loader.dictionary()->words().size(), 0u);
        } else {
            loader.readItems();
            EXPECT_EQ(loader.dictionary()->words().size(), 400000u);
        }
    }
}

}  // namespace
}  // namespace wordloom::engine
