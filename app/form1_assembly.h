#pragma once

// The main window put together: Form1's widgets, the adapters through which the window logic
// reaches them, the system services every caller uses alike, and window::Form1 wired to them.
// The program, the window benchmark and the letter-set measurement all build the window here;
// each passes the services it wants in its own way (real message boxes and dialogs in the
// program, recording and scripted ones in the benchmarks).

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_list_views.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "window/form1.h"

namespace wordloom::app {

// The services that differ between the program and its benchmarks.
struct Form1Services {
    platform::MessageBox& messages;
    platform::FileDialog& CommonDialog1;
    platform::SpreadsheetService& spreadsheets;
    platform::EventPump& events;
    std::u16string applicationFolder;         // the folder holding the program, no trailing "/"
    std::function<int()> drawHomePageNumber;  // a random whole number from 1 to 100
};

class Form1Assembly {
public:
    // `form` is the window's widgets, made first so that dialogs among the services can have it
    // as their parent; it must outlive the assembly.
    Form1Assembly(platform::qt::Form1Widget& form, Form1Services services);
    Form1Assembly(const Form1Assembly&) = delete;
    Form1Assembly& operator=(const Form1Assembly&) = delete;

    platform::qt::Form1Widget& form;
    platform::qt::QtMainWindow mainWindow{form};
    platform::qt::QtListView listView1{form.listView1(), form.letterSets()};
    platform::qt::QtResultListView listView2{form.listView2(), form.results()};
    std::array<std::unique_ptr<platform::qt::QtCheckBox>, 7> checks;  // Check1 ... Check7
    platform::qt::QtProgressDisplay progressBar1{form.progressBar1()};
    platform::qt::QtInputBox inputBox{&form};
    platform::qt::QtClipboard clipboard;
    platform::qt::QtSettingsStore settings;
    platform::qt::QtShell shell;
    window::Form1 logic;

private:
    std::array<platform::CheckBox*, 7> checkPointers();
};

}  // namespace wordloom::app
