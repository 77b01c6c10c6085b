#include <gtest/gtest.h>

#include "output/spreadsheet_export.h"
#include "output_fixture.h"

namespace {

using Cells = std::map<std::pair<int, int>, std::u16string>;

constexpr std::u16string_view kOperation = u"Form1.PushButton13_Click";
const std::u16string kNotInstalledForSoftware(wordloom::output::kNotInstalledForSoftware);
const std::u16string kNotInstalledForFeature(wordloom::output::kNotInstalledForFeature);

}  // namespace

TEST(SpreadsheetAvailability, IsSilentWhenAvailableAndSaysSoWhenNot) {
    OutputFixture f;
    EXPECT_TRUE(f.output.SaveResultsAsExcelFileIsExcelInstalled());
    EXPECT_TRUE(f.messages.shownMessages.empty());

    f.spreadsheets.available = false;
    EXPECT_FALSE(f.output.SaveResultsAsExcelFileIsExcelInstalled());
    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text, kNotInstalledForSoftware);
    EXPECT_EQ(f.messages.shownMessages[0].style, 0);
}

TEST(SpreadsheetExport, MissingApplicationGivesTwoMessagesAndStops) {
    OutputFixture f;
    f.spreadsheets.available = false;
    f.addWord(u"cat", true);
    f.output.PushButton13_Click();
    EXPECT_EQ(f.messages.texts(),
              (std::vector<std::u16string>{kNotInstalledForSoftware, kNotInstalledForFeature}));
    EXPECT_EQ(f.messages.shownMessages[1].style, 0);
    EXPECT_TRUE(f.spreadsheets.sessions.empty());
    EXPECT_TRUE(f.Form1.shapes.empty());
}

TEST(SpreadsheetExport, EmptyListStopsSilentlyAfterTheAvailabilityTest) {
    OutputFixture f;
    f.output.PushButton13_Click();
    EXPECT_EQ(f.spreadsheets.availabilityChecks, 1);
    EXPECT_TRUE(f.spreadsheets.sessions.empty());
    EXPECT_TRUE(f.messages.shownMessages.empty());
    EXPECT_TRUE(f.Form1.shapes.empty());
}

TEST(SpreadsheetExport, UntickedRowsLeaveEmptySheetRows) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.addWord(u"tac", false);
    f.addWord(u"act", true);
    f.events.duringYield = [&](int) { f.ListView2.clear(); };  // works from the rows at the start
    f.output.PushButton13_Click();
    ASSERT_EQ(f.spreadsheets.sessions.size(), 1u);
    const auto& sheet = *f.spreadsheets.sessions[0];
    EXPECT_EQ(sheet.cells,
              (Cells{{{1, 1}, u"Unscramble Letters"}, {{2, 1}, u"cat"}, {{4, 1}, u"act"}}));
    EXPECT_TRUE(sheet.workbookAdded && sheet.autoFitted && sheet.shown);
    EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0}));
    EXPECT_TRUE(f.messages.shownMessages.empty());
}

TEST(SpreadsheetExport, NoTickedRowGivesOnlyTheHeader) {
    OutputFixture f;
    f.addWord(u"cat", false);
    f.output.PushButton13_Click();
    const auto& sheet = *f.spreadsheets.sessions.at(0);
    EXPECT_EQ(sheet.cells, (Cells{{{1, 1}, u"Unscramble Letters"}}));
    EXPECT_TRUE(sheet.shown);
}

TEST(SpreadsheetExport, SkipsEmptyValuesWithoutGapsAndDropsEqualsSigns) {
    OutputFixture f;
    f.ListView2.list.table.headers = {u"A", u"B", u"C"};
    f.ListView2.list.addRow({u"", u"b", u"=x"}, true);  // row 1 decides which headers appear
    f.ListView2.list.addRow({u"=v", u"==", u"y"}, true);
    f.output.PushButton13_Click();
    EXPECT_EQ(f.spreadsheets.sessions.at(0)->cells, (Cells{{{1, 1}, u"B"},
                                                           {{1, 2}, u"C"},
                                                           {{2, 1}, u"b"},
                                                           {{2, 2}, u"x"},
                                                           {{3, 1}, u"=v"},
                                                           {{3, 2}, u""},
                                                           {{3, 3}, u"y"}}));
}

TEST(SpreadsheetExport, WorkbookFailureIsReportedOnceAndThePointerRestored) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.spreadsheets.nextSessionFail.failAlways.insert("addWorkbook");
    f.output.PushButton13_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::u16string>{reportFor(
                                      u"Simulated failure in addWorkbook.", kOperation, 114)});
    const auto& sheet = *f.spreadsheets.sessions.at(0);
    EXPECT_TRUE(sheet.cells.empty());
    EXPECT_FALSE(sheet.autoFitted || sheet.shown);
    EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0}));
}

TEST(SpreadsheetExport, SessionFailureIsReportedOnceAndThePointerRestored) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.spreadsheets.fail.failNext.insert("start");
    f.output.PushButton13_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::u16string>{
                                      reportFor(u"Simulated failure in start.", kOperation, 112)});
    EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0}));
}

TEST(SpreadsheetExport, CellFailureIsReportedAndTheExportGoesOn) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.addWord(u"act", true);
    f.spreadsheets.nextSessionFail.failNext.insert("setCell");  // the header cell
    f.output.PushButton13_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::u16string>{reportFor(
                                      u"Simulated failure in setCell.", kOperation, 126)});
    const auto& sheet = *f.spreadsheets.sessions.at(0);
    EXPECT_EQ(sheet.cells, (Cells{{{2, 1}, u"cat"}, {{3, 1}, u"act"}}));
    EXPECT_TRUE(sheet.shown);
}

// A result list that cannot be read at step 108 counts as empty once reported: the export stops
// before it starts a session or shows the hourglass, instead of working on rows it never read.
TEST(SpreadsheetExport, ResultListThatCannotBeReadIsReportedOnceAndTheExportStops) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.ListView2.list.fail.failNext.insert("snapshot");
    f.output.PushButton13_Click();
    EXPECT_EQ(f.messages.texts(), std::vector<std::u16string>{reportFor(
                                      u"Simulated failure in snapshot.", kOperation, 108)});
    EXPECT_EQ(f.spreadsheets.availabilityChecks, 1);
    EXPECT_TRUE(f.spreadsheets.sessions.empty());
    EXPECT_TRUE(f.Form1.shapes.empty());

    f.output.PushButton13_Click();  // readable again: the next export runs in full
    ASSERT_EQ(f.spreadsheets.sessions.size(), 1u);
    EXPECT_EQ(f.spreadsheets.sessions[0]->cells,
              (Cells{{{1, 1}, u"Unscramble Letters"}, {{2, 1}, u"cat"}}));
    EXPECT_EQ(f.messages.shownMessages.size(), 1u);
}
