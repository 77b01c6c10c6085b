#pragma once

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_result_list_view.h"
#include "fakes/fake_services.h"
#include "frame/error_report.h"
#include "output/results_output.h"

// The output commands wired to fakes, with the result list's single column.
struct OutputFixture {
    fakes::FakeResultListView ListView2;
    fakes::FakeProgressDisplay ProgressBar1;
    fakes::FakeMainWindow Form1;
    fakes::FakeMessageBox messages;
    fakes::FakeFileDialog CommonDialog1;
    fakes::FakeClipboard clipboard;
    fakes::FakeSpreadsheetService spreadsheets;
    fakes::FakeEventPump events;
    wordloom::output::ResultsOutput output{
        {ListView2, ProgressBar1, Form1, messages, CommonDialog1, clipboard, spreadsheets, events}};

    OutputFixture() { ListView2.list.table.headers = {u"Unscramble Letters"}; }

    void addWord(const std::u16string& word, bool ticked) { ListView2.list.addRow({word}, ticked); }
};

// The standard report for a failure described as `description` at `step` of `operation`.
inline std::u16string reportFor(std::u16string_view description, std::u16string_view operation,
                                int step) {
    return wordloom::frame::errorReportText(description, wordloom::frame::operationPath(operation),
                                            step);
}
