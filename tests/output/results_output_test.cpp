#include "output/results_output.h"

#include <gtest/gtest.h>

#include "file_helpers.h"
#include "output_fixture.h"

namespace {

const std::u16string kConfirmation =
    u"Results have been copied to the clipboard.\r\r"
    u"Click a text area where you normally type and press Ctrl+V to paste the clipboard.";

// A result list whose rows cannot be read.
class UnreadableList : public fakes::FakeResultListView {
public:
    std::shared_ptr<const wordloom::platform::TableSnapshot> snapshot() const override {
        throw wordloom::platform::ListIndexError("Index out of bounds");
    }
};

}  // namespace

TEST(ClearResults, EmptiesTheListAndKeepsItsColumn) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.output.PushButton7_Click();
    EXPECT_EQ(f.ListView2.count(), 0);
    EXPECT_EQ(f.ListView2.columnCount(), 1);
    EXPECT_TRUE(f.messages.shownMessages.empty());
}

TEST(ClearResults, ReportsFailureAtStep100AndEnds) {
    OutputFixture f;
    f.ListView2.list.fail.failNext.insert("clear");
    f.output.PushButton7_Click();
    EXPECT_EQ(f.messages.texts(),
              std::vector<std::u16string>{
                  reportFor(u"Simulated failure in clear.", u"Form1.PushButton7_Click", 100)});
}

TEST(CopyResults, CopiesTickedWordsAndConfirmsWithTheApplicationTitle) {
    OutputFixture f;
    f.messages.title = u"Wordloom Anagram Finder Studio";
    f.addWord(u"cat", true);
    f.addWord(u"scattered", false);
    f.addWord(u"act", true);
    f.output.PushButton8_Click();
    EXPECT_EQ(f.clipboard.content, u"cat\r\nact\r\n");
    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text, kConfirmation);
    EXPECT_EQ(f.messages.shownMessages[0].style, 0);
    EXPECT_EQ(f.messages.shownMessages[0].title, u"Wordloom Anagram Finder Studio");
}

TEST(CopyResults, ConfirmsEvenWhenNothingWasCopied) {
    OutputFixture empty;
    empty.output.PushButton8_Click();
    EXPECT_EQ(empty.clipboard.content, u"(untouched)");
    EXPECT_EQ(empty.messages.texts(), std::vector<std::u16string>{kConfirmation});

    OutputFixture noneTicked;
    noneTicked.addWord(u"cat", false);
    noneTicked.clipboard.failuresLeft = 3;  // clipboard trouble is never reported
    noneTicked.output.PushButton8_Click();
    EXPECT_EQ(noneTicked.clipboard.content, u"");
    EXPECT_EQ(noneTicked.messages.texts(), std::vector<std::u16string>{kConfirmation});
}

TEST(CopyResults, ReadFailureIsReportedAtStep106ThenConfirmed) {
    OutputFixture f;
    UnreadableList list;
    wordloom::output::ResultsOutput output{{list, f.ProgressBar1, f.Form1, f.messages,
                                            f.CommonDialog1, f.clipboard, f.spreadsheets,
                                            f.events}};
    output.PushButton8_Click();
    EXPECT_EQ(
        f.messages.texts(),
        (std::vector<std::u16string>{
            reportFor(u"Index out of bounds", u"Form1.PushButton8_Click", 106), kConfirmation}));
    EXPECT_EQ(f.clipboard.content, u"(untouched)");
}

TEST(SaveResults, AsksForATextFileAndWritesIt) {
    OutputFixture f;
    fakes::TempFolder folder;
    f.addWord(u"cat", true);
    f.CommonDialog1.nextSaveReply.push_back(nameIn(folder, "results.txt"));

    f.output.PushButton5_Click();

    ASSERT_EQ(f.CommonDialog1.saveRequests.size(), 1u);
    const auto& request = f.CommonDialog1.saveRequests[0];
    EXPECT_EQ(request.title, u"Save");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].caption, u"Text Files (*.txt)");
    EXPECT_EQ(request.filters[0].pattern, u"*.txt");
    EXPECT_EQ(request.filters[1].caption, u"All Files (*.*)");
    EXPECT_EQ(request.filters[1].pattern, u"*");
    EXPECT_EQ(request.offeredName, u"");
    EXPECT_EQ(request.flags, 0x280201u);
    EXPECT_EQ(readBytes(folder.path() / "results.txt"),
              "Unscramble Letters\t\r\ncat" + std::string(15, ' ') + "\t\r\n");
    EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0}));
    EXPECT_TRUE(f.messages.shownMessages.empty());
}

TEST(SaveResults, CancelledDialogDoesNothing) {
    OutputFixture f;
    f.addWord(u"cat", true);
    f.output.PushButton5_Click();
    EXPECT_TRUE(f.Form1.shapes.empty());
    EXPECT_TRUE(f.ProgressBar1.values.empty());
    EXPECT_TRUE(f.messages.shownMessages.empty());
}

TEST(SaveResults, OffersTheNameOfTheLastSuccessfulSaveOnly) {
    OutputFixture f;
    fakes::TempFolder folder;
    f.CommonDialog1.nextSaveReply = {nameIn(folder, "first.txt"),
                                     nameIn(folder, "missing/second.txt"), u""};
    f.output.PushButton5_Click();
    f.output.PushButton5_Click();  // fails: its folder does not exist
    f.output.PushButton5_Click();
    ASSERT_EQ(f.CommonDialog1.saveRequests.size(), 3u);
    EXPECT_EQ(f.CommonDialog1.saveRequests[1].offeredName, nameIn(folder, "first.txt"));
    EXPECT_EQ(f.CommonDialog1.saveRequests[2].offeredName, nameIn(folder, "first.txt"));
    EXPECT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0, 11, 0}));
}

TEST(SaveResults, DialogFailureIsReportedAtStep112AndEndsTheCommand) {
    OutputFixture f;
    f.CommonDialog1.fail.failNext.insert("showSave");
    f.output.PushButton5_Click();
    EXPECT_EQ(f.messages.texts(),
              std::vector<std::u16string>{
                  reportFor(u"Simulated failure in showSave.", u"Form1.PushButton5_Click", 112)});
    EXPECT_TRUE(f.Form1.shapes.empty());
}

TEST(SaveResults, EachDialogSettingFailsAtItsOwnLineAndTheSaveGoesOn) {
    const struct {
        const char* setting;
        int step;
    } cases[] = {{"setFlags", 106}, {"setDialogTitle", 108}, {"setFilter", 110}};
    for (const auto& c : cases) {
        OutputFixture f;
        fakes::TempFolder folder;
        f.addWord(u"cat", true);
        f.CommonDialog1.nextSaveReply.push_back(nameIn(folder, "results.txt"));
        f.CommonDialog1.fail.failNext.insert(c.setting);

        f.output.PushButton5_Click();

        const std::string setting = c.setting;
        EXPECT_EQ(f.messages.texts(), std::vector<std::u16string>{reportFor(
                                          u"Simulated failure in " +
                                              std::u16string(setting.begin(), setting.end()) + u".",
                                          u"Form1.PushButton5_Click", c.step)})
            << c.setting;
        EXPECT_EQ(f.CommonDialog1.saveRequests.size(), 1u) << c.setting;
        EXPECT_EQ(entryCount(folder.path()), 1) << c.setting;
        EXPECT_EQ(f.Form1.shapes, (std::vector<int>{11, 0})) << c.setting;
    }
}
