#pragma once

#include <array>
#include <string_view>

namespace wordloom::platform {

// The main window as designed, in twips (15 twips = 1 pixel at 96 dpi). Positions of Check1 to
// Check7 are inside Frame1; all others are in the window's client area.
enum class ControlKind { Frame, CheckBox, ProgressBar, ListView, PushButton };
enum class ControlFont { Window, Button, List, None };

struct ControlLayout {
    std::u16string_view name;
    ControlKind kind;
    std::u16string_view caption;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
    ControlFont font;
};

inline constexpr int ClientWidthTwips = 8040;
inline constexpr int ClientHeightTwips = 9660;
inline constexpr int TwipsPerPixel = 15;
inline constexpr std::u16string_view FontFamily = u"Arial";
inline constexpr double WindowFontPoints = 9;  // window, frame, check boxes and lists
inline constexpr double ButtonFontPoints = 11.25;
inline constexpr std::u16string_view ProductName = u"Wordloom Anagram Finder Studio";

// In the order the window defines its controls. One control a row, as the designer lists them.
// clang-format off
inline constexpr std::array<ControlLayout, 20> MainWindowLayout{{
    {u"Frame1", ControlKind::Frame, u"Number of Letters", 120, 3735, 7800, 1095, 2, ControlFont::Window},
    {u"Check7", ControlKind::CheckBox, u"8 Letters Word", 4080, 650, 1695, 255, 19, ControlFont::Window},
    {u"Check6", ControlKind::CheckBox, u"7 Letters Word", 2160, 650, 1695, 255, 13, ControlFont::Window},
    {u"Check5", ControlKind::CheckBox, u"6 Letters Word", 240, 650, 1695, 255, 12, ControlFont::Window},
    {u"Check4", ControlKind::CheckBox, u"5 Letters Word", 6000, 300, 1575, 255, 11, ControlFont::Window},
    {u"Check3", ControlKind::CheckBox, u"4 Letters Word", 4080, 300, 1575, 255, 10, ControlFont::Window},
    {u"Check2", ControlKind::CheckBox, u"3 Letters Word", 2160, 300, 1575, 255, 9, ControlFont::Window},
    {u"Check1", ControlKind::CheckBox, u"2 Letters Word", 240, 300, 1575, 255, 8, ControlFont::Window},
    {u"ProgressBar1", ControlKind::ProgressBar, u"Progress Bar", 120, 9135, 7800, 405, 1, ControlFont::None},
    {u"ListView1", ControlKind::ListView, u"", 120, 120, 7800, 2535, 0, ControlFont::List},
    {u"PushButton1", ControlKind::PushButton, u"Add Letters", 120, 2750, 3840, 405, 3, ControlFont::Button},
    {u"PushButton4", ControlKind::PushButton, u"Load Letters From Text File", 4080, 2750, 3840, 405, 4, ControlFont::Button},
    {u"PushButton2", ControlKind::PushButton, u"Start Unscrambling", 120, 4950, 7800, 405, 5, ControlFont::Button},
    {u"PushButton3", ControlKind::PushButton, u"Clear List", 120, 3260, 3840, 405, 6, ControlFont::Button},
    {u"PushButton6", ControlKind::PushButton, u"Load Sample/Example Data", 4080, 3260, 3840, 405, 7, ControlFont::Button},
    {u"ListView2", ControlKind::ListView, u"", 120, 5460, 7800, 2535, 14, ControlFont::List},
    {u"PushButton5", ControlKind::PushButton, u"Save Results As Text File", 120, 8100, 3840, 405, 15, ControlFont::Button},
    {u"PushButton13", ControlKind::PushButton, u"Save Results As Excel File", 4080, 8100, 3840, 405, 16, ControlFont::Button},
    {u"PushButton7", ControlKind::PushButton, u"Clear Results", 4080, 8610, 3840, 405, 17, ControlFont::Button},
    {u"PushButton8", ControlKind::PushButton, u"Copy Results To Clipboard", 120, 8610, 3840, 405, 18, ControlFont::Button},
}};
// clang-format on

inline constexpr std::u16string_view ListView1ToolTip = u"Double-click item to remove it.";
inline constexpr std::u16string_view ListView2ToolTip =
    u"Double-click item to remove it. Move | line to right and out of window to reveal full names.";

}  // namespace wordloom::platform
