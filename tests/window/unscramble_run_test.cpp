#include <gtest/gtest.h>

#include "engine/length_filter.h"
#include "engine/text.h"
#include "engine/words/matcher.h"
#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;
using Texts = std::vector<std::u16string>;

// What the engine finds for one letter set with the given lengths, as row texts.
Texts engineWords(const Form1Harness& h, std::u16string_view letters, engine::LengthMask lengths) {
    std::vector<std::uint32_t> found;
    engine::Unscramble(*h.form->dictionary(), engine::toLowerCase(letters), lengths, found);
    Texts words;
    for (auto position : found) {
        words.emplace_back(h.form->dictionary()->words()[position]);
    }
    return words;
}

Texts plus(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A window after start-up with the 2- to 4-letter boxes ticked.
struct RunHarness : Form1Harness {
    RunHarness() {
        loadFresh();
        setBoxes({0, 1, 1, 0, 0, 0, 0});
        settings.writes.clear();
    }
    static engine::LengthMask threeAndFour() { return engine::LengthMask::range(3, 4); }
};

TEST(StartUnscrambling, SaysNoLettersAddedForAnEmptyListAndKeepsTheResults) {
    RunHarness h;
    h.results.list.addRow({u"old"}, true);
    h.form->PushButton2_Click();
    EXPECT_EQ(h.plainMessages(), Texts{u"No letters added."});
    EXPECT_EQ(h.messages.shownMessages[0].style, 0);
    EXPECT_EQ(h.results.list.texts(), Texts{u"old"});
    EXPECT_TRUE(h.progress.values.empty());
    EXPECT_EQ(h.events.calls, 0);
}

TEST(StartUnscrambling, ListsTheEngineWordsOfEachLetterSetInOrder) {
    RunHarness h;
    h.results.addItem(u"old");
    for (auto letters : {u"tca", u"GOOD", u"tca"}) {
        h.letterSets.addItem(letters);
    }
    h.form->PushButton2_Click();
    const Texts cat = engineWords(h, u"tca", RunHarness::threeAndFour());
    const Texts good = engineWords(h, u"good", RunHarness::threeAndFour());
    EXPECT_EQ(cat, (Texts{u"act", u"cat"}));
    EXPECT_EQ(good, (Texts{u"dog", u"god", u"good"}));
    EXPECT_EQ(h.results.list.texts(), plus(plus(cat, good), cat));
    EXPECT_EQ(h.results.appendBatches, 3);
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
    EXPECT_TRUE(h.reportedSteps().empty());
}

TEST(StartUnscrambling, ShowsProgressPerLetterSetAndResetsItBeforeDone) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"x\\y\\dgo");
    int shapeAtDone = -1;
    double valueAtDone = -1;
    std::u16string textAtDone;
    h.messages.whileShown = [&] {
        shapeAtDone = h.window.shape;
        valueAtDone = h.progress.value;
        textAtDone = h.progress.text;
    };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.progress.values, (std::vector<double>{50, 100, 0}));
    EXPECT_EQ(h.progress.texts, (Texts{u"Processing: tca", u"Processing: dgo", u"Progress Bar"}));
    EXPECT_EQ(h.window.shapes, (std::vector<int>{11, 11, 0}));
    EXPECT_EQ(shapeAtDone, 0);
    EXPECT_EQ(valueAtDone, 0);
    EXPECT_EQ(textAtDone, u"Progress Bar");
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
}

TEST(StartUnscrambling, ShowsTheHourglassOnlyAfterTheFirstYield) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    std::vector<int> shapesInYields;
    h.events.duringYield = [&](int) { shapesInYields.push_back(h.window.shape); };
    h.form->PushButton2_Click();
    EXPECT_EQ(shapesInYields, (std::vector<int>{0, 11}));
}

TEST(StartUnscrambling, SkipsLetterSetsShorterThanTwoOrLongerThan27) {
    RunHarness h;
    h.letterSets.addItem(u"a");
    h.letterSets.addItem(std::u16string(28, u'a'));
    h.letterSets.addItem(u"");
    h.form->PushButton2_Click();
    EXPECT_EQ(h.results.count(), 0);
    EXPECT_EQ(h.events.calls, 3);
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
    EXPECT_TRUE(h.reportedSteps().empty());
}

TEST(StartUnscrambling, RunsTheLetterSetsItStartedWithWhenTheListChangesDuringAYield) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    h.events.duringYield = [&](int call) {
        if (call == 1) {
            h.form->PushButton3_Click();  // not busy yet: the list empties
        }
    };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.letterSets.count(), 0);
    EXPECT_TRUE(h.reportedSteps().empty());
    EXPECT_EQ(h.results.list.texts(), plus(engineWords(h, u"tca", RunHarness::threeAndFour()),
                                           engineWords(h, u"dgo", RunHarness::threeAndFour())));
    EXPECT_EQ(h.progress.values, (std::vector<double>{50, 100, 0}));
}

TEST(StartUnscrambling, LeavesOutLetterSetsAddedDuringTheRunAndRefusesClearWhileBusy) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    h.events.duringYield = [&](int call) {
        if (call == 2) {
            h.inputBox.nextInputBoxReply = {u"tact"};
            h.form->PushButton1_Click();
            h.form->PushButton3_Click();  // refused: the hourglass shows
        }
    };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"tca", u"dgo", u"tact"}));
    EXPECT_EQ(h.events.calls, 2);
    EXPECT_EQ(h.progress.values, (std::vector<double>{50, 100, 0}));
}

TEST(StartUnscrambling, IgnoresASecondClickWhileRunning) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.events.duringYield = [&](int) { h.form->PushButton2_Click(); };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.events.calls, 1);
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
    EXPECT_EQ(h.results.list.texts(), engineWords(h, u"tca", RunHarness::threeAndFour()));

    h.events.duringYield = nullptr;
    h.form->PushButton2_Click();  // idle again: a new run replaces the results
    EXPECT_EQ(h.plainMessages(), (Texts{u"Done.", u"Done."}));
    EXPECT_EQ(h.results.list.texts(), engineWords(h, u"tca", RunHarness::threeAndFour()));
}

TEST(StartUnscrambling, ReadsTheLengthBoxesLive) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"tca");
    h.events.duringYield = [&](int call) {
        if (call == 2) {
            h.boxes[0].click();  // 2-letter words from now on
        }
    };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.results.list.texts(),
              plus(engineWords(h, u"tca", RunHarness::threeAndFour()),
                   engineWords(h, u"tca", engine::LengthMask::range(2, 4))));
    EXPECT_NE(engineWords(h, u"tca", engine::LengthMask::range(2, 4)),
              engineWords(h, u"tca", RunHarness::threeAndFour()));
}

TEST(StartUnscrambling, ClearResultsDuringTheRunKeepsOnlyLaterRows) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    h.events.duringYield = [&](int call) {
        if (call == 2) {
            h.results.clear();
        }
    };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.results.list.texts(), engineWords(h, u"dgo", RunHarness::threeAndFour()));
}

TEST(StartUnscrambling, ReportsAFailedStepAndGoesOnWithTheNextLetterSet) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    h.progress.fail.failNext.insert("setValue");
    h.results.list.fail.failNext.insert("appendWords");
    h.form->PushButton2_Click();
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{108, 118}));
    EXPECT_EQ(h.messages.shownMessages[0].text,
              u"Simulated failure in setValue.\r\nin Wordloom2021/08/31.Form1.PushButton2_Click "
              u"at line 108\r\rPlease email screenshot of this message to support@wordloom.app");
    EXPECT_EQ(h.results.list.texts(), engineWords(h, u"dgo", RunHarness::threeAndFour()));
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
}

// The test at step 100 counts as true when the list cannot be counted: one report, then the
// branch for an empty list, which leaves the results alone.
TEST(StartUnscrambling, ListThatCannotBeCountedIsReportedOnceAndTreatedAsEmpty) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.results.list.addRow({u"old"}, true);
    h.letterSets.fail.failNext.insert("count");
    h.form->PushButton2_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{100});
    EXPECT_EQ(h.messages.shownMessages[0].text,
              u"Simulated failure in count.\r\nin Wordloom2021/08/31.Form1.PushButton2_Click at "
              u"line 100\r\rPlease email screenshot of this message to support@wordloom.app");
    EXPECT_EQ(h.plainMessages(), Texts{u"No letters added."});
    EXPECT_EQ(h.results.list.texts(), Texts{u"old"});
    EXPECT_EQ(h.events.calls, 0);
    EXPECT_TRUE(h.window.shapes.empty());

    h.form->PushButton2_Click();  // the run is not left marked busy
    EXPECT_EQ(h.results.list.texts(), engineWords(h, u"tca", RunHarness::threeAndFour()));
}

TEST(StartUnscrambling, LetterSetsThatCannotBeReadAreReportedOnceAndTheRunEndsCleanly) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.results.list.addRow({u"old"}, true);
    h.letterSets.fail.failNext.insert("snapshot");
    h.form->PushButton2_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{104});
    EXPECT_EQ(h.results.count(), 0);  // step 102 ran before the failure
    EXPECT_EQ(h.events.calls, 0);
    EXPECT_EQ(h.progress.values, std::vector<double>{0});
    EXPECT_EQ(h.window.shapes, std::vector<int>{0});
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
}

// Step 108 counts the list again for every letter set; when that fails the letter set still runs.
TEST(StartUnscrambling, CountFailingDuringTheRunIsReportedPerLetterSetAndTheRunGoesOn) {
    RunHarness h;
    h.letterSets.addItem(u"tca");
    h.letterSets.addItem(u"dgo");
    h.events.duringYield = [&](int) { h.letterSets.fail.failAlways.insert("count"); };
    h.form->PushButton2_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{108});
    EXPECT_EQ(h.progress.values, (std::vector<double>{50, 0}));
    EXPECT_EQ(h.results.list.texts(), plus(engineWords(h, u"tca", RunHarness::threeAndFour()),
                                           engineWords(h, u"dgo", RunHarness::threeAndFour())));
    EXPECT_EQ(h.plainMessages(), Texts{u"Done."});
}

}  // namespace
}  // namespace wordloom::window
