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
//
// A damaged file (a broken group header, lines that are no setting, binary junk) still gives the
// values that can be read from it. Before anything rewrites it, a copy is saved as
// <file>.damaged; the first read in a run that such a file cannot answer throws once, naming the
// file and the copy. A folder, device or pipe in place of the file is never opened.
class QtSettingsStore final : public SettingsStore {
public:
    std::optional<std::u16string> read(std::u16string_view application, std::u16string_view section,
                                       std::u16string_view key) override;
    // A damaged file is replaced by one holding the values read from it and the new one; throws
    // when the value cannot be saved.
    void write(std::u16string_view application, std::u16string_view section,
               std::u16string_view key, std::u16string_view value) override;
};

}  // namespace wordloom::platform::qt
