#include "output/clipboard_retry.h"

namespace wordloom::output {

namespace {

constexpr int kMaxAttempts = 1000;

template <class Call>
bool retrySilently(Call&& call) {
    for (int attempts = 0; attempts < kMaxAttempts; ++attempts) {
        try {
            call();
            return true;
        } catch (...) {
            // Someone else holds the clipboard; try again.
        }
    }
    return false;
}

}  // namespace

void ClearClipboard(platform::Clipboard& clipboard) {
    retrySilently([&] { clipboard.clear(); });
}

bool SetClipboardText(platform::Clipboard& clipboard, std::u16string_view text, int format) {
    return retrySilently([&] { clipboard.setText(text, format); });
}

}  // namespace wordloom::output
