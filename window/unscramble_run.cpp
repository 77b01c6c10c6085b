#include <algorithm>
#include <memory>

#include "engine/text.h"
#include "engine/words/matcher.h"
#include "engine/words/run_core.h"
#include "frame/reporting_operation.h"
#include "platform/display_text.h"
#include "window/form1_state.h"

namespace wordloom::window {

namespace {

// Clears the busy mark however the run ends.
class RunningMark {
public:
    explicit RunningMark(bool& running) : m_running(running) { m_running = true; }
    ~RunningMark() { m_running = false; }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    bool& m_running;
};

// Letter set `i` of `n` as a percentage of the entries the list holds now. Entries added during
// the run lower it; when the list was emptied meanwhile the run's own count stands in, so the
// value stays within 0 to 100 instead of dividing by zero.
double progressPercent(int i, int n, int entriesNow) {
    const int total = entriesNow > 0 ? entriesNow : n;
    return std::min(100.0, static_cast<double>(i) / total * 100.0);
}

// "Processing: " and the letter set's FileNamePart (the text after its last backslash), in the
// form the window shows: a letter set of millions of characters is neither copied nor drawn whole.
std::u16string progressText(std::u16string_view letters) {
    const auto backslash = letters.rfind(u'\\');
    const std::u16string_view part =
        backslash == std::u16string_view::npos ? letters : letters.substr(backslash + 1);
    return u"Processing: " + platform::displayForm(part);
}

}  // namespace

void Form1::PushButton2_Click() {
    State& s = *m_state;
    Form1Controls& ui = s.ui;
    // A click that arrives while the run yields would start a second run inside the first.
    if (s.running) {
        return;
    }
    RunningMark mark(s.running);
    frame::ReportingOperation op{ui.messages, u"Form1.PushButton2_Click"};

    if (op.test(100, [&] { return ui.ListView1.count() == 0; })) {
        op.step(130, [&] { ui.messages.show(u"No letters added.", platform::MessageOk); });
        return;
    }
    op.step(102, [&] { ui.ListView2.clear(); });
    // The letter sets as they are now: the run is not disturbed by edits made while it yields.
    std::shared_ptr<const platform::TableSnapshot> letterSets;
    int n = 0;
    op.step(104, [&] {
        letterSets = ui.ListView1.snapshot();
        n = letterSets->rowCount();
    });
    for (int i = 1; i <= n; ++i) {
        // A view into the snapshot: a set too long to run is never copied.
        std::u16string_view letters;
        op.step(106, [&] { letters = letterSets->cell(i, 1); });
        op.step(108,
                [&] { ui.ProgressBar1.setValue(progressPercent(i, n, ui.ListView1.count())); });
        op.step(110, [&] { ui.ProgressBar1.setText(progressText(letters)); });
        op.step(112, [&] { ui.events.processEvents(); });
        op.step(114, [&] { ui.Form1.setPointerShape(platform::PointerHourglass); });
        if (op.test(116, [&] { return engine::isRunnableLetterSet(letters); })) {
            op.step(118, [&] {
                s.found.clear();
                if (!s.dictionary) {
                    return;  // no word list was loaded, so nothing can be found
                }
                try {
                    engine::Unscramble(*s.dictionary, engine::toLowerCase(letters), s.lengths,
                                       s.found);
                } catch (...) {
                    ui.ListView2.appendWords(s.found);  // the words found before the failure stay
                    throw;
                }
                ui.ListView2.appendWords(s.found);
            });
        }
        op.enter(120);
    }
    op.step(122, [&] { ui.Form1.setPointerShape(platform::PointerDefault); });
    op.step(124, [&] { ui.ProgressBar1.setValue(0); });
    op.step(126, [&] { ui.ProgressBar1.setText(u"Progress Bar"); });
    op.step(128, [&] { ui.messages.show(u"Done.", platform::MessageOk); });
}

}  // namespace wordloom::window
