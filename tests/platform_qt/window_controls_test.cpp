#include <gtest/gtest.h>

#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/qt/cursor_file.h"
#include "platform/qt/event_hook.h"
#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_text.h"
#include "qt_test_application.h"

namespace qt = wordloom::platform::qt;
using Clock = qt::QtEventPump::Clock;

namespace {

const QString handCursor = QStringLiteral(WORDLOOM_APP_DIR "/HAND-M.CUR");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

}  // namespace

TEST(QtCheckBox, NotifiesOnceForEachChangeAndNeverForTheSameState) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtCheckBox check(form.check(3));
    int changes = 0;
    check.setStateChangedHandler([&changes] { ++changes; });
    check.setState(0);
    EXPECT_EQ(changes, 0);
    check.setState(1);
    check.setState(1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(check.state(), 1);
    check.setState(2);
    EXPECT_EQ(check.state(), 2);
    EXPECT_EQ(form.check(3).checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(check.setState(3), std::out_of_range);
    EXPECT_EQ(changes, 2);
}

TEST(QtCheckBox, UserClicksOnlyTickAndClearEvenFromGrey) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtCheckBox check(form.check(1));
    int changes = 0;
    check.setStateChangedHandler([&changes] { ++changes; });
    form.check(1).click();
    EXPECT_EQ(check.state(), 1);
    form.check(1).click();
    EXPECT_EQ(check.state(), 0);
    check.setState(2);
    form.check(1).click();
    EXPECT_EQ(check.state(), 1);
    EXPECT_EQ(changes, 4);
}

TEST(QtProgressDisplay, RoundsAndHoldsTheValueWithinZeroToHundred) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtProgressDisplay progress(form.progressBar1());
    const std::vector<std::pair<double, int>> cases{
        {100.0 / 3, 33}, {49.5, 50}, {-4, 0}, {250.7, 100}, {std::nan(""), 0}, {1e300, 100}};
    for (const auto& [value, shown] : cases) {
        progress.setValue(value);
        EXPECT_EQ(form.progressBar1().value(), shown) << value;
    }
}

// The export sets a value per row: each one shows, also after the window set the bar itself.
TEST(QtProgressDisplay, ValuesRowByRowShowEvenAfterTheBarWasSetDirectly) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtProgressDisplay progress(form.progressBar1());
    for (int row = 0; row <= 400; ++row) {
        progress.setValue(row / 8.0);
        ASSERT_EQ(form.progressBar1().value(), std::lround(row / 8.0)) << row;
    }
    progress.setValue(40.2);
    form.progressBar1().setValue(0);
    progress.setValue(40.3);
    EXPECT_EQ(form.progressBar1().value(), 40);
}

TEST(QtProgressDisplay, ShowsTextAsTypedAndMirrorsItForScreenReaders) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtProgressDisplay progress(form.progressBar1());
    progress.setValue(20);
    progress.setText(u"Processing: 50% %p %v");
    EXPECT_EQ(form.progressBar1().text(), QStringLiteral("Processing: 50% %p %v"));
    EXPECT_TRUE(form.progressBar1().isTextVisible());
    EXPECT_EQ(form.progressBar1().accessibleDescription(), QStringLiteral("Processing: 50% %p %v"));
}

TEST(QtProgressDisplay, ANewValueShowsWithTheNextRepaintNotInsideTheCall) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtProgressDisplay progress(form.progressBar1());
    form.show();
    QApplication::processEvents();
    int paints = 0;
    new qt::EventHook(form.progressBar1(), {QEvent::Paint}, [&paints](QEvent&) { ++paints; });
    progress.setValue(50);
    EXPECT_EQ(form.progressBar1().value(), 50);
    EXPECT_EQ(paints, 0);
    QApplication::processEvents();
    EXPECT_GE(paints, 1);
    EXPECT_TRUE(form.progressBar1().updatesEnabled());
}

// The pump's clock reads the steady clock's epoch from its last tick: between two readings of
// the steady clock it lies at most one tick before the first, however long the thread waits.
TEST(QtEventPump, SystemClockKeepsTimeWithTheSteadyClock) {
    Clock::duration tick = std::chrono::nanoseconds(1);
#ifdef CLOCK_MONOTONIC_COARSE
    timespec resolution{};
    ASSERT_EQ(clock_getres(CLOCK_MONOTONIC_COARSE, &resolution), 0);
    tick = std::chrono::duration_cast<Clock::duration>(
        std::chrono::seconds(resolution.tv_sec) + std::chrono::nanoseconds(resolution.tv_nsec));
#endif
    for (int reading = 0; reading < 100; ++reading) {
        const Clock::time_point before = Clock::now();
        const Clock::time_point pump = qt::QtEventPump::systemNow();
        const Clock::time_point after = Clock::now();
        ASSERT_LE(pump, after) << reading;
        ASSERT_GE(pump, before - 2 * tick) << reading;
    }
    const Clock::time_point first = qt::QtEventPump::systemNow();
    EXPECT_LE(first, qt::QtEventPump::systemNow());
}

TEST(QtEventPump, ProcessesAtMostOnceInTenMilliseconds) {
    Clock::time_point now{};
    int runs = 0;
    qt::QtEventPump pump([&now] { return now; }, [&runs] { ++runs; });
    pump.processEvents();
    EXPECT_EQ(runs, 1);
    now += std::chrono::milliseconds(9);
    pump.processEvents();
    EXPECT_EQ(runs, 1);
    now += std::chrono::milliseconds(1);
    pump.processEvents();
    EXPECT_EQ(runs, 2);
    pump.processEvents();
    EXPECT_EQ(runs, 2);
}

TEST(QtMainWindow, PointerShapesShowOverTheWindowAndItsControls) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtMainWindow window(form);
    QWidget& button = form.pushButton(2);
    QWidget& viewport = *form.listView2().viewport();
    window.setPointerShape(11);
    EXPECT_EQ(window.pointerShape(), 11);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(button.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(viewport.cursor().shape(), Qt::WaitCursor);
    window.setPointerShape(99);  // no image loaded: the system's pointing hand
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    window.setPointerShape(0);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(viewport.cursor().shape(), Qt::ArrowCursor);
    EXPECT_THROW(window.setPointerShape(2), std::out_of_range);
    EXPECT_EQ(window.pointerShape(), 0);
}

TEST(QtMainWindow, CustomPointerUsesTheImageAndHotspotOfTheCursorFile) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtMainWindow window(form);
    window.setPointerShape(99);
    window.setCustomPointerImage(qt::toU16String(handCursor));
    EXPECT_EQ(form.pushButton(1).cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form.cursor().hotSpot(), QPoint(6, 0));
    EXPECT_EQ(form.cursor().pixmap().size(), QSize(32, 32));

    QByteArray moved = readAll(handCursor);
    ASSERT_GT(moved.size(), 14);
    moved[10] = 7;
    moved[12] = 9;
    QTemporaryDir folder;
    const QCursor cursor = qt::loadCursorFile(writeFile(folder, "moved.cur", moved));
    EXPECT_EQ(cursor.hotSpot(), QPoint(7, 9));
}

TEST(QtMainWindow, InvalidCursorFileThrowsAndKeepsTheImageItHad) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtMainWindow window(form);
    window.setCustomPointerImage(qt::toU16String(handCursor));
    QTemporaryDir folder;
    QByteArray truncated = readAll(handCursor).left(30);
    for (const QString& path :
         {writeFile(folder, "text.cur", "not a cursor at all, just text"),
          writeFile(folder, "short.cur", truncated), folder.filePath("missing.cur")}) {
        EXPECT_THROW(window.setCustomPointerImage(qt::toU16String(path)), std::runtime_error)
            << path.toStdString();
    }
    window.setPointerShape(99);
    EXPECT_EQ(form.cursor().hotSpot(), QPoint(6, 0));
}

TEST(QtMainWindow, CaptionIconAndEndBeforeTheEventLoop) {
    qt_test::application();
    qt::Form1Widget form;
    qt::QtMainWindow window(form);
    window.setCaption(u"Wordloom Anagram Finder Studio");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Wordloom Anagram Finder Studio"));
    window.setProgramIcon();
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_FALSE(window.ended());
    window.endProgram();  // no event loop runs: only marks the program ended
    EXPECT_TRUE(window.ended());
}

TEST(QtMainWindowDeathTest, EndProgramLeavesEveryNestedLoopAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qt_test::application();
            qt::Form1Widget form;
            qt::QtMainWindow window(form);
            form.show();
            QTimer::singleShot(0, [&window] {
                QEventLoop nested;  // as a modal dialog or a long operation's yield would run
                QTimer::singleShot(0, [&window, &nested] {
                    window.endProgram();
                    nested.quit();
                });
                nested.exec();
                std::abort();  // reached only if the program did not end
            });
            QApplication::exec();
            std::abort();
        },
        testing::ExitedWithCode(0), "");
}
