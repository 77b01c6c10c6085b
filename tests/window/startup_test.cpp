#include <gtest/gtest.h>

#include <filesystem>

#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;
using Key = fakes::FakeSettingsStore::Key;

Key optionKey(std::u16string_view name) {
    return Key{u"Quillmark", u"Wordloom Anagram Finder Studio", std::u16string(name)};
}

TEST(FormLoad, WithoutTheDictionaryShowsOnlyItsMessageAndEnds) {
    Form1Harness h(false);
    h.folder.write("WORDS.DIC", "cat\r\n");  // names are exact
    std::filesystem::create_directories(h.folder.path() / "words.dic" / "inside");  // not a file
    h.form->Form_Load();

    ASSERT_EQ(h.messages.shownMessages.size(), 1u);
    EXPECT_EQ(h.messages.shownMessages[0].text, u"Dictionary file not found.");
    EXPECT_EQ(h.messages.shownMessages[0].style, 0);
    EXPECT_EQ(h.messages.shownMessages[0].title, u"wordloom");
    EXPECT_TRUE(h.window.ended);
    EXPECT_EQ(h.window.caption, u"Form1");
    EXPECT_EQ(h.letterSets.columnCount(), 0);
    EXPECT_TRUE(h.settings.writes.empty());
}

TEST(FormLoad, FirstStartDressesTheWindowAndTicksTheDefaultLengths) {
    Form1Harness h;
    h.form->Form_Load();

    EXPECT_TRUE(h.messages.shownMessages.empty());
    EXPECT_FALSE(h.window.ended);
    EXPECT_EQ(h.window.caption, u"Wordloom Anagram Finder Studio");
    EXPECT_TRUE(h.window.hasProgramIcon);
    EXPECT_EQ(h.messages.title, u"Wordloom Anagram Finder");
    EXPECT_FALSE(h.window.buttonFaceColours);
    EXPECT_EQ(h.window.customPointerImage, u"");  // no HAND-M.CUR: silently none
    EXPECT_TRUE(h.shell.opened.empty());

    EXPECT_EQ(h.letterSets.table.headers, std::vector<std::u16string>{u"Scramble Letters"});
    EXPECT_EQ(h.letterSets.columnWidths, std::vector<int>{7000});
    EXPECT_EQ(h.results.list.table.headers, std::vector<std::u16string>{u"Unscramble Letters"});
    EXPECT_EQ(h.results.list.columnWidths, std::vector<int>{7000});

    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 1, 1, 1, 0, 0}));
    using Write = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(h.settings.writes,
              (std::vector<Write>{{u"Check3", u"1"}, {u"Check4", u"1"}, {u"Check5", u"1"}}));
    EXPECT_EQ(h.settings.values.count(optionKey(u"Check1")), 0u);

    ASSERT_NE(h.form->dictionary(), nullptr);
    EXPECT_EQ(h.form->dictionary()->words().size(), 11u);
    EXPECT_EQ(h.results.dictionary, h.form->dictionary());
}

TEST(FormLoad, TakesTheHandPointerAndSkinFromTheApplicationFolder) {
    Form1Harness h;
    h.folder.write("HAND-M.CUR", "cursor");
    h.folder.write("x/o.cjs", "skin");
    h.form->Form_Load();
    EXPECT_EQ(h.window.customPointerImage, h.folder.u16path() + u"/HAND-M.CUR");
    EXPECT_TRUE(h.window.buttonFaceColours);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(FormLoad, ReportsABadCursorAtStep114AndGoesOn) {
    Form1Harness h;
    h.folder.write("HAND-M.CUR", "not a cursor");
    h.window.fail.failNext.insert("setCustomPointerImage");
    h.form->Form_Load();
    ASSERT_EQ(h.reportedSteps(), std::vector<int>{114});
    EXPECT_EQ(h.messages.shownMessages[0].text,
              u"Simulated failure in setCustomPointerImage.\r\n"
              u"in Wordloom2021/08/31.Form1.Form_Load at line 114\r\r"
              u"Please email screenshot of this message to support@wordloom.app");
    EXPECT_EQ(h.letterSets.columnCount(), 1);
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 1, 1, 1, 0, 0}));
}

TEST(FormLoad, VisitsTheHomePageOnlyOnTheDrawSevenAndReportsAShellFailureAt116) {
    Form1Harness h;
    h.homePageDraw = 7;
    h.form->Form_Load();
    EXPECT_EQ(h.shell.opened, std::vector<std::u16string>{u"https://wordloom.app/"});

    Form1Harness failing;
    failing.homePageDraw = 7;
    failing.shell.fail.failNext.insert("openUrl");
    failing.form->Form_Load();
    EXPECT_EQ(failing.reportedSteps(), std::vector<int>{116});
    EXPECT_EQ(failing.letterSets.columnCount(), 1);
}

TEST(FormLoad, RestoresStoredOptionsTickingOnlyTheValueOne) {
    Form1Harness h;
    const std::vector<std::u16string> stored{u"2", u"-1", u"0", u"1.4", u"0.6", u"2.5", u"1"};
    for (std::size_t i = 0; i < stored.size(); ++i) {
        h.settings
            .values[optionKey(u"Check" + std::u16string(1, static_cast<char16_t>(u'1' + i)))] =
            stored[i];
    }
    h.form->Form_Load();
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 0, 1, 1, 0, 1}));
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(FormLoad, ReportsEachUnreadableOptionAtItsStepAndKeepsThatBoxClear) {
    Form1Harness h;
    h.settings.values[optionKey(u"Check2")] = u"abc";
    h.settings.values[optionKey(u"Check5")] = u"40000";
    h.form->Form_Load();
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{144, 150}));
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 1, 1, 0, 0, 0}));
    EXPECT_NE(h.messages.shownMessages[0].text.find(u"'abc' is not a number."),
              std::u16string::npos);
    ASSERT_NE(h.form->dictionary(), nullptr);  // start-up went on to the dictionary
}

TEST(FormLoad, ReportsAStoreThatFailsToReadAtThatBoxAndGoesOn) {
    Form1Harness h;
    h.settings.fail.failNext.insert("read");
    h.form->Form_Load();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{142});
    EXPECT_EQ(h.boxStates(), (std::vector<int>{0, 0, 1, 1, 1, 0, 0}));
}

TEST(FormLoad, ReportsListHeaderFailuresAtTheirStepsAndStillLoadsTheDictionary) {
    Form1Harness h;
    h.letterSets.fail.failNext.insert("setColumnWidth");
    h.results.list.fail.failNext.insert("addColumnHeader");
    h.window.fail.failNext.insert("setCaption");
    h.form->Form_Load();
    // A failed caption skips the rest of its step: the title stays the default. Without its
    // header the result list has no column to widen, so 140 fails as well.
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{108, 136, 138, 140}));
    EXPECT_EQ(h.messages.title, u"wordloom");
    EXPECT_NE(h.form->dictionary(), nullptr);
}

TEST(FormLoad, AnEmptyDictionaryStillOpensTheWindow) {
    Form1Harness h(false);
    h.folder.write("words.dic", "");
    h.form->Form_Load();
    EXPECT_TRUE(h.messages.shownMessages.empty());
    ASSERT_NE(h.form->dictionary(), nullptr);
    EXPECT_EQ(h.form->dictionary()->words().size(), 0u);
}

TEST(FormUnload, EndsTheProgram) {
    Form1Harness h;
    h.form->Form_Load();
    h.form->Form_Unload();
    EXPECT_TRUE(h.window.ended);
}

}  // namespace
}  // namespace wordloom::window
