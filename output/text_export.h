#pragma once

#include <string_view>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/list_view.h"

namespace wordloom::output {

// Saves the ticked rows of `list`, as they are when the call starts, to `fileName` as the
// column-aligned text of alignedText(), in UTF-8 without a byte-order mark, replacing any file of
// that name. Shows its progress on `progress` when one is given and yields to the window between
// cells and rows. Failures are reported under "Main.SaveListviewProperlySpaced" and the export
// goes on with its next step, so the progress display is always reset at the end. The old file
// stays as it was unless the new content was written completely.
// Returns whether the file was written completely and put in place.
bool SaveListviewProperlySpaced(const platform::ListView& list, std::u16string_view fileName,
                                platform::ProgressDisplay* progress, platform::MessageBox& messages,
                                platform::EventPump& events);

}  // namespace wordloom::output
