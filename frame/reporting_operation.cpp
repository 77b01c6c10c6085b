#include "frame/reporting_operation.h"

#include <stdexcept>

#include "engine/text.h"
#include "frame/error_report.h"

namespace wordloom::frame {

ReportingOperation::ReportingOperation(platform::MessageBox& messages,
                                       std::u16string_view objectAndOperation)
    : m_messages(messages), m_path(operationPath(objectAndOperation)) {}

void ReportingOperation::reportCurrentException() {
    std::u16string description;
    try {
        throw;
    } catch (const std::exception& failure) {
        description = engine::decodeUtf8(failure.what());
    } catch (...) {
        description = u"An unexpected failure occurred.";
    }
    ShowErrorReport(m_messages, description, m_path, m_step);
}

}  // namespace wordloom::frame
