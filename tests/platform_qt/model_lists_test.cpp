#include <gtest/gtest.h>

#include <QTreeView>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "model_lists_fixture.h"
#include "platform/qt/letter_set_store.h"
#include "platform/qt/qt_text.h"

TEST(QtText, KeepsEveryCodeUnitBothWays) {
    const std::u16string text{u'\xFEFF', u'a', u'\xD800', u'b', u'\xDFFF', u'\xE9'};
    const QString converted = qt::toQString(text);
    EXPECT_EQ(converted.size(), 6);
    EXPECT_EQ(qt::toU16String(converted), text);
}

TEST(LetterSetList, KeepsOrderAndMovesLaterItemsUpOnRemove) {
    Lists lists;
    for (const char16_t* text : {u"tatuprec", u"wireless", u"  ab c "}) {
        lists.letters.addItem(text);
    }
    lists.letters.addItem(u"tatuprec");  // duplicates stay
    lists.letters.removeItem(1);
    ASSERT_EQ(lists.letters.count(), 3);
    EXPECT_EQ(lists.letters.text(1), u"wireless");
    EXPECT_EQ(lists.letters.text(2), u"  ab c ");
    EXPECT_EQ(lists.letters.text(3), u"tatuprec");
    EXPECT_EQ(lists.letters.subItem(1, 1), u"");
    EXPECT_FALSE(lists.letters.isChecked(1));
    EXPECT_EQ(lists.form.letterSets().data(lists.form.letterSets().index(0, 0)).toString(),
              QStringLiteral("wireless"));
}

TEST(LetterSetList, RejectsPositionsThatDoNotExist) {
    Lists lists;
    lists.letters.addItem(u"abc");
    EXPECT_THROW(lists.letters.text(0), ListIndexError);
    EXPECT_THROW(lists.letters.text(2), ListIndexError);
    EXPECT_THROW(lists.letters.removeItem(2), ListIndexError);
    EXPECT_THROW(lists.letters.isChecked(-1), ListIndexError);
    EXPECT_THROW(lists.letters.headerText(1), ListIndexError);
    EXPECT_THROW(lists.letters.setColumnWidth(1, 7000), ListIndexError);
    EXPECT_EQ(lists.letters.count(), 1);
}

TEST(LetterSetList, ClearKeepsHeaderAndWidthAndNextItemIsFirst) {
    Lists lists;
    lists.letters.addItem(u"early");  // shown even before the list has its header
    lists.letters.addColumnHeader(u"Scramble Letters");
    lists.letters.setColumnWidth(1, 7000);
    EXPECT_EQ(lists.form.letterSets().columnCount(), 1);
    lists.letters.clear();
    lists.letters.addItem(u"abc");
    EXPECT_EQ(lists.letters.count(), 1);
    EXPECT_EQ(lists.letters.text(1), u"abc");
    EXPECT_EQ(lists.letters.columnCount(), 1);
    EXPECT_EQ(lists.letters.headerText(1), u"Scramble Letters");
    EXPECT_EQ(lists.form.listView1().columnWidth(0), 467);  // 7000 twips at 15 per pixel
    EXPECT_EQ(lists.form.letterSets().headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Scramble Letters"));
    lists.letters.addColumnHeader(u"More");
    EXPECT_EQ(lists.letters.columnCount(), 2);
    EXPECT_EQ(lists.form.letterSets().columnCount(), 2);
}

TEST(LetterSetList, SelectedItemIsTheSelectedRowNotTheCurrentOne) {
    Lists lists;
    for (const char16_t* text : {u"a", u"b", u"c"}) {
        lists.letters.addItem(text);
    }
    QTreeView& view = lists.form.listView1();
    view.selectionModel()->setCurrentIndex(view.model()->index(2, 0),
                                           QItemSelectionModel::NoUpdate);
    EXPECT_EQ(lists.letters.selectedItem(), std::nullopt);
    view.selectionModel()->select(view.model()->index(1, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(lists.letters.selectedItem(), 2);
    lists.letters.removeItem(2);
    EXPECT_EQ(lists.letters.selectedItem(), std::nullopt);
}

TEST(LetterSetList, SnapshotStaysAsTakenAfterEdits) {
    Lists lists;
    lists.letters.addColumnHeader(u"Scramble Letters");
    lists.letters.addItem(u"abc");
    lists.letters.addItem(u"def");
    const auto snapshot = lists.letters.snapshot();
    lists.letters.clear();
    ASSERT_EQ(snapshot->rowCount(), 2);
    EXPECT_EQ(snapshot->header(1), u"Scramble Letters");
    EXPECT_EQ(snapshot->cell(2, 1), u"def");
    EXPECT_EQ(snapshot->cell(2, 2), u"");
}

TEST(LetterSetList, SnapshotSharesTheTextsAndKeepsThemThroughRemovalsAndAppends) {
    Lists lists;
    lists.letters.addColumnHeader(u"Scramble Letters");
    for (const char16_t* text : {u"abc", u"def", u"ghi"}) {
        lists.letters.addItem(text);
    }
    const auto snapshot = lists.letters.snapshot();
    // The same characters, not a copy of them.
    EXPECT_EQ(snapshot->cell(2, 1).data(), lists.form.letterSets().text(1).data());
    lists.letters.addItem(u"jkl");
    lists.letters.removeItem(1);
    ASSERT_EQ(snapshot->rowCount(), 3);
    EXPECT_EQ(snapshot->cell(1, 1), u"abc");
    EXPECT_EQ(snapshot->cell(3, 1), u"ghi");
    EXPECT_EQ(lists.letters.text(1), u"def");
    EXPECT_EQ(lists.letters.text(3), u"jkl");
    EXPECT_THROW(snapshot->cell(4, 1), std::out_of_range);
}

TEST(LetterSetList, ShowsACutFormOfAVeryLongEntryAndKeepsItsText) {
    Lists lists;
    std::u16string longText(1'000'000, u'x');
    longText[199] = u'\xD83D';  // a surrogate pair across the cut is left out whole
    longText[200] = u'\xDE00';
    lists.letters.addItem(longText);
    lists.letters.addItem(u"short");
    const QAbstractItemModel& model = lists.form.letterSets();
    const QString shown = model.data(model.index(0, 0)).toString();
    EXPECT_EQ(shown, QString(199, QLatin1Char('x')) + QChar(0x2026));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("short"));
    EXPECT_EQ(lists.letters.text(1), longText);
}

TEST(LetterSetList, ViewsLearnOfAHugeListInBatchesAsTheyScrollToItsEnd) {
    Lists lists;
    lists.letters.addColumnHeader(u"Scramble Letters");
    qt::LetterSetModel& model = lists.form.letterSets();
    const int total = qt::LetterSetModel::ShownBatch * 2 + 10;
    for (int i = 1; i <= total; ++i) {
        lists.letters.addItem(u"set" + qt::toU16String(QString::number(i)));
    }
    // Every entry is in the list; the views know of the first batch only.
    EXPECT_EQ(lists.letters.count(), total);
    EXPECT_EQ(lists.letters.text(total), u"set" + qt::toU16String(QString::number(total)));
    EXPECT_EQ(model.rowCount(), qt::LetterSetModel::ShownBatch);
    EXPECT_EQ(lists.letters.snapshot()->rowCount(), total);

    // Removing a row the views do not know of yet, and one they do.
    lists.letters.removeItem(total);
    lists.letters.removeItem(1);
    EXPECT_EQ(lists.letters.count(), total - 2);
    EXPECT_EQ(lists.letters.text(1), u"set2");
    EXPECT_EQ(model.rowCount(), qt::LetterSetModel::ShownBatch - 1);

    // Scrolling to the end shows more.
    QTreeView& view = lists.form.listView1();
    lists.form.show();
    QApplication::processEvents();
    view.scrollToBottom();
    QApplication::processEvents();
    EXPECT_GT(model.rowCount(), qt::LetterSetModel::ShownBatch - 1);
    while (model.canFetchMore(QModelIndex())) {
        model.fetchMore(QModelIndex());
    }
    EXPECT_EQ(model.rowCount(), total - 2);
    EXPECT_EQ(model.data(model.index(total - 3, 0)).toString(),
              QStringLiteral("set") + QString::number(total - 1));

    lists.letters.clear();
    EXPECT_EQ(model.rowCount(), 0);
    lists.letters.addItem(u"abc");
    EXPECT_EQ(model.rowCount(), 1);
}

// Every operation of the packed store against a plain vector of texts, with snapshots taken
// along the way that must keep the texts they saw.
TEST(LetterSetStore, AgreesWithAPlainListThroughRandomEditsAndSnapshots) {
    using Store = qt::LetterSetStore;
    std::mt19937 random(20261208);
    Store store;
    std::vector<std::u16string> plain;
    std::vector<std::pair<std::shared_ptr<const wordloom::platform::TableSnapshot>,
                          std::vector<std::u16string>>>
        snapshots;
    const auto randomText = [&] {
        const std::size_t lengths[] = {0,
                                       1,
                                       7,
                                       27,
                                       300,
                                       Store::OwnBlockUnits - 1,
                                       Store::OwnBlockUnits,
                                       Store::OwnBlockUnits + 5};
        const std::size_t length = lengths[random() % std::size(lengths)];
        std::u16string text(length, u'a');
        for (auto& unit : text) {
            unit = static_cast<char16_t>(u'a' + random() % 26);
        }
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const unsigned choice = random() % 100;
        if (choice < 70 || plain.empty()) {
            const std::u16string text = randomText();
            store.append(text);
            plain.push_back(text);
        } else if (choice < 90) {
            const std::size_t row = random() % plain.size();
            store.remove(row);
            plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(row));
        } else if (choice < 92) {
            store.clear();
            plain.clear();
        } else if (snapshots.size() < 8) {
            snapshots.emplace_back(store.snapshot({u"Scramble Letters"}), plain);
        }
        ASSERT_EQ(store.size(), plain.size());
        if (!plain.empty()) {
            const std::size_t row = random() % plain.size();
            ASSERT_EQ(store.text(row), plain[row]) << "round " << round;
        }
    }
    for (std::size_t row = 0; row < plain.size(); ++row) {
        ASSERT_EQ(store.text(row), plain[row]);
    }
    for (const auto& [snapshot, texts] : snapshots) {
        ASSERT_EQ(snapshot->rowCount(), static_cast<int>(texts.size()));
        for (std::size_t row = 0; row < texts.size(); ++row) {
            ASSERT_EQ(snapshot->cell(static_cast<int>(row) + 1, 1), texts[row]);
        }
    }
}
