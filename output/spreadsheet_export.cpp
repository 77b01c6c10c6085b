#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "frame/reporting_operation.h"
#include "output/results_output.h"
#include "output/spreadsheet_export.h"

namespace wordloom::output {

namespace {

// A spreadsheet would evaluate a value starting with "=" as a formula.
std::u16string withoutEqualsSigns(std::u16string_view text) {
    std::u16string cleaned(text);
    std::erase(cleaned, u'=');
    return cleaned;
}

}  // namespace

bool ResultsOutput::SaveResultsAsExcelFileIsExcelInstalled() {
    bool available = false;
    try {
        available = m_controls.spreadsheets.isAvailable();
    } catch (...) {
        // A test that cannot even ask counts as no spreadsheet application.
    }
    if (!available) {
        try {
            m_controls.messages.show(kNotInstalledForSoftware, platform::MessageOk);
        } catch (...) {
            // Nothing is reported from here.
        }
    }
    return available;
}

namespace {

// Steps 112 and 114: the spreadsheet started and given a workbook. Without a workbook every later
// call would fail as well: false then, and the failure has been reported once.
bool startWorkbook(frame::ReportingOperation& op, platform::SpreadsheetService& spreadsheets,
                   std::unique_ptr<platform::Spreadsheet>& sheet) {
    op.step(112, [&] {
        sheet = spreadsheets.start();
        if (!sheet) {
            throw std::runtime_error("The spreadsheet application could not be started.");
        }
    });
    bool workbook = false;
    if (sheet) {
        op.step(114, [&] {
            sheet->addWorkbook();
            workbook = true;
        });
    }
    return workbook;
}

// Steps 120 to 132: headers of columns whose first list row is empty are left out; the cursor
// closes the gaps.
void writeHeaders(frame::ReportingOperation& op, platform::EventPump& events,
                  const platform::TableSnapshot& table, platform::Spreadsheet& sheet) {
    int headerColumn = 1;
    const int columns = table.columnCount();
    for (int k = 1; k <= columns; ++k) {
        op.step(120, [&] { events.processEvents(); });
        if (!table.cell(1, k).empty()) {
            op.step(k == 1 ? 126 : 132, [&] { sheet.setCell(1, headerColumn, table.header(k)); });
            ++headerColumn;
        }
    }
}

// Steps 142 to 162: list row r goes to sheet row r + 1, ticked or not, so unticked rows stay
// empty; empty values are skipped without leaving gaps.
void writeRows(frame::ReportingOperation& op, platform::EventPump& events,
               const platform::TableSnapshot& table, platform::Spreadsheet& sheet) {
    const int rows = table.rowCount();
    const int columns = table.columnCount();
    for (int r = 1; r <= rows; ++r) {
        op.step(142, [&] { events.processEvents(); });
        if (!table.isChecked(r)) {
            continue;
        }
        int dataColumn = 1;
        for (int k = 1; k <= columns; ++k) {
            op.step(150, [&] { events.processEvents(); });
            const std::u16string_view value = table.cell(r, k);
            if (value.empty()) {
                continue;
            }
            op.step(k == 1 ? 156 : 162, [&] {
                sheet.setCell(r + 1, dataColumn,
                              k == 1 ? std::u16string(value) : withoutEqualsSigns(value));
            });
            ++dataColumn;
        }
    }
}

}  // namespace

void ResultsOutput::PushButton13_Click() {
    frame::ReportingOperation op{m_controls.messages, u"Form1.PushButton13_Click"};
    if (op.test(100, [&] { return !SaveResultsAsExcelFileIsExcelInstalled(); })) {
        op.step(178,
                [&] { m_controls.messages.show(kNotInstalledForFeature, platform::MessageOk); });
        return;
    }
    std::shared_ptr<const platform::TableSnapshot> table;
    if (op.test(108, [&] {
            table = m_controls.ListView2.snapshot();
            return table->rowCount() == 0;
        })) {
        return;
    }
    op.step(110, [&] { m_controls.Form1.setPointerShape(platform::PointerHourglass); });
    std::unique_ptr<platform::Spreadsheet> sheet;
    if (startWorkbook(op, m_controls.spreadsheets, sheet)) {
        writeHeaders(op, m_controls.events, *table, *sheet);
        writeRows(op, m_controls.events, *table, *sheet);
        op.step(172, [&] { sheet->autoFitColumns(); });
        op.step(174, [&] { sheet->show(); });
    }
    op.step(176, [&] { m_controls.Form1.setPointerShape(platform::PointerDefault); });
}

}  // namespace wordloom::output
