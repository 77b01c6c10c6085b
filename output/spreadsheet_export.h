#pragma once

#include <string_view>

namespace wordloom::output {

// What "Save Results As Excel File" tells the user when no spreadsheet application is found:
// first from the availability test, then from the command itself.
inline constexpr std::u16string_view kNotInstalledForSoftware =
    u"Excel is not installed on this computer. You need to have it installed to use this "
    u"software without error.";
inline constexpr std::u16string_view kNotInstalledForFeature =
    u"Excel is not installed on this computer. You need to have it installed to use this "
    u"feature.";

}  // namespace wordloom::output
