#include "window/word_length_options.h"

#include <string>

#include "frame/settings.h"

namespace wordloom::window {

namespace {
constexpr int ShortestListedWord = 2;
constexpr int LongestListedWord = 8;
}  // namespace

bool CheckBoxLengthFilter::wants(int length) const {
    if (length < ShortestListedWord || length > LongestListedWord) {
        return false;
    }
    return m_boxes[static_cast<std::size_t>(length - ShortestListedWord)]->state() == 1;
}

void StoreWordLengthOption(const platform::CheckBox& box, std::u16string_view key,
                           platform::SettingsStore& settings) noexcept {
    try {
        const std::string state = std::to_string(box.state());
        frame::WriteSetting(settings, frame::SettingsApplication, frame::SettingsSection, key,
                            std::u16string(state.begin(), state.end()));
    } catch (...) {
        // The user sees the box as clicked; only the next start-up misses the change.
    }
}

void installWordLengthStores(const WordLengthBoxes& boxes, platform::SettingsStore& settings) {
    for (std::size_t index = 0; index < boxes.size(); ++index) {
        platform::CheckBox* box = boxes[index];
        const std::u16string_view key = WordLengthKeys[index];
        box->setStateChangedHandler(
            [box, key, &settings] { StoreWordLengthOption(*box, key, settings); });
    }
}

void restoreWordLengthOption(const WordLengthBoxes& boxes, int index,
                             platform::SettingsStore& settings) {
    const auto slot = static_cast<std::size_t>(index);
    const std::u16string stored =
        frame::ReadSetting(settings, frame::SettingsApplication, frame::SettingsSection,
                           WordLengthKeys[slot], WordLengthDefaults[slot]);
    boxes[slot]->setState(frame::settingToInteger(stored) == 1 ? 1 : 0);
}

}  // namespace wordloom::window
