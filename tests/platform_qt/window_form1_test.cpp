#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_list_views.h"
#include "platform/qt/qt_text.h"
#include "platform/window_layout.h"
#include "qt_test_application.h"

namespace qt = wordloom::platform::qt;
namespace platform = wordloom::platform;
using Zone = qt::Form1Widget::PointerZone;

namespace {

QWidget* control(const qt::Form1Widget& form, std::u16string_view name) {
    return form.findChild<QWidget*>(qt::toQString(name));
}

std::string name(const QColor& colour) {
    return colour.name().toStdString();
}

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

}  // namespace

TEST(Form1Widget, HasEveryControlWithItsNameCaptionAndGeometry) {
    qt_test::application();
    qt::Form1Widget form;
    EXPECT_EQ(form.size(), QSize(536, 644));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    for (const platform::ControlLayout& layout : platform::MainWindowLayout) {
        SCOPED_TRACE(qt::toQString(layout.name).toStdString());
        QWidget* widget = control(form, layout.name);
        ASSERT_NE(widget, nullptr);
        const QRect expected(qRound(layout.left / 15.0), qRound(layout.top / 15.0),
                             qRound(layout.width / 15.0), qRound(layout.height / 15.0));
        EXPECT_EQ(widget->geometry(), expected);
        const QString caption = qt::toQString(layout.caption);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), caption);
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            EXPECT_EQ(box->title(), caption);
        }
        EXPECT_FALSE(widget->accessibleName().isEmpty());
        if (layout.kind == platform::ControlKind::CheckBox) {
            EXPECT_EQ(widget->parentWidget(), &form.frame1());
        }
    }
    EXPECT_EQ(form.pushButton(3).size(), QSize(256, 27));
    EXPECT_EQ(form.progressBar1().text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(form.listView1().accessibleName(), QStringLiteral("Scramble Letters"));
    EXPECT_EQ(form.listView2().accessibleName(), QStringLiteral("Unscramble Letters"));
    EXPECT_EQ(form.listView1().toolTip(), qt::toQString(platform::ListView1ToolTip));
    EXPECT_EQ(form.listView2().toolTip(), qt::toQString(platform::ListView2ToolTip));
}

TEST(Form1Widget, UsesArialBoldInTheDesignedSizes) {
    qt_test::application();
    qt::Form1Widget form;
    const auto expectFont = [](const QWidget& widget, double points) {
        SCOPED_TRACE(widget.objectName().toStdString());
        EXPECT_EQ(widget.font().family(), QStringLiteral("Arial"));
        EXPECT_TRUE(widget.font().bold());
        EXPECT_DOUBLE_EQ(widget.font().pointSizeF(), points);
    };
    expectFont(form, 9);
    expectFont(form.frame1(), 9);
    expectFont(form.check(7), 9);
    expectFont(form.listView2(), 9);
    expectFont(form.pushButton(13), 11.25);
}

// The colours are read off the drawn window, not off the palettes: a style may ignore a palette
// colour or paint its own panel over it.
TEST(Form1Widget, DrawsWhiteButtonsFrameAndCheckBoxesAndTheSkinResetTurnsOnlyTheseToFace) {
    qt_test::application();
    qt::Form1Widget form;
    showActive(form);
    form.pushButton(7).setFocus();
    const std::string white = "#ffffff";
    const std::string face = name(QApplication::palette().color(QPalette::Button));
    ASSERT_NE(face, white);
    const auto expectBackgrounds = [&form](const std::string& buttons, const std::string& rest) {
        QApplication::processEvents();
        const QImage shot = form.grab().toImage();
        const auto at = [&](const QWidget& widget, int x, int y) {
            return name(shot.pixelColor(widget.mapTo(&form, QPoint(x, y))));
        };
        for (int number : {1, 2, 3, 4, 5, 6, 7, 8, 13}) {
            SCOPED_TRACE("PushButton" + std::to_string(number));
            const QPushButton& button = form.pushButton(number);
            const int right = button.width() - 5;
            const int bottom = button.height() - 4;
            for (const QPoint& inside : {QPoint(4, 3), QPoint(4, bottom), QPoint(right, 3),
                                         QPoint(right, bottom), QPoint(4, button.height() / 2)}) {
                EXPECT_EQ(at(button, inside.x(), inside.y()), buttons)
                    << inside.x() << "," << inside.y();
            }
        }
        const QGroupBox& frame1 = form.frame1();
        // Inside the frame: below and right of the check boxes, between the rows, and the right
        // end of each check box beyond its caption.
        for (const QPoint& inside : {QPoint(frame1.width() / 2, frame1.height() - 4),
                                     QPoint(frame1.width() - 6, 60), QPoint(8, 38)}) {
            EXPECT_EQ(at(frame1, inside.x(), inside.y()), rest) << inside.x() << "," << inside.y();
        }
        for (int number = 1; number <= 7; ++number) {
            const QCheckBox& box = form.check(number);
            EXPECT_EQ(at(box, box.width() - 2, 1), rest) << "Check" << number;
        }
        EXPECT_EQ(at(form, 3, 3), rest);
        // The lists keep their own colours.
        EXPECT_EQ(at(*form.listView1().viewport(), 200, 100),
                  name(form.listView1().palette().color(QPalette::Base)));
    };
    {
        SCOPED_TRACE("as designed");
        expectBackgrounds(white, white);
    }
    form.useButtonFaceColours();
    {
        SCOPED_TRACE("skin reset");
        expectBackgrounds(white, face);
    }
    EXPECT_EQ(form.pushButton(2).palette().color(QPalette::ButtonText),
              QApplication::palette().color(QPalette::ButtonText));
}

TEST(Form1Widget, Frame1CaptionSitsOnTheTopLineOfItsFrame) {
    qt_test::application();
    qt::Form1Widget form;
    form.show();
    QApplication::processEvents();
    const QImage shot = form.frame1().grab().toImage();
    const auto dark = [&shot](int x, int y) { return shot.pixelColor(x, y).value() < 230; };
    // The top line, found right of the caption.
    int line = 0;
    while (line < shot.height() && !dark(shot.width() / 2, line)) {
        ++line;
    }
    ASSERT_LT(line, 20);
    // The caption's letters reach above and below that line, and the line stops short of them.
    int textTop = shot.height();
    int textBottom = -1;
    for (int y = 0; y < 20; ++y) {
        for (int x = 12; x < 100; ++x) {
            if (y != line && dark(x, y)) {
                textTop = std::min(textTop, y);
                textBottom = std::max(textBottom, y);
            }
        }
    }
    EXPECT_LT(textTop, line);
    EXPECT_GT(textBottom, line);
    EXPECT_TRUE(dark(2, line));
    EXPECT_FALSE(dark(7, line - 1) && dark(7, line + 1));
}

TEST(Form1Widget, PushButtonsKeepTheStylesFocusMarkAndPressedLook) {
    qt_test::application();
    qt::Form1Widget form;
    showActive(form);
    QPushButton& button = form.pushButton(4);
    const auto shot = [&button] {
        QApplication::processEvents();
        return button.grab().toImage();
    };
    // The style marks the focus once the keyboard has moved it: Tab goes 1, 4, 2.
    form.pushButton(1).setFocus();
    QTest::keyClick(&form.pushButton(1), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), &button);
    const QImage focused = shot();
    QTest::keyClick(&button, Qt::Key_Tab);
    const QImage plain = shot();
    button.setDown(true);
    const QImage pressed = shot();
    button.setDown(false);
    const QPoint face(button.width() / 2, 4);
    EXPECT_NE(plain, focused);
    EXPECT_EQ(name(plain.pixelColor(face)), "#ffffff");
    EXPECT_EQ(name(focused.pixelColor(face)), "#ffffff");
    EXPECT_NE(name(pressed.pixelColor(face)), "#ffffff");
    // The frame is drawn: the edge is darker than the face.
    EXPECT_LT(plain.pixelColor(button.width() / 2, 0).value(), 230);
    EXPECT_LT(plain.pixelColor(0, button.height() / 2).value(), 230);
}

TEST(Form1Widget, TabsInDesignOrderWithCheck7Last) {
    qt_test::application();
    qt::Form1Widget form;
    showActive(form);
    form.check(6).setFocus();
    QTest::keyClick(&form.check(6), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &form.listView2());
    form.pushButton(8).setFocus();
    QTest::keyClick(&form.pushButton(8), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &form.check(7));
    form.listView1().setFocus();
    QTest::keyClick(&form.listView1(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(),
              &form.pushButton(1));  // progress bar and frame take none
}

TEST(Form1Widget, ReportsPointerMovesOverButtonsListsFrameAndWindowOnly) {
    qt_test::application();
    qt::Form1Widget form;
    std::vector<Zone> zones;
    form.setPointerMovedHandler([&zones](Zone zone) { zones.push_back(zone); });
    showActive(form);
    const auto moveOver = [&zones](QWidget& widget, QPoint at) {
        zones.clear();
        QTest::mouseMove(&widget, at);
        QApplication::processEvents();
        return zones;
    };
    EXPECT_EQ(moveOver(form.pushButton(2), {20, 10}), std::vector<Zone>{Zone::PushButton});
    EXPECT_EQ(moveOver(*form.listView1().viewport(), {20, 100}), std::vector<Zone>{Zone::ListView});
    EXPECT_EQ(moveOver(*form.listView2().header(), {20, 5}), std::vector<Zone>{Zone::ListView});
    EXPECT_EQ(moveOver(form.frame1(), {3, 60}), std::vector<Zone>{Zone::Frame});
    EXPECT_EQ(moveOver(form, {3, 3}), std::vector<Zone>{Zone::Form});
    EXPECT_EQ(moveOver(form.check(2), {5, 5}), std::vector<Zone>{});
    EXPECT_EQ(moveOver(form.progressBar1(), {50, 10}), std::vector<Zone>{});
}

TEST(QtListView, DoubleClickBelowTheRowsAndDeleteWithModifiersReachTheHandlers) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtListView list(form.listView1(), form.letterSets());
    list.addColumnHeader(u"Scramble Letters");
    list.addItem(u"abc");
    int doubleClicks = 0;
    std::vector<std::tuple<int, bool, bool, bool>> keys;
    list.setDoubleClickHandler([&doubleClicks] { ++doubleClicks; });
    list.setKeyDownHandler([&keys](int code, bool shift, bool ctrl, bool alt) {
        keys.emplace_back(code, shift, ctrl, alt);
    });
    showActive(form);
    QTest::mouseDClick(form.listView1().viewport(), Qt::LeftButton, Qt::NoModifier, {30, 140});
    EXPECT_EQ(doubleClicks, 1);
    form.listView1().setFocus();
    QTest::keyClick(&form.listView1(), Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(&form.listView1(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    // The modifier keys report their own key-downs (Shift 16, Ctrl 17, Alt 18) first.
    const std::vector<std::tuple<int, bool, bool, bool>> expected{{16, true, false, false},
                                                                  {46, true, false, false},
                                                                  {17, false, true, false},
                                                                  {18, false, true, true},
                                                                  {65, false, true, true}};
    EXPECT_EQ(keys, expected);
}

TEST(Form1Widget, CloseCallsTheCloseHandler) {
    qt_test::application();
    qt::Form1Widget form;
    int closes = 0;
    form.setCloseHandler([&closes] { ++closes; });
    form.show();
    form.close();
    EXPECT_EQ(closes, 1);
}
