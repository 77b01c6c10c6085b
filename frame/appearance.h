#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/services.h"

namespace wordloom::frame {

// The maker's home page, opened on about one start-up in a hundred.
inline constexpr std::u16string_view HomePageAddress = u"https://wordloom.app/";
// The draw (1 to 100) that opens the home page.
inline constexpr int HomePageDraw = 7;

inline constexpr std::u16string_view HandPointerFile = u"HAND-M.CUR";
inline constexpr std::u16string_view SkinFile = u"x/o.cjs";

// Paths of this platform: UTF-16 text in the program, UTF-8 bytes on disk.
std::filesystem::path toFileSystemPath(std::u16string_view path);
// folder + "/" + name.
std::u16string joinPath(std::u16string_view folder, std::u16string_view name);

// True when the last-modification time of `path` can be read; never throws.
bool FileExists(std::u16string_view path) noexcept;
// True when `path` names a regular file by exactly that name; never throws.
bool isRegularFile(std::u16string_view path) noexcept;

// The product name cut at its last blank, and again while it is longer than 40 characters.
std::u16string applicationTitleFor(std::u16string_view productName);
// Makes the product name's title the one every message box without a title of its own carries.
void SetApplicationTitle(platform::MessageBox& messages);

// With the skin file beside the program, the window and its frame and check boxes take the
// button-face colour. No skin engine exists on this platform, so nothing else is loaded.
void ApplySkin(platform::MainWindow& window, std::u16string_view applicationFolder);

// Opens the home page when `draw` gives HomePageDraw; failures of the shell propagate.
void OccasionalHomePageVisit(platform::Shell& shell, const std::function<int()>& draw);

// A whole number from 1 to 100 from a generator seeded with the clock.
int drawHomePageNumber();

}  // namespace wordloom::frame
