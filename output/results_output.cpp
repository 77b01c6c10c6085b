#include "output/results_output.h"

#include <vector>

#include "frame/reporting_operation.h"
#include "output/clipboard_text.h"
#include "output/text_export.h"

namespace wordloom::output {

namespace {

constexpr std::u16string_view kCopiedConfirmation =
    u"Results have been copied to the clipboard.\r\r"
    u"Click a text area where you normally type and press Ctrl+V to paste the clipboard.";

}  // namespace

ResultsOutput::ResultsOutput(OutputControls controls) : m_controls(controls) {}

void ResultsOutput::PushButton7_Click() {
    frame::ReportingOperation op{m_controls.messages, u"Form1.PushButton7_Click"};
    op.step(100, [&] { m_controls.ListView2.clear(); });
}

void ResultsOutput::PushButton8_Click() {
    frame::ReportingOperation op{m_controls.messages, u"Form1.PushButton8_Click"};
    op.step(106, [&] {
        CopyListviewToClipboard(m_controls.ListView2, m_controls.clipboard, m_controls.events);
    });
    op.step(108, [&] { m_controls.messages.show(kCopiedConfirmation, platform::MessageOk); });
}

void ResultsOutput::PushButton5_Click() {
    frame::ReportingOperation op{m_controls.messages, u"Form1.PushButton5_Click"};
    static const std::vector<platform::FileFilter> filters = {
        {u"Text Files (*.txt)", u"*.txt"},
        {u"All Files (*.*)", u"*"},
    };
    platform::FileDialog& dialog = m_controls.CommonDialog1;
    // Read-only box ticked, several names allowed, explorer style, long names; no overwrite
    // question is asked.
    op.step(106, [&] {
        dialog.setFlags(platform::FileDialogReadOnly | platform::FileDialogAllowMultiSelect |
                        platform::FileDialogExplorer | platform::FileDialogLongNames);
    });
    op.step(108, [&] { dialog.setDialogTitle(u"Save"); });
    op.step(110, [&] { dialog.setFilter(filters); });
    std::u16string chosen;
    op.step(112, [&] {
        // The dialog offers the last name saved to, never a letter file's name from the import.
        dialog.setFileName(m_lastSavedName);
        chosen = dialog.showSave();
    });
    std::u16string fileName;
    op.step(114, [&] { fileName = chosen; });
    if (op.test(116, [&] { return fileName.empty(); })) {
        return;  // cancelled
    }
    op.step(118, [&] { m_controls.Form1.setPointerShape(platform::PointerHourglass); });
    bool saved = false;
    op.step(120, [&] {
        saved = SaveListviewProperlySpaced(m_controls.ListView2, fileName, &m_controls.ProgressBar1,
                                           m_controls.messages, m_controls.events);
    });
    if (saved) {
        m_lastSavedName = fileName;
    }
    op.step(122, [&] { m_controls.Form1.setPointerShape(platform::PointerDefault); });
}

}  // namespace wordloom::output
