#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>
#include <stdexcept>
#include <vector>

#include "model_lists_fixture.h"
#include "platform/qt/qt_text.h"

TEST(ResultList, AppendsAMillionRowsInOneInsertionAndClears) {
    Lists lists;
    const auto dictionary = testDictionary();
    const auto words = static_cast<std::uint32_t>(dictionary->words().size());
    ASSERT_GT(words, 2u);
    lists.results.setDictionary(dictionary);
    lists.results.addColumnHeader(u"Unscramble Letters");
    std::vector<std::uint32_t> positions(1'000'000);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        positions[i] = static_cast<std::uint32_t>(i % words);
    }
    QSignalSpy inserted(&lists.form.results(), &QAbstractItemModel::rowsInserted);
    lists.results.appendWords(positions);
    EXPECT_EQ(inserted.count(), 1);
    ASSERT_EQ(lists.results.count(), 1'000'000);
    EXPECT_EQ(lists.results.text(1'000'000), dictionary->words()[999'999 % words]);
    EXPECT_FALSE(lists.results.isChecked(1'000'000));

    lists.form.listView2().scrollToBottom();
    lists.results.clear();
    EXPECT_EQ(lists.results.count(), 0);
    EXPECT_EQ(lists.results.headerText(1), u"Unscramble Letters");
}

TEST(ResultList, UserTicksRowsAndSnapshotKeepsThemAfterClear) {
    Lists lists;
    const auto dictionary = testDictionary();
    lists.results.setDictionary(dictionary);
    lists.results.addColumnHeader(u"Unscramble Letters");
    const std::vector<std::uint32_t> positions{2, 0, 1};
    lists.results.appendWords(positions);
    qt::ResultListModel& model = lists.form.results();
    const QModelIndex second = model.index(1, 0);
    EXPECT_TRUE(model.flags(second).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_EQ(model.data(second, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ASSERT_TRUE(model.setData(second, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(lists.results.isChecked(2));
    EXPECT_FALSE(lists.results.isChecked(1));

    const auto snapshot = lists.results.snapshot();
    lists.results.clear();
    lists.results.appendWords(std::vector<std::uint32_t>{1});
    ASSERT_EQ(snapshot->rowCount(), 3);
    EXPECT_EQ(snapshot->columnCount(), 1);
    EXPECT_EQ(snapshot->header(1), u"Unscramble Letters");
    EXPECT_EQ(snapshot->cell(1, 1), dictionary->words()[2]);
    EXPECT_EQ(snapshot->cell(2, 1), dictionary->words()[0]);
    EXPECT_TRUE(snapshot->isChecked(2));
    EXPECT_FALSE(snapshot->isChecked(3));
    EXPECT_EQ(snapshot->cell(1, 2), u"");

    ASSERT_TRUE(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    ASSERT_TRUE(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(lists.results.isChecked(1));
}

TEST(ResultList, AppendsInQuickSuccessionReachTheViewTogetherWhenTheIntervalIsOver) {
    Lists lists;
    lists.results.setDictionary(testDictionary());
    qt::ResultListModel& model = lists.form.results();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    lists.results.appendWords(std::vector<std::uint32_t>{1});
    lists.results.appendWords(std::vector<std::uint32_t>{0, 2});
    lists.results.appendWords(std::vector<std::uint32_t>{3});
    EXPECT_EQ(inserted.count(), 1);  // the first batch at once, the others wait
    EXPECT_EQ(model.rowCount(), 1);
    ASSERT_EQ(lists.results.count(), 4);  // the list itself holds them all
    EXPECT_EQ(lists.results.text(4), testDictionary()->words()[3]);
    EXPECT_EQ(lists.results.snapshot()->rowCount(), 4);
    EXPECT_TRUE(QTest::qWaitFor([&model] { return model.rowCount() == 4; }, 5000));
    EXPECT_EQ(inserted.count(), 2);
    EXPECT_EQ(model.data(model.index(3, 0)).toString(),
              qt::toQString(testDictionary()->words()[3]));
}

TEST(ResultList, EditsAnnounceWaitingRowsFirstSoTheViewStaysConsistent) {
    Lists lists;
    lists.results.setDictionary(testDictionary());
    qt::ResultListModel& model = lists.form.results();
    lists.results.appendWords(std::vector<std::uint32_t>{1});
    lists.results.appendWords(std::vector<std::uint32_t>{0, 2});
    lists.results.removeItem(3);
    EXPECT_EQ(model.rowCount(), 2);
    lists.results.appendWords(std::vector<std::uint32_t>{3});
    lists.results.addItem(u"typed");
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(lists.results.text(4), u"typed");
    lists.results.appendWords(std::vector<std::uint32_t>{2});
    lists.results.clear();
    EXPECT_EQ(model.rowCount(), 0);
    lists.results.appendWords(std::vector<std::uint32_t>{2});  // after a clear: shown at once
    EXPECT_EQ(model.rowCount(), 1);
}

TEST(ResultList, RejectsPositionsOutsideTheDictionaryAndAddsNothing) {
    Lists lists;
    const std::vector<std::uint32_t> first{0};
    EXPECT_THROW(lists.results.appendWords(first), std::out_of_range);  // no dictionary yet
    const auto dictionary = testDictionary();
    lists.results.setDictionary(dictionary);
    const std::vector<std::uint32_t> positions{
        0, static_cast<std::uint32_t>(dictionary->words().size())};
    EXPECT_THROW(lists.results.appendWords(positions), std::out_of_range);
    EXPECT_EQ(lists.results.count(), 0);
    EXPECT_THROW(lists.results.text(1), ListIndexError);
}

TEST(ResultList, TextRowsAndRowsOfAnEarlierDictionaryKeepTheirWords) {
    Lists lists;
    const auto dictionary = testDictionary();
    lists.results.setDictionary(dictionary);
    lists.results.appendWords(std::vector<std::uint32_t>{1});
    lists.results.addItem(u"typed");
    lists.results.setDictionary(nullptr);
    ASSERT_EQ(lists.results.count(), 2);
    EXPECT_EQ(lists.results.text(1), dictionary->words()[1]);
    EXPECT_EQ(lists.results.text(2), u"typed");
    lists.results.removeItem(1);
    EXPECT_EQ(lists.results.text(1), u"typed");
}

// The view knows of the first batch only; the keyboard's End key, pressed until the view stops
// learning of more, reaches the last of a million rows, whose box a click then ticks.
TEST(ResultList, AMillionRowsShowInBatchesTheKeyboardReachesTheLastWhichAClickTicks) {
    Lists lists;
    lists.results.setDictionary(testDictionary());
    lists.results.addColumnHeader(u"Unscramble Letters");
    lists.results.setColumnWidth(1, 7000);
    lists.form.show();
    std::vector<std::uint32_t> positions(1'000'000, 1);
    positions.back() = 3;
    lists.results.appendWords(positions);
    qt::ResultListModel& model = lists.form.results();
    EXPECT_EQ(model.rowCount(), qt::ResultListModel::ShownBatch);
    EXPECT_FALSE(model.hasPendingRows());
    EXPECT_TRUE(model.hasUnshownRows());
    EXPECT_EQ(lists.results.text(1'000'000), testDictionary()->words()[3]);

    QTreeView& view = lists.form.listView2();
    view.setFocus();
    QApplication::processEvents();
    for (int press = 0; press < 100 && view.currentIndex().row() != 999'999; ++press) {
        QTest::keyClick(&view, Qt::Key_End);
        QApplication::processEvents();
    }
    ASSERT_EQ(view.currentIndex().row(), 999'999);
    EXPECT_EQ(model.rowCount(), 1'000'000);
    EXPECT_FALSE(model.hasUnshownRows());
    EXPECT_EQ(view.currentIndex().data().toString(), qt::toQString(testDictionary()->words()[3]));

    const QRect row = view.visualRect(view.currentIndex());
    ASSERT_TRUE(view.viewport()->rect().intersects(row));
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.rect = row;
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    EXPECT_TRUE(lists.results.isChecked(1'000'000));
    EXPECT_FALSE(lists.results.isChecked(999'999));
    EXPECT_TRUE(lists.results.snapshot()->isChecked(1'000'000));

    // After a clear the views again learn of one batch without scrolling.
    lists.results.clear();
    QApplication::processEvents();
    EXPECT_EQ(view.model()->rowCount(), 0);
    lists.results.appendWords(positions);
    EXPECT_EQ(model.rowCount(), qt::ResultListModel::ShownBatch);
}

// Rows past the first batch wait for the views; the timer's announcements stop at the batch,
// typed rows, removals and requests for more keep what the views were told equal to what the
// model says.
TEST(ResultList, RowsPastTheFirstBatchWaitForTheViewsThroughEditsAndRequests) {
    ApplicationFirst application;
    qt::ResultListModel model;  // no view: only the test asks for more rows
    model.setDictionary(testDictionary());
    // The row count a view learns from the signals, checked against the model at each signal.
    int told = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         EXPECT_EQ(first, told);  // rows are only ever told of at the end
                         told += last - first + 1;
                         EXPECT_EQ(model.rowCount(), told);
                     });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                     [&](const QModelIndex&, int first, int last) {
                         EXPECT_LT(last, told);
                         told -= last - first + 1;
                         EXPECT_EQ(model.rowCount(), told);
                     });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { told = model.rowCount(); });
    constexpr int batch = qt::ResultListModel::ShownBatch;
    model.appendWords(std::vector<std::uint32_t>(batch - 10, 0));
    EXPECT_EQ(model.rowCount(), batch - 10);  // the first rows show at once
    model.appendWords(std::vector<std::uint32_t>(30, 2));
    EXPECT_TRUE(model.hasPendingRows());
    EXPECT_FALSE(model.hasUnshownRows());  // the waiting rows come by the timer
    EXPECT_TRUE(QTest::qWaitFor([&model] { return !model.hasPendingRows(); }, 5000));
    EXPECT_EQ(model.rowCount(), batch);  // the timer told of ten, the other twenty wait
    EXPECT_EQ(model.size(), batch + 20);
    EXPECT_TRUE(model.hasUnshownRows());

    model.appendText(u"typed");
    EXPECT_EQ(model.rowCount(), batch);
    EXPECT_EQ(model.text(batch + 20), u"typed");
    EXPECT_EQ(model.snapshot()->cell(batch + 21, 1), u"typed");

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.remove(batch + 20);  // a row the views do not know of: no signal
    EXPECT_EQ(removed.count(), 0);
    model.remove(0);  // a row they know of: the next waiting row takes its place
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(model.rowCount(), batch);
    EXPECT_EQ(model.size(), batch + 19);
    EXPECT_EQ(model.data(model.index(batch - 1, 0)).toString(),
              qt::toQString(testDictionary()->words()[2]));

    model.showMoreRows();
    EXPECT_EQ(model.rowCount(), batch + 19);
    EXPECT_FALSE(model.hasUnshownRows());
    // Rows appended later show up to a batch past what the views knew when they asked.
    model.appendWords(std::vector<std::uint32_t>(batch, 1));
    EXPECT_TRUE(QTest::qWaitFor([&model] { return !model.hasPendingRows(); }, 5000));
    EXPECT_EQ(model.rowCount(), 2 * batch);
    EXPECT_EQ(model.size(), 2 * batch + 19);

    // After a clear: one batch again, and each request doubles what the views know.
    model.clear();
    model.appendWords(std::vector<std::uint32_t>(4 * batch + 5, 1));
    EXPECT_EQ(model.rowCount(), batch);
    model.showMoreRows();
    EXPECT_EQ(model.rowCount(), 2 * batch);
    model.showMoreRows();
    EXPECT_EQ(model.rowCount(), 4 * batch);
    model.showMoreRows();
    EXPECT_EQ(model.rowCount(), 4 * batch + 5);
    EXPECT_EQ(told, 4 * batch + 5);
}

// A shown view lays its rows out after each announcement of a run, with more rows already
// waiting: it still knows of one batch only until it scrolls to its end.
TEST(ResultList, AShownViewKnowsOfOneBatchThroughoutARunUntilItScrolls) {
    Lists lists;
    lists.results.setDictionary(testDictionary());
    lists.form.show();
    qt::ResultListModel& model = lists.form.results();
    for (int round = 0; round < 4; ++round) {
        lists.results.appendWords(std::vector<std::uint32_t>(20'000, 1));
        QApplication::processEvents();
        lists.results.appendWords(std::vector<std::uint32_t>(20'000, 2));
        QApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&model] { return !model.hasPendingRows(); }, 5000));
        QApplication::processEvents();
    }
    EXPECT_EQ(lists.results.count(), 160'000);
    EXPECT_EQ(model.rowCount(), qt::ResultListModel::ShownBatch);
    lists.form.listView2().scrollToBottom();
    EXPECT_EQ(model.rowCount(), 2 * qt::ResultListModel::ShownBatch);
}

// Qt's model tester checks every signal against the counts through rows past the batch, a typed
// row, a removal and the views asking for more.
TEST(ResultList, TheModelTesterFindsEverySignalInStepWithTheCounts) {
    Lists lists;
    lists.results.setDictionary(testDictionary());
    qt::ResultListModel& model = lists.form.results();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    lists.results.appendWords(std::vector<std::uint32_t>(qt::ResultListModel::ShownBatch + 7, 2));
    lists.results.addItem(u"typed");
    lists.results.removeItem(1);
    while (model.hasUnshownRows()) {
        model.showMoreRows();
    }
    EXPECT_EQ(model.rowCount(), qt::ResultListModel::ShownBatch + 7);
    EXPECT_EQ(model.data(model.index(model.rowCount() - 1, 0)).toString(), QStringLiteral("typed"));
}
