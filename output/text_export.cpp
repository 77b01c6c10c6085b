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
#include "output/row_bytes.h"
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

// How far ahead the word of a row is asked for while the rows before it are written.
constexpr std::size_t kPrefetchRows = 16;

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
std::size_t wordColumnWidth(const platform::WordRows& table, const WordBytes& words,
                            std::u16string_view header, const std::function<void()>& yield) {
    std::size_t width = header.size();
    const std::size_t rows = table.rows.size();
    for (std::size_t from = 0; from < rows; from += kRowsPerYield) {
        yield();
        const std::size_t to = std::min(rows, from + kRowsPerYield);
        for (std::size_t r = from; r < to; ++r) {
            if (r + kPrefetchRows < rows) {
                const std::uint32_t ahead = table.rows[r + kPrefetchRows].ref;
                if ((ahead & platform::WordRows::TextRef) == 0) {
                    __builtin_prefetch(&words.slot(ahead));
                }
            }
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

}  // namespace

bool SaveListviewProperlySpaced(const platform::ListView& list, std::u16string_view fileName,
                                platform::ProgressDisplay* progress, platform::MessageBox& messages,
                                platform::EventPump& events) {
    frame::ReportingOperation op{messages, u"Main.SaveListviewProperlySpaced"};
    const auto yieldAt = [&](std::int32_t step) { op.step(step, [&] { events.processEvents(); }); };
    const std::u16string writingText = u"Writing file: " + engine::FileNamePart(fileName);
    // The three progress groups before the rows: yield, value, text, yield.
    const auto progressGroup = [&](std::int32_t first, double value) {
        if (progress == nullptr) {
            return;
        }
        yieldAt(first + 2);
        op.step(first + 4, [&] { progress->setValue(value); });
        op.step(first + 6, [&] { progress->setText(writingText); });
        yieldAt(first + 8);
    };

    progressGroup(100, 1);

    std::shared_ptr<const platform::TableSnapshot> table =
        std::make_shared<const platform::TableData>();
    const platform::WordRows* wordRows = nullptr;
    op.step(110, [&] {
        table = list.snapshot();
        wordRows = table->wordRows();
    });
    std::vector<std::size_t> widths;
    std::shared_ptr<const WordBytes> wordBytes;
    op.step(112, [&] {
        if (wordRows != nullptr) {
            try {
                wordBytes = preparedWordBytes(wordRows->dictionary);
            } catch (const std::bad_alloc&) {
                wordRows = nullptr;  // no room for the prepared bytes: cell by cell then
            }
        }
        if (wordRows != nullptr) {
            widths = {
                wordColumnWidth(*wordRows, *wordBytes, table->header(1), [&] { yieldAt(118); })};
        } else {
            widths = measureColumnWidths(*table, HeaderWidths::Counted, [&] { yieldAt(118); });
        }
    });
    const bool byWords = wordRows != nullptr && widths.size() == 1;

    progressGroup(142, 10);

    std::optional<ReplacingFile> file;
    std::optional<WriteBehind> writer;  // exactly while `file` is open
    op.step(156, [&] {
        file.emplace(engine::encodeUtf8(fileName));
        writer.emplace(*file);
    });

    std::u16string chunk;
    chunk.reserve(kChunkUnits * 2);
    ByteBuffer bytes;
    const auto flush = [&] {
        if (!chunk.empty()) {
            bytes.append(utf8Of(chunk));
            chunk.clear();
        }
        writer->write(bytes);
    };
    // After a failed write the user has been told once; the rest is dropped.
    const auto writeAt = [&](std::int32_t step) {
        op.step(step, [&] {
            writer->check();
            if (writer->failed()) {
                chunk.clear();
                bytes.clear();
            } else if (chunk.size() >= kChunkUnits || bytes.size() >= kChunkBytes) {
                flush();
            }
        });
    };
    const auto setRowProgress = [&](int j, int rows) {
        op.step(206,
                [&] { progress->setValue(static_cast<double>(rows / 2000 + j) / rows * 100); });
        if (j % 1000 == 0) {
            op.step(210, [&] { progress->setText(writingText + u" (" + decimal(j) + u")"); });
        }
    };

    // A file that could not be created gets neither a header nor rows.
    if (file) {
        op.step(162,
                [&] { appendAlignedHeaderLine(chunk, *table, widths, [&] { yieldAt(160); }); });
        writeAt(170);

        progressGroup(172, 20);

        const int rows = table->rowCount();
        if (byWords) {
            // The rows of dictionary words: each ticked row is a copy of its word's prepared
            // bytes and the padding. From 2000 rows on the progress value runs slightly ahead,
            // ending up to about 0.05 above 100.
            bytes.append(utf8Of(chunk));  // the header line goes first
            chunk.clear();
            const std::size_t width = widths.front();
            const WordBytes& words = *wordBytes;
            const std::size_t rowLimit = words.longest() + width + 3;
            for (std::int64_t from = 1; from <= rows; from += kRowsPerYield) {
                const auto to =
                    static_cast<int>(std::min<std::int64_t>(rows, from + kRowsPerYield - 1));
                yieldAt(186);
                for (auto j = static_cast<int>(from); j <= to; ++j) {
                    // The words of a long list lie far apart: ask for one a few rows ahead.
                    if (static_cast<std::size_t>(j) + kPrefetchRows <= wordRows->rows.size()) {
                        const std::uint32_t ahead =
                            wordRows->rows[static_cast<std::size_t>(j) + kPrefetchRows - 1].ref;
                        if ((ahead & platform::WordRows::TextRef) == 0) {
                            __builtin_prefetch(&words.slot(ahead));
                        }
                    }
                    const platform::WordRows::Row row =
                        wordRows->rows[static_cast<std::size_t>(j - 1)];
                    if (!row.checked) {
                        continue;
                    }
                    op.step(196, [&] {
                        if ((row.ref & platform::WordRows::TextRef) != 0) {
                            appendPaddedCell(
                                chunk, wordRows->texts[row.ref & ~platform::WordRows::TextRef],
                                width);
                            chunk += u"\r\n";
                            bytes.append(utf8Of(chunk));
                            chunk.clear();
                        } else {
                            bytes.commit(
                                writeAlignedLine(bytes.room(rowLimit), words, row.ref, width));
                        }
                    });
                    if (progress != nullptr) {
                        setRowProgress(j, rows);
                    }
                }
                writeAt(222);
            }
        } else {
            for (int j = 1; j <= rows; ++j) {
                yieldAt(186);
                if (!table->isChecked(j)) {
                    continue;
                }
                op.step(196, [&] {
                    appendAlignedRowLine(chunk, *table, j, widths, [&] { yieldAt(194); });
                });
                if (progress != nullptr) {
                    yieldAt(204);
                    setRowProgress(j, rows);
                    yieldAt(212);
                }
                writeAt(222);
            }
        }
    }

    if (progress != nullptr) {
        op.step(228, [&] { progress->setValue(100); });
        op.step(230, [&] { progress->setText(u"Done."); });
    }

    bool saved = false;
    op.step(232, [&] {
        if (file && !writer->failed()) {
            flush();
            writer->finish();
            commitWhileYielding(*file, [&] { yieldAt(232); });
            saved = true;
        }
    });
    op.step(234, [&] {
        writer.reset();
        file.reset();  // drops an unfinished temporary file
    });

    if (progress != nullptr) {
        op.step(240, [&] { progress->setValue(0); });
        op.step(242, [&] { progress->setText(u"Progress Bar"); });
    }
    return saved;
}

}  // namespace wordloom::output
