#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dialogs.h"

namespace wordloom::frame {

// Where users send the screenshot of a failure report.
inline constexpr std::u16string_view SupportAddress = u"support@wordloom.app";

// The standard failure report: description, the operation's path with "at line" and the step,
// and the request for a screenshot.
std::u16string errorReportText(std::u16string_view description, std::u16string_view operationPath,
                               std::int32_t step);

// Shows the report titled "Application Error" with the warning icon; never throws.
void ShowErrorReport(platform::MessageBox& messages, std::u16string_view description,
                     std::u16string_view operationPath, std::int32_t step);

// "in Wordloom2021/08/31." + object.operation + " ".
std::u16string operationPath(std::u16string_view objectAndOperation);

}  // namespace wordloom::frame
