#include "output/text_export.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/text.h"
#include "frame/reporting_operation.h"
#include "output/aligned_text.h"
#include "output/column_widths.h"
#include "output/replacing_file.h"

namespace wordloom::output {

namespace {

// Text is gathered and encoded in chunks of about this many code units, so that a long list
// costs a few large writes rather than one per row.
constexpr std::size_t kChunkUnits = std::size_t{1} << 16;

// Result text is nearly always ASCII, which needs no encoding: it is narrowed unit by unit, a
// good deal faster than the general encoder on the tens of megabytes a long list produces.
std::string utf8Of(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    return engine::encodeUtf8(text);
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
    op.step(110, [&] { table = list.snapshot(); });
    std::vector<std::size_t> widths;
    op.step(112, [&] {
        widths = measureColumnWidths(*table, HeaderWidths::Counted, [&] { yieldAt(118); });
    });

    progressGroup(142, 10);

    std::optional<ReplacingFile> file;
    op.step(156, [&] { file.emplace(engine::encodeUtf8(fileName)); });

    std::u16string chunk;
    chunk.reserve(kChunkUnits * 2);
    const auto flush = [&] {
        file->write(utf8Of(chunk));
        chunk.clear();
    };
    // After a failed write the user has been told once; the rest is dropped.
    const auto writeAt = [&](std::int32_t step) {
        op.step(step, [&] {
            if (chunk.size() >= kChunkUnits && !file->failed()) {
                flush();
            }
        });
    };

    // A file that could not be created gets neither a header nor rows.
    if (file) {
        op.step(162,
                [&] { appendAlignedHeaderLine(chunk, *table, widths, [&] { yieldAt(160); }); });
        writeAt(170);

        progressGroup(172, 20);

        const int rows = table->rowCount();
        for (int j = 1; j <= rows; ++j) {
            yieldAt(186);
            if (!table->isChecked(j)) {
                continue;
            }
            op.step(196,
                    [&] { appendAlignedRowLine(chunk, *table, j, widths, [&] { yieldAt(194); }); });
            if (progress != nullptr) {
                yieldAt(204);
                // From 2000 rows on the value runs slightly ahead, ending up to about 0.05 above
                // 100.
                op.step(206, [&] {
                    progress->setValue(static_cast<double>(rows / 2000 + j) / rows * 100);
                });
                if (j % 1000 == 0) {
                    op.step(210,
                            [&] { progress->setText(writingText + u" (" + decimal(j) + u")"); });
                }
                yieldAt(212);
            }
            writeAt(222);
        }
    }

    if (progress != nullptr) {
        op.step(228, [&] { progress->setValue(100); });
        op.step(230, [&] { progress->setText(u"Done."); });
    }

    bool saved = false;
    op.step(232, [&] {
        if (file && !file->failed()) {
            flush();
            file->commit();
            saved = true;
        }
    });
    op.step(234, [&] { file.reset(); });  // drops an unfinished temporary file

    if (progress != nullptr) {
        op.step(240, [&] { progress->setValue(0); });
        op.step(242, [&] { progress->setText(u"Progress Bar"); });
    }
    return saved;
}

}  // namespace wordloom::output
