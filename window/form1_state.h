#pragma once

// What Form1 holds between its handlers; shared by the files that implement them.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/dictionary.h"
#include "output/results_output.h"
#include "window/form1.h"
#include "window/word_length_options.h"

namespace wordloom::window {

struct Form1::State {
    explicit State(Form1Controls controls)
        : ui(std::move(controls)),
          lengths(ui.Check),
          output({ui.ListView2, ui.ProgressBar1, ui.Form1, ui.messages, ui.CommonDialog1,
                  ui.clipboard, ui.spreadsheets, ui.events}) {}

    Form1Controls ui;
    std::shared_ptr<const engine::Dictionary> dictionary;
    CheckBoxLengthFilter lengths;      // the boxes, read live by the matcher
    std::vector<std::uint32_t> found;  // one letter set's word positions, reused per set
    bool running = false;              // a run is in progress (possibly yielding)
    output::ResultsOutput output;      // the commands on the result list
};

}  // namespace wordloom::window
