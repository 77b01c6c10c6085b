#include <gtest/gtest.h>

#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;
using Texts = std::vector<std::u16string>;

TEST(AddLetters, AsksAndAppendsTheReplyExactlyAsTyped) {
    Form1Harness h;
    h.loadFresh();
    h.inputBox.nextInputBoxReply = {u"  ab c ", u"ABC", u"ABC", u"\t"};
    for (int i = 0; i < 4; ++i) {
        h.form->PushButton1_Click();
    }
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"  ab c ", u"ABC", u"ABC", u"\t"}));
    ASSERT_EQ(h.inputBox.asked.size(), 4u);
    EXPECT_EQ(h.inputBox.asked[0].first, u"Please enter letters: ");
    EXPECT_EQ(h.inputBox.asked[0].second, u"Enter Letters");
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(AddLetters, AddsNothingForACancelledEmptyOrBlankReply) {
    Form1Harness h;
    h.loadFresh();
    h.inputBox.nextInputBoxReply = {u"", u"   "};
    for (int i = 0; i < 3; ++i) {
        h.form->PushButton1_Click();  // the third finds no reply: cancelled
    }
    EXPECT_EQ(h.letterSets.count(), 0);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(AddLetters, ReportsFailuresAtTheirSteps) {
    Form1Harness h;
    h.loadFresh();
    h.inputBox.fail.failNext.insert("ask");
    h.form->PushButton1_Click();  // no reply: the blank test ends it
    h.inputBox.nextInputBoxReply = {u"abc"};
    h.letterSets.fail.failNext.insert("addItem");
    h.form->PushButton1_Click();
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{100, 104}));
    EXPECT_EQ(h.letterSets.count(), 0);
}

TEST(AddLetters, AppendsEvenWhileBusy) {
    Form1Harness h;
    h.loadFresh();
    h.window.shape = 11;
    h.inputBox.nextInputBoxReply = {u"abc"};
    h.form->PushButton1_Click();
    EXPECT_EQ(h.letterSets.texts(), Texts{u"abc"});
}

TEST(ClearList, EmptiesTheListUnlessBusy) {
    Form1Harness h;
    h.loadFresh();
    h.letterSets.addItem(u"abc");
    h.results.addItem(u"kept");
    h.window.shape = 11;
    h.form->PushButton3_Click();
    EXPECT_EQ(h.letterSets.count(), 1);
    h.window.shape = 99;
    h.form->PushButton3_Click();
    EXPECT_EQ(h.letterSets.count(), 0);
    EXPECT_EQ(h.results.count(), 1);
    h.form->PushButton3_Click();  // an empty list: nothing to say
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(ClearList, ReportsFailureAtStep100AndEnds) {
    Form1Harness h;
    h.loadFresh();
    h.letterSets.fail.failNext.insert("clear");
    h.form->PushButton3_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{100});
    EXPECT_EQ(h.messages.shownMessages[0].text,
              u"Simulated failure in clear.\r\nin Wordloom2021/08/31.Form1.PushButton3_Click at "
              u"line 100\r\rPlease email screenshot of this message to support@wordloom.app");
}

TEST(RemoveSelectedLetterSet, DeleteWithAnyModifiersOrDoubleClickRemovesTheSelectedEntry) {
    Form1Harness h;
    h.loadFresh();
    for (auto text : {u"a", u"b", u"c", u"d", u"e"}) {
        h.letterSets.addItem(text);
    }
    h.letterSets.selected = 2;
    h.form->ListView1_KeyDown(46, false, false, false);
    h.form->ListView1_KeyDown(46, true, false, false);
    h.form->ListView1_KeyDown(46, false, true, true);
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"a", u"e"}));
    h.letterSets.selected = 1;
    h.form->ListView1_DblClick();
    EXPECT_EQ(h.letterSets.texts(), Texts{u"e"});
}

TEST(RemoveSelectedLetterSet, RemovesNothingForOtherKeysNoSelectionOrWhileBusy) {
    Form1Harness h;
    h.loadFresh();
    h.form->ListView1_KeyDown(46, false, false, false);  // empty list
    h.letterSets.addItem(u"a");
    h.letterSets.addItem(u"b");
    h.form->ListView1_DblClick();  // nothing selected
    h.letterSets.selected = 1;
    h.form->ListView1_KeyDown(8, false, false, false);
    h.form->ListView1_KeyDown(45, false, false, false);
    h.window.shape = 11;
    h.form->ListView1_KeyDown(46, false, false, false);
    h.form->ListView1_DblClick();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"a", u"b"}));

    h.window.shape = 0;
    h.letterSets.fail.failNext.insert("removeItem");
    h.form->ListView1_DblClick();
    EXPECT_EQ(h.letterSets.count(), 2);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(LoadSampleData, AppendsTheSamplesAndTicksOnlySevenAndEightLetters) {
    Form1Harness h;
    h.loadFresh();
    h.form->PushButton6_Click();
    h.form->PushButton6_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"tatuprec", u"wireless", u"tatuprec", u"wireless"}));
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 0, 0, 0, 1, 1}));
    using Write = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(h.settings.writes, (std::vector<Write>{{u"Check3", u"0"},
                                                     {u"Check4", u"0"},
                                                     {u"Check5", u"0"},
                                                     {u"Check6", u"1"},
                                                     {u"Check7", u"1"}}));
}

TEST(LoadSampleData, ReportsAFailedStepAndCarriesOn) {
    Form1Harness h;
    h.loadFresh();
    h.letterSets.fail.failNext.insert("addItem");
    h.boxes[2].fail.failNext.insert("setState");
    h.form->PushButton6_Click();
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{100, 108}));
    EXPECT_EQ(h.letterSets.texts(), Texts{u"wireless"});
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 1, 0, 0, 1, 1}));
}

}  // namespace
}  // namespace wordloom::window
