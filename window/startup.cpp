#include <optional>

#include "engine/text.h"
#include "frame/appearance.h"
#include "frame/reporting_operation.h"
#include "platform/window_layout.h"
#include "window/form1_state.h"

namespace wordloom::window {

namespace {
constexpr std::u16string_view DictionaryFile = u"words.dic";
constexpr int ListColumnTwips = 7000;
}  // namespace

void Form1::Form_Load() {
    State& s = *m_state;
    Form1Controls& ui = s.ui;
    frame::ReportingOperation op{ui.messages, u"Form1.Form_Load"};
    const std::u16string dictionaryPath = frame::joinPath(ui.applicationFolder, DictionaryFile);

    if (op.test(100, [&] { return !frame::isRegularFile(dictionaryPath); })) {
        // Shown before the application title is set, so it carries the default title.
        op.step(102, [&] { ui.messages.show(u"Dictionary file not found.", platform::MessageOk); });
        op.step(104, [&] { ui.Form1.endProgram(); });
        return;
    }

    op.step(108, [&] {
        ui.Form1.setCaption(std::u16string(platform::ProductName));
        ui.Form1.setProgramIcon();
        frame::SetApplicationTitle(ui.messages);
    });
    op.step(110, [&] { frame::ApplySkin(ui.Form1, ui.applicationFolder); });
    const std::u16string handPointer =
        frame::joinPath(ui.applicationFolder, frame::HandPointerFile);
    if (op.test(112, [&] { return frame::FileExists(handPointer); })) {
        op.step(114, [&] { ui.Form1.setCustomPointerImage(handPointer); });
    }
    op.step(116, [&] { frame::OccasionalHomePageVisit(ui.shell, ui.drawHomePageNumber); });

    op.step(134, [&] { ui.ListView1.addColumnHeader(u"Scramble Letters"); });
    op.step(136, [&] { ui.ListView1.setColumnWidth(1, ListColumnTwips); });
    op.step(138, [&] { ui.ListView2.addColumnHeader(u"Unscramble Letters"); });
    op.step(140, [&] { ui.ListView2.setColumnWidth(1, ListColumnTwips); });

    for (int box = 0; box < static_cast<int>(ui.Check.size()); ++box) {
        op.step(142 + 2 * box, [&] { restoreWordLengthOption(ui.Check, box, ui.settings); });
    }

    // Each phase that fails is reported once; the later phases work on the words read so far.
    std::optional<engine::DictionaryLoader> loader;
    op.step(156, [&] { loader.emplace(engine::encodeUtf8(dictionaryPath)); });
    op.step(158, [&] { loader.value().open(); });
    op.step(162, [&] { loader.value().readItems(); });
    op.step(172, [&] { loader.value().close(); });
    op.step(176, [&] { loader.value().sort(); });
    op.step(180, [&] { loader.value().buildIndex(); });
    op.step(180, [&] {
        s.dictionary = loader.value().dictionary();
        ui.ListView2.setDictionary(s.dictionary);
    });
}

void Form1::Form_Unload() {
    try {
        m_state->ui.Form1.endProgram();
    } catch (...) {
        // Closing has no report; the platform ends the program with its last window anyway.
    }
}

}  // namespace wordloom::window
