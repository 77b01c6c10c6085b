#include "window/word_length_options.h"

#include <gtest/gtest.h>

#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;
using Write = std::pair<std::u16string, std::u16string>;

TEST(StoreWordLengthOption, StoresEachChangeUnderTheBoxesOwnKey) {
    Form1Harness h;
    h.loadFresh();
    h.boxes[0].click();
    h.boxes[0].click();
    h.boxes[6].click();
    EXPECT_EQ(h.settings.writes,
              (std::vector<Write>{{u"Check1", u"1"}, {u"Check1", u"0"}, {u"Check7", u"1"}}));
    h.boxes[6].setState(1);  // no change, nothing stored
    EXPECT_EQ(h.settings.writes.size(), 3u);
}

TEST(StoreWordLengthOption, DropsARefusedWriteWithoutAMessage) {
    Form1Harness h;
    h.loadFresh();
    h.settings.fail.failAlways.insert("write");
    h.boxes[1].click();
    EXPECT_EQ(h.boxes[1].current, 1);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(StoreWordLengthOption, ATickSurvivesARestart) {
    fakes::FakeSettingsStore keptStore;
    {
        Form1Harness h;
        h.form->Form_Load();
        h.boxes[6].click();
        h.boxes[2].click();
        keptStore.values = h.settings.values;
    }
    Form1Harness restarted;
    restarted.settings.values = keptStore.values;
    restarted.form->Form_Load();
    EXPECT_EQ(restarted.boxStates(), (std::vector<int>{0, 0, 0, 1, 1, 0, 1}));
}

TEST(CheckBoxLengthFilter, ReadsTheBoxOfEachLengthAtTheMomentItIsAsked) {
    Form1Harness h;
    WordLengthBoxes boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = &h.boxes[i];
    }
    const CheckBoxLengthFilter filter(boxes);
    EXPECT_FALSE(filter.wants(2));
    h.boxes[0].current = 1;
    EXPECT_TRUE(filter.wants(2));
    h.boxes[6].current = 1;
    EXPECT_TRUE(filter.wants(8));
    h.boxes[5].current = 2;  // grey is not ticked
    EXPECT_FALSE(filter.wants(7));
    for (auto& box : h.boxes) {
        box.current = 1;
    }
    EXPECT_FALSE(filter.wants(1));
    EXPECT_FALSE(filter.wants(9));
    EXPECT_FALSE(filter.wants(0));
}

}  // namespace
}  // namespace wordloom::window
