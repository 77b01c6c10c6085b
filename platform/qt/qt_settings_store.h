#pragma once

#include <QString>

#include "platform/services.h"

namespace wordloom::platform::qt {

// The INI file that holds one section of an application's settings:
// <config>/<application>/<section>.ini, where <config> is $XDG_CONFIG_HOME or ~/.config (the
// file QSettings uses for organisation = application and application = section in user scope).
// Deleting the file deletes the section.
QString settingsFilePath(std::u16string_view application, std::u16string_view section);

// Per-user text values in QSettings INI files, written through at once.
class QtSettingsStore final : public SettingsStore {
public:
    // A file that cannot be read or parsed counts as holding no values.
    std::optional<std::u16string> read(std::u16string_view application, std::u16string_view section,
                                       std::u16string_view key) override;
    // Replaces a file that cannot be parsed; throws when the value cannot be saved.
    void write(std::u16string_view application, std::u16string_view section,
               std::u16string_view key, std::u16string_view value) override;
};

}  // namespace wordloom::platform::qt
