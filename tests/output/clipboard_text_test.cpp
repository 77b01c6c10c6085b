#include "output/clipboard_text.h"

#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_list_view.h"
#include "fakes/fake_services.h"
#include "output/clipboard_retry.h"

using wordloom::output::ClearClipboard;
using wordloom::output::clipboardText;
using wordloom::output::CopyListviewToClipboard;
using wordloom::output::SetClipboardText;
using wordloom::platform::TableData;

namespace {

TableData table(std::vector<std::u16string> headers, std::vector<TableData::Row> rows) {
    TableData data;
    data.headers = std::move(headers);
    data.rows = std::move(rows);
    return data;
}

std::u16string render(const TableData& data) {
    return clipboardText(data, [] {});
}

}  // namespace

TEST(ClipboardText, PadsCellsToTheLongestCellAndJoinsThemWithTabs) {
    EXPECT_EQ(render(table({u"A", u"B"}, {{{u"ab", u"x"}, true}, {{u"abcd", u"yz"}, true}})),
              u"ab  \tx\r\nabcd\tyz\r\n");
}

TEST(ClipboardText, TrimsOnlyTheSpacesAtTheEndOfEachLine) {
    // All cells empty: the tab between them stays.
    EXPECT_EQ(render(table({u"A", u"B"}, {{{u"", u""}, true}})), u"\t\r\n");
    // An empty last cell: its tab is removed and the tab before it stops the trimming.
    EXPECT_EQ(render(table({u"A", u"B"}, {{{u"ab", u""}, true}, {{u"abcd", u""}, false}})),
              u"ab  \t\r\n");
    // Spaces of the last cell's own text go with its padding.
    EXPECT_EQ(render(table({u"A"}, {{{u"cat  "}, true}, {{u"longer"}, true}})),
              u"cat\r\nlonger\r\n");
}

TEST(ClipboardText, WidthsCountUntickedRowsButNotHeaders) {
    EXPECT_EQ(render(table({u"A very long header", u"B"},
                           {{{u"a", u"x"}, true}, {{u"abcdef", u"y"}, false}})),
              u"a     \tx\r\n");
    // One column: the padding is trimmed away again, one word per line.
    EXPECT_EQ(render(table({u"Unscramble Letters"},
                           {{{u"cat"}, true}, {{u"scattered"}, false}, {{u"act"}, true}})),
              u"cat\r\nact\r\n");
}

TEST(ClipboardText, IsEmptyWhenNoRowIsTicked) {
    EXPECT_EQ(render(table({u"A"}, {{{u"cat"}, false}, {{u"act"}, false}})), u"");
}

TEST(CopyListviewToClipboard, LeavesTheClipboardUntouchedWhenTheListIsEmpty) {
    fakes::FakeListView list;
    list.addColumnHeader(u"Unscramble Letters");
    fakes::FakeClipboard clipboard;
    fakes::FakeEventPump events;
    CopyListviewToClipboard(list, clipboard, events);
    EXPECT_EQ(clipboard.content, u"(untouched)");
    EXPECT_EQ(clipboard.clearAttempts + clipboard.setAttempts, 0);
    EXPECT_EQ(events.calls, 0);
}

TEST(CopyListviewToClipboard, EmptiesThenSetsEmptyTextWhenNoRowIsTicked) {
    fakes::FakeListView list;
    list.addColumnHeader(u"Unscramble Letters");
    list.addRow({u"cat"}, false);
    fakes::FakeClipboard clipboard;
    fakes::FakeEventPump events;
    CopyListviewToClipboard(list, clipboard, events);
    EXPECT_EQ(clipboard.clearAttempts, 1);
    EXPECT_EQ(clipboard.content, u"");
}

TEST(CopyListviewToClipboard, CopiesTheRowsAsTheyWereWhenItStarted) {
    fakes::FakeListView list;
    list.addColumnHeader(u"Unscramble Letters");
    list.addRow({u"cat"}, true);
    list.addRow({u"act"}, true);
    fakes::FakeClipboard clipboard;
    fakes::FakeEventPump events;
    events.duringYield = [&](int) { list.clear(); };  // "Clear Results" clicked meanwhile
    CopyListviewToClipboard(list, clipboard, events);
    EXPECT_EQ(clipboard.content, u"cat\r\nact\r\n");
    EXPECT_EQ(list.count(), 0);
}

TEST(ClipboardRetry, SucceedsOnTheThousandthAttempt) {
    fakes::FakeClipboard clipboard;
    clipboard.failuresLeft = 999;
    EXPECT_TRUE(SetClipboardText(clipboard, u"cat", 0));
    EXPECT_EQ(clipboard.setAttempts, 1000);
    EXPECT_EQ(clipboard.content, u"cat");

    clipboard.failuresLeft = 999;
    ClearClipboard(clipboard);
    EXPECT_EQ(clipboard.clearAttempts, 1000);
    EXPECT_FALSE(clipboard.content.has_value());
}

TEST(ClipboardRetry, GivesUpSilentlyAfterAThousandFailures) {
    fakes::FakeClipboard clipboard;
    clipboard.failuresLeft = 5000;
    EXPECT_FALSE(SetClipboardText(clipboard, u"cat", 0));
    EXPECT_EQ(clipboard.setAttempts, 1000);
    ClearClipboard(clipboard);
    EXPECT_EQ(clipboard.clearAttempts, 1000);
    EXPECT_EQ(clipboard.content, u"(untouched)");
}
