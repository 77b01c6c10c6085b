#include "app/form1_assembly.h"

#include <utility>

namespace wordloom::app {

Form1Assembly::Form1Assembly(platform::qt::Form1Widget& widgets, Form1Services services)
    : form(widgets),
      logic({
          .Form1 = mainWindow,
          .ListView1 = listView1,
          .ListView2 = listView2,
          .Check = checkPointers(),
          .ProgressBar1 = progressBar1,
          .messages = services.messages,
          .inputBox = inputBox,
          .CommonDialog1 = services.CommonDialog1,
          .clipboard = clipboard,
          .settings = settings,
          .shell = shell,
          .spreadsheets = services.spreadsheets,
          .events = services.events,
          .applicationFolder = std::move(services.applicationFolder),
          .drawHomePageNumber = std::move(services.drawHomePageNumber),
      }) {}

// Made while `logic` is being made: every member before it is complete by then.
std::array<platform::CheckBox*, 7> Form1Assembly::checkPointers() {
    std::array<platform::CheckBox*, 7> pointers{};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        checks[i] = std::make_unique<platform::qt::QtCheckBox>(form.check(static_cast<int>(i) + 1));
        pointers[i] = checks[i].get();
    }
    return pointers;
}

}  // namespace wordloom::app
