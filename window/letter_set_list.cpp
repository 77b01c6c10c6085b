#include <algorithm>

#include "frame/reporting_operation.h"
#include "window/form1_state.h"

namespace wordloom::window {

namespace {

constexpr int DeleteKey = 46;

// Only U+0020 counts: a reply of tabs is a letter set like any other.
bool isBlankReply(std::u16string_view reply) {
    return std::all_of(reply.begin(), reply.end(), [](char16_t c) { return c == u' '; });
}

// A long operation shows the hourglass while it works.
bool isBusy(const platform::MainWindow& window) {
    return window.pointerShape() == platform::PointerHourglass;
}

void RemoveSelectedLetterSet(platform::ListView& list, const platform::MainWindow& window) {
    try {
        if (isBusy(window) || list.count() == 0) {
            return;
        }
        if (const auto selected = list.selectedItem()) {
            list.removeItem(*selected);
        }
    } catch (...) {
        // A double-click or key press has no report; the list stays as it is.
    }
}

}  // namespace

void Form1::PushButton1_Click() {
    Form1Controls& ui = m_state->ui;
    frame::ReportingOperation op{ui.messages, u"Form1.PushButton1_Click"};
    std::u16string reply;
    op.step(100, [&] { reply = ui.inputBox.ask(u"Please enter letters: ", u"Enter Letters"); });
    if (op.test(102, [&] { return isBlankReply(reply); })) {
        return;
    }
    op.step(104, [&] { ui.ListView1.addItem(reply); });
}

void Form1::PushButton3_Click() {
    Form1Controls& ui = m_state->ui;
    frame::ReportingOperation op{ui.messages, u"Form1.PushButton3_Click"};
    op.step(100, [&] {
        if (!isBusy(ui.Form1)) {
            ui.ListView1.clear();
        }
    });
}

void Form1::PushButton6_Click() {
    Form1Controls& ui = m_state->ui;
    frame::ReportingOperation op{ui.messages, u"Form1.PushButton6_Click"};
    op.step(100, [&] { ui.ListView1.addItem(u"tatuprec"); });
    op.step(102, [&] { ui.ListView1.addItem(u"wireless"); });
    // Only 7- and 8-letter words, the lengths of the two samples.
    for (int box = 0; box < static_cast<int>(ui.Check.size()); ++box) {
        op.step(104 + 2 * box,
                [&] { ui.Check[static_cast<std::size_t>(box)]->setState(box < 5 ? 0 : 1); });
    }
}

void Form1::ListView1_DblClick() {
    RemoveSelectedLetterSet(m_state->ui.ListView1, m_state->ui.Form1);
}

void Form1::ListView1_KeyDown(int keyCode, bool /*shift*/, bool /*ctrl*/, bool /*alt*/) {
    if (keyCode == DeleteKey) {
        RemoveSelectedLetterSet(m_state->ui.ListView1, m_state->ui.Form1);
    }
}

}  // namespace wordloom::window
