#pragma once

#include <array>
#include <string_view>

#include "engine/length_filter.h"
#include "platform/controls.h"
#include "platform/services.h"

namespace wordloom::window {

// Check1 ... Check7: box k (0-based here) stands for words of k + 2 letters.
using WordLengthBoxes = std::array<platform::CheckBox*, 7>;

inline constexpr std::array<std::u16string_view, 7> WordLengthKeys{
    u"Check1", u"Check2", u"Check3", u"Check4", u"Check5", u"Check6", u"Check7"};
// The state of each box for a user who has no stored value: 4, 5 and 6 letters ticked.
inline constexpr std::array<std::u16string_view, 7> WordLengthDefaults{u"0", u"0", u"1", u"1",
                                                                       u"1", u"0", u"0"};

// Reads the boxes each time the matcher asks, so a box changed during a run counts from the
// next word found.
class CheckBoxLengthFilter final : public engine::LengthFilter {
public:
    explicit CheckBoxLengthFilter(const WordLengthBoxes& boxes) : m_boxes(boxes) {}
    bool wants(int length) const override;

private:
    WordLengthBoxes m_boxes;
};

// Stores the box's current state under its key; a refused write is dropped, as the click
// reaction has no report.
void StoreWordLengthOption(const platform::CheckBox& box, std::u16string_view key,
                           platform::SettingsStore& settings) noexcept;

// Makes every box store its state whenever it changes, by a click or by the program. The boxes
// and the store must outlive the handlers.
void installWordLengthStores(const WordLengthBoxes& boxes, platform::SettingsStore& settings);

// Sets box `index` from the settings store: ticked only when the stored number is 1. Throws when
// the store fails or the stored text is not a 16-bit number; the box is then left as it is.
void restoreWordLengthOption(const WordLengthBoxes& boxes, int index,
                             platform::SettingsStore& settings);

}  // namespace wordloom::window
