#pragma once

// Form1, the main window's logic. Layers: the engine finds words; platform/ is how this logic
// reaches the window's controls and the system; frame/ reports failures and keeps settings;
// output/ renders and exports results.
//
// The window, its controls and handlers keep their designer names (Form1, ListView2,
// PushButton7_Click, Check1 ...) on purpose: failure reports quote them to users ("Form1.
// PushButton13_Click at line 112"), and support matches a report to its button by them.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "engine/dictionary.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/list_view.h"
#include "platform/services.h"

namespace wordloom::window {

// Everything Form1 works through; owned by the caller, alive as long as Form1.
struct Form1Controls {
    platform::MainWindow& Form1;
    platform::ListView& ListView1;
    platform::ResultListView& ListView2;
    std::array<platform::CheckBox*, 7> Check;  // Check1 ... Check7
    platform::ProgressDisplay& ProgressBar1;
    platform::MessageBox& messages;
    platform::InputBox& inputBox;
    platform::FileDialog& CommonDialog1;
    platform::Clipboard& clipboard;
    platform::SettingsStore& settings;
    platform::Shell& shell;
    platform::SpreadsheetService& spreadsheets;
    platform::EventPump& events;
    std::u16string applicationFolder;         // the folder holding the program, no trailing "/"
    std::function<int()> drawHomePageNumber;  // a random whole number from 1 to 100
};

// Where the pointer moved, for the pointer feedback.
enum class PointerArea { PushButton, ListView, Frame, Form };

class Form1 {
public:
    explicit Form1(Form1Controls controls);
    ~Form1();

    void Form_Load();
    void Form_Unload();

    void PushButton1_Click();   // Add Letters
    void PushButton2_Click();   // Start Unscrambling
    void PushButton3_Click();   // Clear List
    void PushButton4_Click();   // Load Letters From Text File
    void PushButton5_Click();   // Save Results As Text File
    void PushButton6_Click();   // Load Sample/Example Data
    void PushButton7_Click();   // Clear Results
    void PushButton8_Click();   // Copy Results To Clipboard
    void PushButton13_Click();  // Save Results As Excel File

    void ListView1_DblClick();
    void ListView1_KeyDown(int keyCode, bool shift, bool ctrl, bool alt);
    void PointerMoved(PointerArea area);

    std::shared_ptr<const engine::Dictionary> dictionary() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace wordloom::window
