#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "frame/layout.h"
#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_list_views.h"
#include "platform/qt/qt_text.h"
#include "qt_test_application.h"

namespace qt = wordloom::platform::qt;
namespace frame = wordloom::frame;
using Zone = qt::Form1Widget::PointerZone;

namespace {

QWidget* control(const qt::Form1Widget& form, std::u16string_view name) {
    return form.findChild<QWidget*>(qt::toQString(name));
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
    for (const frame::ControlLayout& layout : frame::MainWindowLayout) {
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
        if (layout.kind == frame::ControlKind::CheckBox) {
            EXPECT_EQ(widget->parentWidget(), &form.frame1());
        }
    }
    EXPECT_EQ(form.pushButton(3).size(), QSize(256, 27));
    EXPECT_EQ(form.progressBar1().text(), QStringLiteral("Progress Bar"));
    EXPECT_EQ(form.listView1().accessibleName(), QStringLiteral("Scramble Letters"));
    EXPECT_EQ(form.listView2().accessibleName(), QStringLiteral("Unscramble Letters"));
    EXPECT_EQ(form.listView1().toolTip(), qt::toQString(frame::ListView1ToolTip));
    EXPECT_EQ(form.listView2().toolTip(), qt::toQString(frame::ListView2ToolTip));
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
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(form.check(1).palette().color(QPalette::Window), QColor(Qt::white));
    form.useButtonFaceColours();
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(form.frame1().palette().color(QPalette::Window), face);
    EXPECT_EQ(form.check(4).palette().color(QPalette::Window), face);
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
