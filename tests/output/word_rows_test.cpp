// The output commands' path for rows of dictionary words (prepared bytes, one yield per block of
// rows) against the cell-by-cell path on the same table: the same bytes, the same progress.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/dictionary.h"
#include "engine/text.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_list_view.h"
#include "file_helpers.h"
#include "output/clipboard_text.h"
#include "output/rows/ascii_blocks.h"
#include "output/rows/row_writers.h"
#include "output/rows/word_bytes.h"
#include "output/text_export.h"

namespace {

using wordloom::platform::TableData;
using wordloom::platform::TableSnapshot;
using wordloom::platform::WordRows;

// Words around the 14 bytes a slot holds, non-ASCII ones among them, a surrogate pair, and one
// longer than the header.
const std::vector<std::u16string> kWords = {
    u"act",
    u"cat",
    u"n\u00e9e",
    u"a\U0001D11E",
    u"abcdefghijklmn",                                    // 14 bytes: the longest in a slot
    u"abcdefghijklmno",                                   // 15 bytes: kept apart
    u"abcdefghijkl\u00e9",                                // 13 units, 14 bytes
    u"abcdefghijklm\u00e9",                               // 14 units, 15 bytes
    u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",  // 8 units, 16 bytes
    u"incomprehensibilities",                             // 21 units: wider than the header
};

std::shared_ptr<const wordloom::engine::Dictionary> loadWords(const fakes::TempFolder& folder) {
    const auto path = folder.path() / "words.dic";
    std::ofstream file(path, std::ios::binary);
    for (const std::u16string& word : kWords) {
        file << wordloom::engine::encodeUtf8(word) << "\r\n";
    }
    file.close();
    return wordloom::engine::loadDictionary(path.string());
}

// The result list's snapshot: rows naming dictionary words or kept texts.
class WordRowsSnapshot final : public TableSnapshot {
public:
    WordRowsSnapshot(std::shared_ptr<const wordloom::engine::Dictionary> dictionary,
                     std::vector<WordRows::Row> rows, std::vector<std::u16string> texts)
        : m_rows(std::move(rows)), m_texts(std::move(texts)) {
        m_wordRows.dictionary = std::move(dictionary);
        m_wordRows.rows = m_rows;
        m_wordRows.texts = m_texts;
    }

    int columnCount() const override { return 1; }
    std::u16string_view header(int) const override { return u"Unscramble Letters"; }
    int rowCount() const override { return static_cast<int>(m_rows.size()); }
    std::u16string_view cell(int row, int column) const override {
        if (column != 1) {
            return {};
        }
        const std::uint32_t ref = m_rows.at(static_cast<std::size_t>(row - 1)).ref;
        return (ref & WordRows::TextRef) != 0
                   ? std::u16string_view(m_texts.at(ref & ~WordRows::TextRef))
                   : m_wordRows.dictionary->words()[ref];
    }
    bool isChecked(int row) const override {
        return m_rows.at(static_cast<std::size_t>(row - 1)).checked;
    }
    const WordRows* wordRows() const override { return &m_wordRows; }

    // The same table as plain cells, which the output commands read cell by cell.
    std::shared_ptr<TableData> asCells() const {
        auto data = std::make_shared<TableData>();
        data->headers = {u"Unscramble Letters"};
        for (int r = 1; r <= rowCount(); ++r) {
            data->rows.push_back({{std::u16string(cell(r, 1))}, isChecked(r)});
        }
        return data;
    }

private:
    std::vector<WordRows::Row> m_rows;
    std::vector<std::u16string> m_texts;
    WordRows m_wordRows;
};

class SnapshotListView final : public fakes::FakeListView {
public:
    std::shared_ptr<const TableSnapshot> table;
    std::shared_ptr<const TableSnapshot> snapshot() const override { return table; }
};

// 2,600 rows over several blocks: every word and two texts (one ending in spaces), some rows
// unticked, the last ticked row past 2,000 so the long-list progress shows.
std::shared_ptr<WordRowsSnapshot> manyRows(
    const std::shared_ptr<const wordloom::engine::Dictionary>& dictionary) {
    std::vector<WordRows::Row> rows;
    const auto count = static_cast<std::uint32_t>(dictionary->words().size());
    for (std::uint32_t i = 0; i < 2600; ++i) {
        const std::uint32_t ref = i % 97 == 5 ? (WordRows::TextRef | (i % 2)) : i % count;
        rows.push_back({ref, i % 7 != 3});
    }
    return std::make_shared<WordRowsSnapshot>(
        dictionary, std::move(rows), std::vector<std::u16string>{u"typed  ", u"caf\u00e9"});
}

struct Export {
    std::string bytes;
    std::vector<double> values;
    std::vector<std::u16string> texts;
    std::size_t reports = 0;
};

Export exportOf(std::shared_ptr<const TableSnapshot> table, const fakes::TempFolder& folder) {
    SnapshotListView list;
    list.table = std::move(table);
    fakes::FakeProgressDisplay progress;
    fakes::FakeMessageBox messages;
    fakes::FakeEventPump events;
    EXPECT_TRUE(wordloom::output::SaveListviewProperlySpaced(list, nameIn(folder, "out.txt"),
                                                             &progress, messages, events));
    return {readBytes(folder.path() / "out.txt"), progress.values, progress.texts,
            messages.shownMessages.size()};
}

TEST(WordRows, PreparedBytesAndLengthsOfEveryWord) {
    fakes::TempFolder folder;
    const auto dictionary = loadWords(folder);
    const wordloom::engine::WordList& words = dictionary->words();
    ASSERT_EQ(words.size(), kWords.size());
    const wordloom::rows::WordBytes prepared(words);
    for (std::uint32_t p = 0; p < words.size(); ++p) {
        const std::string utf8 = wordloom::engine::encodeUtf8(words[p]);
        EXPECT_EQ(prepared[p], utf8) << p;
        EXPECT_EQ(prepared.units(p), words[p].size()) << p;
        // An aligned line written into a buffer full of other bytes: only the line's own.
        wordloom::rows::ByteBuffer buffer;
        char* at = buffer.room(64);
        std::fill(at, at + 64 + wordloom::rows::ByteBuffer::kSlack, '#');
        buffer.commit(wordloom::rows::writeAlignedLine(at, prepared, p, 18));
        const std::size_t padding = words[p].size() < 18 ? 18 - words[p].size() : 0;
        EXPECT_EQ(buffer.view(), utf8 + std::string(padding, ' ') + "\t\r\n") << p;
    }
}

// The portable loops, which other processors build instead of the SSE2 blocks, give the same
// answers and bytes: for every count up to 16, with a unit of 0x80 or above at each place (and
// 0x7F, 0xFF80 and 0xFFFF around the boundary).
TEST(AsciiBlocks, PortableLoopsAgreeWithTheFastOnes) {
    for (const char16_t odd : {u'\u0080', u'\u00FF', u'\u0100', u'\uFF80', u'\uFFFF', u'\u007F'}) {
        for (std::size_t place = 0; place <= 16; ++place) {
            char16_t units[16];
            for (std::size_t k = 0; k < 16; ++k) {
                units[k] = k == place ? odd : static_cast<char16_t>(u'a' + k);
            }
            for (std::size_t count = 0; count <= 16; ++count) {
                char fast[16] = {};
                char portable[16] = {};
                const bool fastAscii = wordloom::rows::narrowAsciiBlock(units, count, fast);
                const bool portableAscii =
                    wordloom::rows::portable::narrowAsciiBlock(units, count, portable);
                ASSERT_EQ(fastAscii, portableAscii) << place << " " << count;
                ASSERT_EQ(fastAscii, place >= count || odd < 0x80) << place << " " << count;
                if (fastAscii) {
                    ASSERT_EQ(std::string(fast, count), std::string(portable, count));
                }
            }
        }
    }
    const char bytes[16] = {'a', 'b', 'c', '\x7F', 'e', 'f', 'g', 'h',
                            'i', 'j', 'k', 'l',    'm', 'n', 'o', 'p'};
    char16_t fast[16];
    char16_t portable[16];
    wordloom::rows::widenBlock(bytes, fast);
    wordloom::rows::portable::widenBlock(bytes, portable);
    EXPECT_EQ(std::u16string(fast, 16), std::u16string(portable, 16));
    EXPECT_EQ(std::u16string(fast, 4), u"abc\u007F");
}

// The batch tool prepares only the lengths it lists, all at once: those words get the same bytes
// and lengths as when every word is prepared, and the longest word, which sizes the room rows
// are written into, is the longest among the lengths chosen.
class ChosenWordBytes : public ::testing::Test {
protected:
    void SetUp() override {
        const auto path = m_folder.path() / "words.dic";
        std::ofstream file(path, std::ios::binary);
        for (int copy = 0; copy < 200; ++copy) {
            for (const std::u16string& word : kWords) {
                file << wordloom::engine::encodeUtf8(word) << copy << "\n";
            }
        }
        file.close();
        m_dictionary = wordloom::engine::loadDictionary(path.string());
        m_all = std::make_unique<wordloom::rows::WordBytes>(words());
    }

    const wordloom::engine::WordList& words() const { return m_dictionary->words(); }
    static bool chosen(std::u16string_view word) { return ((kLengths >> word.size()) & 1u) != 0; }
    void expectSame(const wordloom::rows::WordBytes& some, std::uint32_t p) const {
        EXPECT_EQ(some[p], (*m_all)[p]) << p;
        EXPECT_EQ(some.units(p), m_all->units(p)) << p;
    }

    static constexpr std::uint32_t kLengths = 0x3F0;  // 4 to 9 code units
    fakes::TempFolder m_folder;
    std::shared_ptr<const wordloom::engine::Dictionary> m_dictionary;
    std::unique_ptr<wordloom::rows::WordBytes> m_all;
};

TEST_F(ChosenWordBytes, AllAtOnce) {
    wordloom::rows::WordBytes some(words(), kLengths, wordloom::rows::WordBytes::Later{});
    some.prepareAll();
    std::size_t longest = 0;
    int count = 0;
    for (std::uint32_t p = 0; p < words().size(); ++p) {
        if (chosen(words()[p])) {
            ++count;
            expectSame(some, p);
            longest = std::max(longest, (*m_all)[p].size());
        }
    }
    EXPECT_GT(count, 200);
    EXPECT_EQ(some.longest(), longest);
    EXPECT_LT(some.longest(), m_all->longest());
}

TEST(WordRows, TextExportWritesTheSameBytesAndProgressAsCellByCell) {
    fakes::TempFolder folder;
    const auto rows = manyRows(loadWords(folder));

    const Export byWords = exportOf(rows, folder);
    const Export byCells = exportOf(rows->asCells(), folder);

    EXPECT_EQ(byWords.bytes, byCells.bytes);
    EXPECT_EQ(byWords.values, byCells.values);
    EXPECT_EQ(byWords.texts, byCells.texts);
    EXPECT_EQ(byWords.reports, 0u);
    // The column is as wide as the longest word, unticked rows included.
    EXPECT_EQ(byWords.bytes.substr(0, 25), "Unscramble Letters   \t\r\n" + std::string(1, 'a'));
}

TEST(WordRows, ClipboardTextIsTheSameAsCellByCell) {
    fakes::TempFolder folder;
    const auto rows = manyRows(loadWords(folder));
    int yields = 0;
    const std::u16string byWords = wordloom::output::clipboardText(*rows, [&] { ++yields; });
    const std::u16string byCells = wordloom::output::clipboardText(*rows->asCells(), [] {});
    EXPECT_EQ(byWords, byCells);
    EXPECT_NE(byWords.find(u"\r\ntyped\r\n"), std::u16string::npos);  // its spaces trimmed
    EXPECT_GT(yields, 0);  // the window still gets its turns
}

TEST(WordRows, RowsWrittenWhileTheListChangesComeFromTheSnapshot) {
    fakes::TempFolder folder;
    const auto dictionary = loadWords(folder);
    const auto positionOf = [&](std::u16string_view word) {
        std::uint32_t p = 0;
        while (dictionary->words()[p] != word) {
            ++p;
        }
        return p;
    };
    const std::uint32_t cat = positionOf(u"cat");
    const std::uint32_t act = positionOf(u"act");
    auto rows = std::make_shared<WordRowsSnapshot>(
        dictionary, std::vector<WordRows::Row>{{cat, true}, {act, false}, {act, true}},
        std::vector<std::u16string>{});
    SnapshotListView list;
    list.table = rows;
    fakes::FakeMessageBox messages;
    fakes::FakeEventPump events;
    events.duringYield = [&](int) { list.table = std::make_shared<TableData>(); };

    EXPECT_TRUE(wordloom::output::SaveListviewProperlySpaced(list, nameIn(folder, "out.txt"),
                                                             nullptr, messages, events));

    const std::string padding(15, ' ');
    EXPECT_EQ(readBytes(folder.path() / "out.txt"),
              "Unscramble Letters\t\r\ncat" + padding + "\t\r\nact" + padding + "\t\r\n");
}

}  // namespace
