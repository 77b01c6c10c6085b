#include "frame/error_report.h"

#include <string>

#include "engine/text.h"

namespace wordloom::frame {

std::u16string errorReportText(std::u16string_view description, std::u16string_view operationPath,
                               std::int32_t step) {
    const std::string number = std::to_string(step);
    std::u16string text(description);
    text += u"\r\n";
    text += operationPath;
    text += u"at line ";
    text.append(number.begin(), number.end());
    text += u"\r\r";
    text += u"Please email screenshot of this message to ";
    text += SupportAddress;
    return text;
}

void ShowErrorReport(platform::MessageBox& messages, std::u16string_view description,
                     std::u16string_view operationPath, std::int32_t step) {
    try {
        messages.show(errorReportText(description, operationPath, step), platform::MessageWarning,
                      u"Application Error");
    } catch (...) {
        // A report that cannot be shown has nobody left to tell; the operation goes on.
    }
}

std::u16string operationPath(std::u16string_view objectAndOperation) {
    std::u16string path = u"in Wordloom2021/08/31.";
    path += objectAndOperation;
    path += u' ';
    return path;
}

}  // namespace wordloom::frame
