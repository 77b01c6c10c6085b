#include "output/text_export.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/text.h"
#include "frame/reporting_operation.h"
#include "output/aligned_text.h"
#include "output/column_widths.h"
#include "output/replacing_file.h"
#include "output/rows/row_writers.h"
#include "output/rows/word_bytes.h"
#include "output/write_behind.h"

namespace wordloom::output {

namespace {

// Text is gathered and encoded in chunks of about this many code units (bytes for the rows of
// dictionary words), so that a long list costs a few large writes rather than one per row.
constexpr std::size_t kChunkUnits = std::size_t{1} << 16;
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// Rows of dictionary words are written in blocks of this many, with the window's yield once per
// block instead of once per row and cell: the pump reads a clock on every call, which would cost
// more than the row itself, and a block takes a few microseconds.
constexpr int kRowsPerYield = 256;

// Result text is nearly always ASCII, which needs no encoding: it is narrowed unit by unit, a
// good deal faster than the general encoder on the tens of megabytes a long list produces.
std::string utf8Of(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    return engine::encodeUtf8(text);
}

// The width of a column of dictionary words: its header's and its longest cell's, ticked or not.
// Yields once per block of rows.
std::size_t wordColumnWidth(const platform::WordRows& table, const rows::WordBytes& words,
                            std::u16string_view header, const std::function<void()>& yield) {
    std::size_t width = header.size();
    const std::size_t rows = table.rows.size();
    for (std::size_t from = 0; from < rows; from += kRowsPerYield) {
        yield();
        const std::size_t to = std::min(rows, from + kRowsPerYield);
        for (std::size_t r = from; r < to; ++r) {
            const std::uint32_t ref = table.rows[r].ref;
            width = std::max(width, (ref & platform::WordRows::TextRef) != 0
                                        ? table.texts[ref & ~platform::WordRows::TextRef].size()
                                        : words.units(ref));
        }
    }
    return width;
}

// Flushing a long file to the disk can take longer than the window may go without repainting:
// the commit runs on a thread of its own while this one yields every few milliseconds. Without
// a thread to spare it runs here. A file written in place is committed here at once: the window
// must not close in the middle of it. Throws what the commit throws.
void commitWhileYielding(ReplacingFile& file, const std::function<void()>& yield) {
    if (file.writesInPlace()) {
        file.commit();
        return;
    }
    std::future<void> commit;
    try {
        commit = std::async(std::launch::async, [&file] { file.commit(); });
    } catch (const std::system_error&) {
        file.commit();
        return;
    }
    while (commit.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        yield();
    }
    commit.get();
}

std::u16string decimal(int number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

// One export of the ticked rows: the state its numbered steps share, and the steps grouped as
// the export runs them. Each group reports its own failures under the operation's path.
class TextExport {
public:
    TextExport(const platform::ListView& list, std::u16string_view fileName,
               platform::ProgressDisplay* progress, platform::MessageBox& messages,
               platform::EventPump& events)
        : m_list(list),
          m_fileName(fileName),
          m_progress(progress),
          m_events(events),
          m_op{messages, u"Main.SaveListviewProperlySpaced"},
          m_writingText(u"Writing file: " + engine::FileNamePart(fileName)) {
        m_chunk.reserve(kChunkUnits * 2);
    }

    void progressGroup(std::int32_t first, double value);
    void takeTableAndWidths();
    void openFile();
    bool fileOpen() const { return m_file.has_value(); }
    void writeHeader();
    void writeRows() { m_wordRows != nullptr ? writeWordRows() : writeCellRows(); }
    void showDone();
    bool commitFile();
    void resetProgress();

private:
    void yieldAt(std::int32_t step) {
        m_op.step(step, [&] { m_events.processEvents(); });
    }
    void writeWordRows();
    void writeCellRows();
    void flush();
    void writeAt(std::int32_t step);
    void setRowProgress(int j, int rowCount);

    const platform::ListView& m_list;
    std::u16string_view m_fileName;
    platform::ProgressDisplay* m_progress;
    platform::EventPump& m_events;
    frame::ReportingOperation m_op;
    const std::u16string m_writingText;

    std::shared_ptr<const platform::TableSnapshot> m_table =
        std::make_shared<const platform::TableData>();
    // The table as one column of dictionary words, when it is one: written from prepared bytes.
    const platform::WordRows* m_wordRows = nullptr;
    std::shared_ptr<const rows::WordBytes> m_wordBytes;
    std::vector<std::size_t> m_widths;

    std::optional<ReplacingFile> m_file;
    std::optional<WriteBehind> m_writer;  // exactly while m_file is open
    std::u16string m_chunk;
    rows::ByteBuffer m_bytes;
};

// The progress groups before the rows: yield, value, text, yield.
void TextExport::progressGroup(std::int32_t first, double value) {
    if (m_progress == nullptr) {
        return;
    }
    yieldAt(first + 2);
    m_op.step(first + 4, [&] { m_progress->setValue(value); });
    m_op.step(first + 6, [&] { m_progress->setText(m_writingText); });
    yieldAt(first + 8);
}

// Steps 110 to 118: the rows as they are now, and the width of each column.
void TextExport::takeTableAndWidths() {
    m_op.step(110, [&] {
        m_table = m_list.snapshot();
        m_wordRows = m_table->wordRows();
    });
    m_op.step(112, [&] {
        if (m_wordRows != nullptr) {
            try {
                m_wordBytes = rows::preparedWordBytes(m_wordRows->dictionary);
            } catch (const std::bad_alloc&) {
                m_wordRows = nullptr;  // no room for the prepared bytes: cell by cell then
            }
        }
        if (m_wordRows != nullptr) {
            m_widths = {wordColumnWidth(*m_wordRows, *m_wordBytes, m_table->header(1),
                                        [&] { yieldAt(118); })};
        } else {
            m_widths = measureColumnWidths(*m_table, HeaderWidths::Counted, [&] { yieldAt(118); });
        }
    });
    if (m_widths.size() != 1) {
        m_wordRows = nullptr;  // the rows are written cell by cell
    }
}

void TextExport::openFile() {
    m_op.step(156, [&] {
        m_file.emplace(engine::encodeUtf8(m_fileName));
        m_writer.emplace(*m_file);
    });
}

// Steps 160 to 182: the header line, written, and the progress before the rows.
void TextExport::writeHeader() {
    m_op.step(162,
              [&] { appendAlignedHeaderLine(m_chunk, *m_table, m_widths, [&] { yieldAt(160); }); });
    writeAt(170);
    progressGroup(172, 20);
}

void TextExport::flush() {
    if (!m_chunk.empty()) {
        m_bytes.append(utf8Of(m_chunk));
        m_chunk.clear();
    }
    m_writer->write(m_bytes);
}

// After a failed write the user has been told once; the rest is dropped.
void TextExport::writeAt(std::int32_t step) {
    m_op.step(step, [&] {
        m_writer->check();
        if (m_writer->failed()) {
            m_chunk.clear();
            m_bytes.clear();
        } else if (m_chunk.size() >= kChunkUnits || m_bytes.size() >= kChunkBytes) {
            flush();
        }
    });
}

// From 2000 rows on the progress value runs slightly ahead, ending up to about 0.05 above 100.
void TextExport::setRowProgress(int j, int rowCount) {
    m_op.step(206, [&] {
        // NOLINTNEXTLINE(bugprone-integer-division): the lead counts whole rows per 2000
        m_progress->setValue(static_cast<double>(rowCount / 2000 + j) / rowCount * 100);
    });
    if (j % 1000 == 0) {
        m_op.step(210, [&] { m_progress->setText(m_writingText + u" (" + decimal(j) + u")"); });
    }
}

// Steps 186 to 222 for the rows of dictionary words: each ticked row is a copy of its word's
// prepared bytes and the padding, with the window's turn once per block of rows.
void TextExport::writeWordRows() {
    m_bytes.append(utf8Of(m_chunk));  // the header line goes first
    m_chunk.clear();
    const int rowCount = m_table->rowCount();
    const std::size_t width = m_widths.front();
    const rows::WordBytes& words = *m_wordBytes;
    const std::size_t rowLimit = words.longest() + width + 3;
    for (std::int64_t from = 1; from <= rowCount; from += kRowsPerYield) {
        const auto to =
            static_cast<int>(std::min<std::int64_t>(rowCount, from + kRowsPerYield - 1));
        yieldAt(186);
        for (auto j = static_cast<int>(from); j <= to; ++j) {
            const auto ahead = static_cast<std::size_t>(j - 1) + rows::kPrefetchRows;
            if (ahead < m_wordRows->rows.size() &&
                (m_wordRows->rows[ahead].ref & platform::WordRows::TextRef) == 0) {
                rows::prefetchSlot(words, m_wordRows->rows[ahead].ref);
            }
            const platform::WordRows::Row row = m_wordRows->rows[static_cast<std::size_t>(j - 1)];
            if (!row.checked) {
                continue;
            }
            m_op.step(196, [&] {
                if ((row.ref & platform::WordRows::TextRef) != 0) {
                    appendPaddedCell(
                        m_chunk, m_wordRows->texts[row.ref & ~platform::WordRows::TextRef], width);
                    m_chunk += u"\r\n";
                    m_bytes.append(utf8Of(m_chunk));
                    m_chunk.clear();
                } else {
                    m_bytes.commit(
                        rows::writeAlignedLine(m_bytes.room(rowLimit), words, row.ref, width));
                }
            });
            if (m_progress != nullptr) {
                setRowProgress(j, rowCount);
            }
        }
        writeAt(222);
    }
}

// Steps 186 to 222 for any other table: row by row and cell by cell.
void TextExport::writeCellRows() {
    const int rowCount = m_table->rowCount();
    for (int j = 1; j <= rowCount; ++j) {
        yieldAt(186);
        if (!m_table->isChecked(j)) {
            continue;
        }
        m_op.step(196, [&] {
            appendAlignedRowLine(m_chunk, *m_table, j, m_widths, [&] { yieldAt(194); });
        });
        if (m_progress != nullptr) {
            yieldAt(204);
            setRowProgress(j, rowCount);
            yieldAt(212);
        }
        writeAt(222);
    }
}

void TextExport::showDone() {
    if (m_progress != nullptr) {
        m_op.step(228, [&] { m_progress->setValue(100); });
        m_op.step(230, [&] { m_progress->setText(u"Done."); });
    }
}

// Steps 232 and 234: the last bytes written, the file put in place; an unfinished temporary
// file is dropped. Returns whether the file was saved.
bool TextExport::commitFile() {
    bool saved = false;
    m_op.step(232, [&] {
        if (m_file && !m_writer->failed()) {
            flush();
            m_writer->finish();
            commitWhileYielding(*m_file, [&] { yieldAt(232); });
            saved = true;
        }
    });
    m_op.step(234, [&] {
        m_writer.reset();
        m_file.reset();
    });
    return saved;
}

void TextExport::resetProgress() {
    if (m_progress != nullptr) {
        m_op.step(240, [&] { m_progress->setValue(0); });
        m_op.step(242, [&] { m_progress->setText(u"Progress Bar"); });
    }
}

}  // namespace

bool SaveListviewProperlySpaced(const platform::ListView& list, std::u16string_view fileName,
                                platform::ProgressDisplay* progress, platform::MessageBox& messages,
                                platform::EventPump& events) {
    TextExport run(list, fileName, progress, messages, events);
    run.progressGroup(100, 1);
    run.takeTableAndWidths();
    run.progressGroup(142, 10);
    run.openFile();
    // A file that could not be created gets neither a header nor rows.
    if (run.fileOpen()) {
        run.writeHeader();
        run.writeRows();
    }
    run.showDone();
    const bool saved = run.commitFile();
    run.resetProgress();
    return saved;
}

}  // namespace wordloom::output
