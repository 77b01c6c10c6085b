#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "platform/window_layout.h"

namespace wordloom::frame {

// Where the program keeps its per-user values: application, then section, then key.
inline constexpr std::u16string_view SettingsApplication = u"Quillmark";
inline constexpr std::u16string_view SettingsSection = platform::ProductName;

// The stored text, or `defaultValue` when the key was never written. Store failures propagate.
std::u16string ReadSetting(platform::SettingsStore& store, std::u16string_view application,
                           std::u16string_view section, std::u16string_view key,
                           std::u16string_view defaultValue);

// Creates or overwrites the value. Store failures propagate.
void WriteSetting(platform::SettingsStore& store, std::u16string_view application,
                  std::u16string_view section, std::u16string_view key, std::u16string_view value);

// Converts a stored value to a 16-bit integer: blanks or tabs around it, an optional sign,
// decimal digits with an optional fraction and exponent ("1", " +1.4 ", "5e-1"). A fraction
// rounds to the nearest integer, a half to the even neighbour. Throws std::invalid_argument for
// text that is not such a number and std::out_of_range for a result outside -32768..32767.
std::int16_t settingToInteger(std::u16string_view text);

}  // namespace wordloom::frame
