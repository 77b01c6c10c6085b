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
    std::u16string fileName;
    op.step(112, [&] {
        fileName = m_controls.CommonDialog1.chooseFileToSave(u"Save", filters, m_lastSavedName);
    });
    if (fileName.empty()) {
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
