#pragma once

#include <string_view>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/list_view.h"

namespace wordloom::output {

// Saves the ticked rows of `list`, as they are when the call starts, to `fileName` as the
// column-aligned text of alignedText(), in UTF-8 without a byte-order mark, replacing a file of
// that name without asking. Shows its progress on `progress` when one is given and yields to the
// window between cells and rows. Failures are reported under "Main.SaveListviewProperlySpaced"
// and the export goes on with its next step, so the progress display is always reset at the end.
// A name that cannot be replaced (a folder, a pipe, a device, a file the user may not write) or
// whose folder takes no new file (see ReplacingFile for the files written in place instead) fails
// once at step 156 and nothing is written. The old file
// stays as it was unless the new content was written completely; an export cut short by the
// program's end leaves nothing behind once ReplacingFile::removeUnfinishedFiles() has run.
// Returns whether the file was written completely and put in place.
bool SaveListviewProperlySpaced(const platform::ListView& list, std::u16string_view fileName,
                                platform::ProgressDisplay* progress, platform::MessageBox& messages,
                                platform::EventPump& events);

}  // namespace wordloom::output
