#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_list_view.h"
#include "fakes/fake_result_list_view.h"
#include "fakes/fake_services.h"
#include "fakes/temp_folder.h"
#include "window/form1.h"

namespace wordloom::window::testing {

inline constexpr std::string_view SmallDictionary =
    "cat\r\nact\r\ntact\r\nat\r\nta\r\ndog\r\ngod\r\ngo\r\ndo\r\ngood\r\nabcdefghi\r\n";

// Form1 wired to fakes, with an application folder of its own holding words.dic.
struct Form1Harness {
    fakes::TempFolder folder;
    fakes::FakeMainWindow window;
    fakes::FakeListView letterSets;
    fakes::FakeResultListView results;
    std::array<fakes::FakeCheckBox, 7> boxes;
    fakes::FakeProgressDisplay progress;
    fakes::FakeMessageBox messages;
    fakes::FakeInputBox inputBox;
    fakes::FakeFileDialog dialog;
    fakes::FakeClipboard clipboard;
    fakes::FakeSettingsStore settings;
    fakes::FakeShell shell;
    fakes::FakeSpreadsheetService spreadsheets;
    fakes::FakeEventPump events;
    int homePageDraw = 1;
    std::unique_ptr<Form1> form;

    explicit Form1Harness(bool withDictionary = true) {
        if (withDictionary) {
            folder.write("words.dic", SmallDictionary);
        }
        form = std::make_unique<Form1>(controls());
    }

    Form1Controls controls() {
        std::array<platform::CheckBox*, 7> check{};
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            check[i] = &boxes[i];
        }
        return Form1Controls{window,
                             letterSets,
                             results,
                             check,
                             progress,
                             messages,
                             inputBox,
                             dialog,
                             clipboard,
                             settings,
                             shell,
                             spreadsheets,
                             events,
                             folder.u16path(),
                             [this] { return homePageDraw; }};
    }

    // Form_Load, then forgets what start-up showed and stored.
    void loadFresh() {
        form->Form_Load();
        messages.shownMessages.clear();
        settings.writes.clear();
        progress.values.clear();
        progress.texts.clear();
        window.shapes.clear();
    }

    std::vector<int> boxStates() const {
        std::vector<int> states;
        for (const auto& box : boxes) {
            states.push_back(box.current);
        }
        return states;
    }

    void setBoxes(std::vector<int> states) {
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            boxes[i].setState(states.at(i));
        }
    }

    // The step numbers of the failure reports shown so far, in order.
    std::vector<int> reportedSteps() const {
        std::vector<int> steps;
        for (const auto& shown : messages.shownMessages) {
            if (shown.title != u"Application Error") {
                continue;
            }
            const auto at = shown.text.find(u"at line ");
            int step = 0;
            for (auto i = at + 8; i < shown.text.size() && shown.text[i] != u'\r'; ++i) {
                step = step * 10 + (shown.text[i] - u'0');
            }
            steps.push_back(step);
        }
        return steps;
    }

    // The texts of the messages that are not failure reports.
    std::vector<std::u16string> plainMessages() const {
        std::vector<std::u16string> texts;
        for (const auto& shown : messages.shownMessages) {
            if (shown.title != u"Application Error") {
                texts.push_back(shown.text);
            }
        }
        return texts;
    }
};

}  // namespace wordloom::window::testing
