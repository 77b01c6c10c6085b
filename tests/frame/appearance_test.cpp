#include "frame/appearance.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_services.h"
#include "fakes/temp_folder.h"

namespace wordloom::frame {
namespace {

TEST(SetApplicationTitle, DropsTheLastWordOfTheProductName) {
    fakes::FakeMessageBox messages;
    SetApplicationTitle(messages);
    EXPECT_EQ(messages.title, u"Wordloom Anagram Finder");
}

TEST(SetApplicationTitle, DropsWordsWhileLongerThanFortyCharacters) {
    // 49 characters: cut to 41, then 36.
    EXPECT_EQ(applicationTitleFor(u"Wordloom Anagram Finder Studio Extra Long Edition"),
              u"Wordloom Anagram Finder Studio Extra");
    EXPECT_EQ(applicationTitleFor(u"Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel XY"),
              u"Alpha Bravo Charlie Delta Echo Foxtrot");
    EXPECT_EQ(applicationTitleFor(u"Wordloom"), u"Wordloom");
}

TEST(FileExists, IsTrueOnlyForAPathWhoseTimeCanBeRead) {
    fakes::TempFolder folder;
    const auto file = folder.write("HAND-M.CUR", "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(u""));
    EXPECT_FALSE(FileExists(joinPath(folder.u16path(), u"missing.txt")));
    EXPECT_FALSE(FileExists(joinPath(folder.u16path(), u"missing/HAND-M.CUR")));
    EXPECT_FALSE(FileExists(joinPath(folder.u16path(), u"hand-m.cur")));
}

TEST(ApplySkin, UsesButtonFaceColoursOnlyWithTheExactSkinFile) {
    fakes::TempFolder folder;
    fakes::FakeMainWindow window;
    ApplySkin(window, folder.u16path());
    EXPECT_FALSE(window.buttonFaceColours);

    folder.write("X/O.CJS", "skin");
    std::filesystem::create_directories(folder.path() / "x" / "o.cjs");  // a folder, not a file
    ApplySkin(window, folder.u16path());
    EXPECT_FALSE(window.buttonFaceColours);

    fakes::TempFolder skinned;
    skinned.write("x/o.cjs", "skin");
    ApplySkin(window, skinned.u16path());
    EXPECT_TRUE(window.buttonFaceColours);
}

TEST(OccasionalHomePageVisit, OpensTheHomePageOnlyForTheDrawSeven) {
    fakes::FakeShell shell;
    for (int draw : {1, 6, 8, 100}) {
        OccasionalHomePageVisit(shell, [draw] { return draw; });
    }
    EXPECT_TRUE(shell.opened.empty());
    OccasionalHomePageVisit(shell, [] { return 7; });
    EXPECT_EQ(shell.opened, std::vector<std::u16string>{std::u16string(HomePageAddress)});

    shell.fail.failNext.insert("openUrl");
    EXPECT_THROW(OccasionalHomePageVisit(shell, [] { return 7; }), std::runtime_error);
}

TEST(OccasionalHomePageVisit, DrawsFromOneToAHundred) {
    for (int i = 0; i < 1000; ++i) {
        const int draw = drawHomePageNumber();
        ASSERT_GE(draw, 1);
        ASSERT_LE(draw, 100);
    }
}

}  // namespace
}  // namespace wordloom::frame
