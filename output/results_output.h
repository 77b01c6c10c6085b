#pragma once

// The results output commands of the main window: clear the result list, copy its ticked rows to
// the clipboard, save them as a column-aligned text file, or hand them to a spreadsheet. The
// renderings themselves are pure functions (clipboard_text.h, aligned_text.h); this class runs
// them as the window's reporting commands.

#include <string>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/list_view.h"
#include "platform/services.h"

namespace wordloom::output {

// The controls and services the output commands work through; owned by the caller.
struct OutputControls {
    platform::ResultListView& ListView2;
    platform::ProgressDisplay& ProgressBar1;
    platform::MainWindow& Form1;
    platform::MessageBox& messages;
    platform::FileDialog& CommonDialog1;
    platform::Clipboard& clipboard;
    platform::SpreadsheetService& spreadsheets;
    platform::EventPump& events;
};

class ResultsOutput {
public:
    explicit ResultsOutput(OutputControls controls);

    void PushButton5_Click();   // Save Results As Text File
    void PushButton7_Click();   // Clear Results
    void PushButton8_Click();   // Copy Results To Clipboard
    void PushButton13_Click();  // Save Results As Excel File

    // Whether a spreadsheet application can take the results; tells the user when it cannot.
    // Never fails.
    bool SaveResultsAsExcelFileIsExcelInstalled();

private:
    OutputControls m_controls;
    // The save dialog offers the name of the last file saved successfully, and nothing else.
    std::u16string m_lastSavedName;
};

}  // namespace wordloom::output
