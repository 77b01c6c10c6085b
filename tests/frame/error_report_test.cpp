#include "frame/error_report.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/fake_dialogs.h"
#include "frame/reporting_operation.h"

namespace wordloom::frame {
namespace {

TEST(ShowErrorReport, ShowsTheExactReportAsAWarningTitledApplicationError) {
    fakes::FakeMessageBox messages;
    ShowErrorReport(messages, u"File not found", u"in Wordloom2021/08/31.Form1.Form_Load ", 112);
    ASSERT_EQ(messages.shownMessages.size(), 1u);
    EXPECT_EQ(messages.shownMessages[0].text,
              u"File not found\r\nin Wordloom2021/08/31.Form1.Form_Load at line 112\r\r"
              u"Please email screenshot of this message to support@wordloom.app");
    EXPECT_EQ(messages.shownMessages[0].style, 48);
    EXPECT_EQ(messages.shownMessages[0].title, u"Application Error");
}

TEST(ShowErrorReport, KeepsLineBreaksOfTheDescription) {
    EXPECT_EQ(errorReportText(u"one\r\ntwo", u"in X.Y ", 100),
              u"one\r\ntwo\r\nin X.Y at line 100\r\r"
              u"Please email screenshot of this message to support@wordloom.app");
}

TEST(ReportingOperation, ReportsEachFailingStepAndGoesOn) {
    fakes::FakeMessageBox messages;
    ReportingOperation op{messages, u"Form1.PushButton6_Click"};
    std::vector<int> ran;
    op.step(100, [&] { throw std::runtime_error("First."); });
    op.step(102, [&] { ran.push_back(102); });
    op.step(104, [&] { throw std::runtime_error("Second."); });
    op.step(106, [&] { ran.push_back(106); });
    EXPECT_EQ(ran, (std::vector<int>{102, 106}));
    ASSERT_EQ(messages.shownMessages.size(), 2u);
    EXPECT_TRUE(messages.shownMessages[0].text.starts_with(
        u"First.\r\nin Wordloom2021/08/31.Form1.PushButton6_Click at line 100\r\r"));
    EXPECT_TRUE(messages.shownMessages[1].text.starts_with(
        u"Second.\r\nin Wordloom2021/08/31.Form1.PushButton6_Click at line 104\r\r"));
}

// A conditional whose test fails runs its then-branch: the test counts as true, once reported.
TEST(ReportingOperation, ConditionThatThrowsIsReportedOnceAndCountsAsTrue) {
    fakes::FakeMessageBox messages;
    ReportingOperation op{messages, u"Form1.PushButton2_Click"};
    int evaluations = 0;
    EXPECT_TRUE(op.test(116, [&]() -> bool {
        ++evaluations;
        throw std::out_of_range("Index out of bounds");
    }));
    EXPECT_EQ(evaluations, 1);
    EXPECT_EQ(op.currentStep(), 116);
    EXPECT_EQ(messages.texts(),
              std::vector<std::u16string>{
                  u"Index out of bounds\r\nin Wordloom2021/08/31.Form1.PushButton2_Click at line "
                  u"116\r\rPlease email screenshot of this message to support@wordloom.app"});
    EXPECT_EQ(messages.shownMessages[0].title, u"Application Error");
    EXPECT_EQ(messages.shownMessages[0].style, 48);

    // Something that is no std::exception is reported too, with a wording of its own.
    EXPECT_TRUE(op.test(118, []() -> bool { throw 7; }));
    ASSERT_EQ(messages.shownMessages.size(), 2u);
    EXPECT_TRUE(messages.shownMessages[1].text.starts_with(
        u"An unexpected failure occurred.\r\nin Wordloom2021/08/31.Form1.PushButton2_Click at "
        u"line 118\r\r"));

    // Conditions that do not fail give their own value and no report.
    EXPECT_FALSE(op.test(120, [] { return false; }));
    EXPECT_TRUE(op.test(122, [] { return true; }));
    EXPECT_EQ(messages.shownMessages.size(), 2u);
    EXPECT_EQ(op.currentStep(), 122);
}

}  // namespace
}  // namespace wordloom::frame
