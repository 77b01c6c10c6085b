#include "cli/output_format.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "cli/batch_runner.h"
#include "engine/letters/keyed_search.h"
#include "engine/text.h"
#include "engine/words/run_core.h"

namespace wordloom::cli {
namespace {

engine::WordList wordsOf(std::initializer_list<std::u16string_view> words) {
    engine::WordList list;
    for (std::u16string_view word : words) {
        list.append(word);
    }
    list.seal();
    return list;
}

TEST(OutputFormatter, PadsAlignedCellsByUtf16CodeUnitsNotBytes) {
    // "été" is 3 code units in 5 bytes; the clef is one character in 2 code units.
    const engine::WordList words = wordsOf({u"été", u"a\U0001D11E"});
    const OutputFormatter formatter(OutputFormat::Aligned, engine::LengthMask::range(2, 8));
    std::string out;
    formatter.appendHeader(out);
    formatter.appendRows(out, u"ét?a?", words, {0, 1});
    const std::string padding(15, ' ');
    EXPECT_EQ(out, "Unscramble Letters\t\r\n" + ("\xC3\xA9t\xC3\xA9" + padding + "\t\r\n") +
                       ("a\xF0\x9D\x84\x9E" + padding + "\t\r\n"));
}

// Words around the 14 bytes a prepared slot holds, non-ASCII ones, a surrogate pair, and one
// wider than the aligned column.
constexpr std::u16string_view kMixedWords[] = {u"act",
                                               u"cat",
                                               u"n\u00e9e",
                                               u"a\U0001D11E",
                                               u"abcdefghijklmn",
                                               u"abcdefghijklmno",
                                               u"abcdefghijklm\u00e9",
                                               u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",
                                               u"incomprehensibilities"};

// The rows as a plain reading of the formats: each word encoded on its own, the aligned column
// 18 code units wide (the header's width, wider than any length from 2 to 8).
std::string referenceRows(OutputFormat format, std::u16string_view letterSet,
                          const engine::WordList& words, const std::vector<std::uint32_t>& found) {
    std::string text;
    for (const std::uint32_t position : found) {
        const std::u16string_view word = words[position];
        if (format == OutputFormat::Tsv) {
            text += engine::encodeUtf8(letterSet) + "\t";
        }
        text += engine::encodeUtf8(word);
        if (format == OutputFormat::Aligned) {
            text.append(word.size() < 18 ? 18 - word.size() : 0, ' ');
            text += "\t\r";
        }
        text += "\n";
    }
    return text;
}

TEST(OutputFormatter, WritesTheRowsOfEachFormatFromPreparedBytes) {
    engine::WordList words;
    for (std::u16string_view word : kMixedWords) {
        words.append(word);
    }
    words.seal();
    const rows::WordBytes prepared(words);
    std::vector<std::uint32_t> all;
    for (std::uint32_t p = 0; p < words.size(); ++p) {
        all.push_back(p);
    }
    for (const OutputFormat format :
         {OutputFormat::Words, OutputFormat::Tsv, OutputFormat::Aligned}) {
        const OutputFormatter formatter(format, engine::LengthMask::range(2, 8));
        rows::ByteBuffer fromPrepared;
        formatter.appendRows(fromPrepared, u"l\u00e9tters?", prepared, all);
        EXPECT_EQ(fromPrepared.view(), referenceRows(format, u"l\u00e9tters?", words, all))
            << static_cast<int>(format);
    }
    // A word wider than the column is written whole and unpadded.
    const OutputFormatter aligned(OutputFormat::Aligned, engine::LengthMask::range(2, 8));
    rows::ByteBuffer last;
    aligned.appendRows(last, u"x", prepared, {static_cast<std::uint32_t>(words.size() - 1)});
    EXPECT_EQ(last.view(), "incomprehensibilities\t\r\n");
}

// With one thread and with two, a run writes the rows of its letter sets in order, as the
// reference reading of the format gives them.
TEST(BatchRunner, WritesTheRowsOfEveryLetterSetInOrder) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("wordloom-batch-runner-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream file(folder / "words.dic", std::ios::binary);
        for (std::u16string_view word : kMixedWords) {
            file << engine::encodeUtf8(word) << "\n";
        }
        for (const char* word : {"tea", "eat", "ate", "teas", "seat", "east", "at", "ta"}) {
            file << word << "\n";
        }
    }
    const auto dictionary = engine::loadDictionary((folder / "words.dic").string());
    const engine::KeyedSearch search(dictionary->words(), engine::Accents::Kept);
    std::vector<std::u16string> sets;
    for (int i = 0; i < 40; ++i) {
        sets.emplace_back(i % 3 == 0 ? u"taes?" : i % 3 == 1 ? u"ACT??" : u"n\u00e9e?????????????");
    }
    const engine::LengthMask lengths = engine::LengthMask::range(2, 8);
    const OutputFormatter formatter(OutputFormat::Tsv, lengths);
    std::string expected;
    for (const std::u16string& set : sets) {
        std::vector<std::uint32_t> found;
        search.find(set, lengths, found);
        expected += referenceRows(OutputFormat::Tsv, set, dictionary->words(), found);
    }
    ASSERT_GT(expected.size(), 0u);
    for (const unsigned jobs : {1u, 2u}) {
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        {
            BatchRunner runner(*dictionary, search, formatter, lengths, jobs, out);
            for (const std::u16string& set : sets) {
                runner.add(set);
            }
            runner.finish();
        }
        std::rewind(out);
        std::string written;
        char block[4096];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, out)) > 0;) {
            written.append(block, got);
        }
        std::fclose(out);
        EXPECT_EQ(written, expected) << jobs << " jobs";
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace wordloom::cli
