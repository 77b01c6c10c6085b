#include <gtest/gtest.h>

#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;

TEST(PointerMoved, ShowsTheHandOverButtonsAndTheArrowElsewhere) {
    Form1Harness h;
    h.form->PointerMoved(PointerArea::PushButton);
    EXPECT_EQ(h.window.shape, 99);
    for (PointerArea area : {PointerArea::ListView, PointerArea::Frame, PointerArea::Form}) {
        h.window.shape = 99;
        h.form->PointerMoved(area);
        EXPECT_EQ(h.window.shape, 0);
    }
    h.form->PointerMoved(PointerArea::Form);  // set again even when it already is the arrow
    EXPECT_EQ(h.window.shapes.back(), 0);
}

TEST(PointerMoved, NeverReplacesTheHourglass) {
    Form1Harness h;
    h.window.shape = 11;
    for (PointerArea area :
         {PointerArea::PushButton, PointerArea::ListView, PointerArea::Frame, PointerArea::Form}) {
        h.form->PointerMoved(area);
    }
    EXPECT_EQ(h.window.shape, 11);
    EXPECT_TRUE(h.window.shapes.empty());
}

TEST(PointerMoved, IgnoresItsOwnFailures) {
    Form1Harness h;
    h.window.fail.failNext.insert("setPointerShape");
    h.form->PointerMoved(PointerArea::PushButton);
    EXPECT_EQ(h.window.shape, 0);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

}  // namespace
}  // namespace wordloom::window
