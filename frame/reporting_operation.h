#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "platform/dialogs.h"

namespace wordloom::frame {

// Runs a command as its numbered statements: a statement that throws is reported with the
// operation's path and the step number, and the command goes on with the next statement.
//
//     ReportingOperation op{messages, u"Form1.PushButton7_Click"};
//     op.step(100, [&] { results.clear(); });
class ReportingOperation {
public:
    ReportingOperation(platform::MessageBox& messages, std::u16string_view objectAndOperation);

    template <class Action>
    void step(std::int32_t number, Action&& action) {
        m_step = number;
        try {
            std::forward<Action>(action)();
        } catch (...) {
            reportCurrentException();
        }
    }

    // The test of a conditional: its value, or true when evaluating it failed, since the
    // statement after a failed test is the first of its then-branch.
    template <class Condition>
    bool test(std::int32_t number, Condition&& condition) {
        m_step = number;
        try {
            return std::forward<Condition>(condition)();
        } catch (...) {
            reportCurrentException();
            return true;
        }
    }

    // Enters a numbered statement without running anything (a loop's head or end).
    void enter(std::int32_t number) { m_step = number; }
    std::int32_t currentStep() const { return m_step; }

private:
    void reportCurrentException();

    platform::MessageBox& m_messages;
    std::u16string m_path;
    std::int32_t m_step = 0;
};

}  // namespace wordloom::frame
