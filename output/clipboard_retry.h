#pragma once

#include <string_view>

#include "platform/services.h"

namespace wordloom::output {

// The clipboard may be held open by another program for a moment, so each helper retries a
// failing call, up to 1000 attempts in all, and never tells anybody about a failure.

// Empties the clipboard.
void ClearClipboard(platform::Clipboard& clipboard);

// Puts `text` on the clipboard; format 0 is the default plain-text format. Returns whether the
// last attempt succeeded.
bool SetClipboardText(platform::Clipboard& clipboard, std::u16string_view text, int format);

}  // namespace wordloom::output
