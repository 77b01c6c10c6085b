#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wordloom::platform {

// How many code units of a text a list row or progress bar shows at most.
inline constexpr std::size_t DisplayedUnits = 200;

// The form of a text that the window shows: a text longer than DisplayedUnits code units is cut
// after them (never between the two halves of a surrogate pair) and "…" is appended, so that
// drawing even a text of millions of characters costs no more than drawing a short one. The
// text itself is not changed.
inline std::u16string displayForm(std::u16string_view text) {
    if (text.size() <= DisplayedUnits) {
        return std::u16string(text);
    }
    std::size_t kept = DisplayedUnits;
    if (text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) {
        --kept;  // keep a high surrogate together with its low half: leave both out
    }
    std::u16string shown(text.substr(0, kept));
    shown += u'\u2026';
    return shown;
}

}  // namespace wordloom::platform
