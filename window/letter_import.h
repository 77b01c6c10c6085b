#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/list_view.h"

namespace wordloom::window {

// Turns every run of "/" into one, so joining a root folder "/" with a name gives "/name".
std::u16string collapseSlashes(std::u16string_view path);

// The open dialog's answer as the pieces the import walks: no pieces when cancelled; one file
// gives its path; several give their common folder first and then each file's name relative to
// it, in the dialog's order.
std::vector<std::u16string> dialogPieces(const std::vector<std::u16string>& chosenPaths);

// Appends one letter set per line of the file to `target`. A missing file shows "File not found"
// and adds nothing; a file that is not a regular file (a folder, FIFO or device) throws without
// adding anything; a file that cannot be read throws after the entries read so far were added.
void ImportLetterFile(platform::ListView& target, const std::u16string& path,
                      platform::MessageBox& messages);

}  // namespace wordloom::window
