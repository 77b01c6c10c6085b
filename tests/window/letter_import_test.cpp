#include "window/letter_import.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "form1_harness.h"

namespace wordloom::window {
namespace {

using testing::Form1Harness;
using Texts = std::vector<std::u16string>;

TEST(CollapseSlashes, TurnsEveryRunIntoOne) {
    EXPECT_EQ(collapseSlashes(u"//a.txt"), u"/a.txt");
    EXPECT_EQ(collapseSlashes(u"/tmp///x//y.txt"), u"/tmp/x/y.txt");
    EXPECT_EQ(collapseSlashes(u"a.txt"), u"a.txt");
}

TEST(DialogPieces, GivesOnePathOrTheFolderFollowedByNames) {
    EXPECT_TRUE(dialogPieces({}).empty());
    EXPECT_EQ(dialogPieces({u"/d/a.txt"}), Texts{u"/d/a.txt"});
    EXPECT_EQ(dialogPieces({u"/d/b.txt", u"/d/a.txt"}), (Texts{u"/d", u"b.txt", u"a.txt"}));
    EXPECT_EQ(dialogPieces({u"/a.txt", u"/b.txt"}), (Texts{u"/", u"a.txt", u"b.txt"}));
    EXPECT_EQ(dialogPieces({u"/d/e/x", u"/d/f/y"}), (Texts{u"/d", u"e/x", u"f/y"}));
    EXPECT_EQ(dialogPieces({u"/d/x", u"/dd/y"}), (Texts{u"/", u"d/x", u"dd/y"}));
    // An absolute path and a relative name share only the current folder; neither loses a
    // character to a folder it does not lie in.
    EXPECT_EQ(dialogPieces({u"/a.txt", u"b.txt"}), (Texts{u".", u"/a.txt", u"b.txt"}));
    EXPECT_EQ(dialogPieces({u"/d/a.txt", u"b.txt"}), (Texts{u".", u"/d/a.txt", u"b.txt"}));
    EXPECT_EQ(dialogPieces({u"b.txt", u"/d/a.txt"}), (Texts{u".", u"b.txt", u"/d/a.txt"}));
}

TEST(DialogPieces, JoinsARootFolderWithOneSlash) {
    const Texts pieces = dialogPieces({u"/a.txt", u"/b.txt"});
    EXPECT_EQ(collapseSlashes(pieces[0] + u'/' + pieces[1]), u"/a.txt");
}

TEST(LoadLettersFromFile, SetsNameFlagsTitleAndFilterAndAddsNothingWhenCancelled) {
    Form1Harness h;
    h.loadFresh();
    h.dialog.settings.offeredName = u"/earlier/results.txt";
    h.form->PushButton4_Click();
    ASSERT_EQ(h.dialog.openRequests.size(), 1u);
    const auto& request = h.dialog.openRequests[0];
    EXPECT_EQ(request.offeredName, u"");
    EXPECT_EQ(request.flags, 0x280201u);  // read-only box, several files; names need not exist
    EXPECT_EQ(request.title, u"Add File(s) - Hold Ctrl to select multiple files");
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].caption, u"All Files (*.*)");
    EXPECT_EQ(request.filters[0].pattern, u"*");
    EXPECT_EQ(h.letterSets.count(), 0);
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(LoadLettersFromFile, ReportsEachDialogSettingAtItsOwnStepAndStillShowsTheDialog) {
    const std::vector<std::pair<std::string, int>> settings = {
        {"setFileName", 100}, {"setFlags", 102}, {"setDialogTitle", 104}, {"setFilter", 106}};
    for (const auto& [setting, step] : settings) {
        Form1Harness h;
        h.loadFresh();
        h.dialog.fail.failNext.insert(setting);
        h.dialog.nextOpenReply.push_back({h.folder.write("sets.txt", "abc\r\n")});
        h.form->PushButton4_Click();
        EXPECT_EQ(h.reportedSteps(), std::vector<int>{step}) << setting;
        EXPECT_EQ(h.letterSets.texts(), Texts{u"abc"}) << setting;
    }
}

TEST(LoadLettersFromFile, AddsOneEntryPerLineWhateverTheLineEnds) {
    Form1Harness h;
    h.loadFresh();
    const auto file =
        h.folder.write("sets.txt", "abc\r\ndef\rghi\njkl\r\n\r\n  mn o  \r\n \r\n\tp\r\n");
    h.dialog.nextOpenReply.push_back({file});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.texts(),
              (Texts{u"abc", u"def", u"ghi", u"jkl", u"", u"mn o", u"", u"\tp"}));
    EXPECT_TRUE(h.messages.shownMessages.empty());

    h.dialog.nextOpenReply.push_back({h.folder.write("empty.txt", "")});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.count(), 8);
}

TEST(LoadLettersFromFile, ImportsSeveralFilesOfOneFolderInTheDialogsOrder) {
    Form1Harness h;
    h.loadFresh();
    const auto first = h.folder.write("letters/b.txt", "bb1\r\nbb2\r\n");
    const auto second = h.folder.write("letters/a.txt", "aa1\r\n");
    h.dialog.nextOpenReply.push_back({first, second});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"bb1", u"bb2", u"aa1"}));
    h.dialog.nextOpenReply.push_back({second});
    h.form->PushButton4_Click();  // the same file again appends again
    EXPECT_EQ(h.letterSets.count(), 4);
}

TEST(LoadLettersFromFile, SaysFileNotFoundOnceForAMissingFileAndImportsTheOthers) {
    Form1Harness h;
    h.loadFresh();
    const auto one = h.folder.write("one.txt", "abc\r\n");
    const auto two = h.folder.write("two.txt", "def\r\n");
    h.dialog.nextOpenReply.push_back({one, h.folder.u16path() + u"/missing.txt", two});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"abc", u"def"}));
    ASSERT_EQ(h.messages.shownMessages.size(), 1u);
    EXPECT_EQ(h.messages.shownMessages[0].text, u"File not found");
    EXPECT_EQ(h.messages.shownMessages[0].style, 0);
    EXPECT_EQ(h.messages.shownMessages[0].title, u"Wordloom Anagram Finder");
}

// The text of each failure report shown.
std::vector<std::u16string> reportTexts(const Form1Harness& h) {
    std::vector<std::u16string> texts;
    for (const auto& shown : h.messages.shownMessages) {
        if (shown.title == u"Application Error") {
            texts.push_back(shown.text);
        }
    }
    return texts;
}

bool mentions(const std::u16string& text, std::u16string_view part) {
    return text.find(part) != std::u16string::npos;
}

TEST(LoadLettersFromFile, ReportsAFolderClearlyAtStep116ForOneFile) {
    Form1Harness h;
    h.loadFresh();
    std::filesystem::create_directories(h.folder.path() / "folder.txt");
    h.dialog.nextOpenReply.push_back({h.folder.u16path() + u"/folder.txt"});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{116});
    const auto texts = reportTexts(h);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(mentions(texts[0], u"folder.txt': it is a folder"));
    EXPECT_FALSE(mentions(texts[0], u"the lines before the failure were added"));
    EXPECT_EQ(h.letterSets.count(), 0);
}

TEST(LoadLettersFromFile, ReportsAFifoAndADeviceOnceAtStep130WithoutWaitingAndImportsTheRest) {
    Form1Harness h;
    h.loadFresh();
    const auto fifo = h.folder.path() / "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directories(h.folder.path() / "folder.txt");
    const auto good = h.folder.write("good.txt", "abc\r\n");
    // No program writes to the FIFO: opening it for reading the usual way would wait forever,
    // and /dev/zero never ends.
    h.dialog.nextOpenReply.push_back({h.folder.u16path() + u"/pipe.txt", u"/dev/zero",
                                      h.folder.u16path() + u"/folder.txt", good});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.reportedSteps(), (std::vector<int>{130, 130, 130}));
    const auto texts = reportTexts(h);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_TRUE(mentions(texts[0], u"pipe.txt': it is not a regular file"));
    EXPECT_TRUE(mentions(texts[1], u"'/dev/zero': it is not a regular file"));
    EXPECT_TRUE(mentions(texts[2], u"folder.txt': it is a folder"));
    EXPECT_EQ(h.letterSets.texts(), Texts{u"abc"});
}

TEST(LoadLettersFromFile, TakesBackslashesAsOrdinaryCharactersOfFileNames) {
    Form1Harness h;
    h.loadFresh();
    const auto twice = h.folder.write("we\\\\ird.txt", "two\r\n");
    const auto once = h.folder.write("we\\ird.txt", "one\r\n");
    h.dialog.nextOpenReply.push_back({twice, once});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"two", u"one"}));
    EXPECT_TRUE(h.messages.shownMessages.empty());

    // One file takes the same clean-up as several: runs of "/" become one, backslashes stay.
    h.dialog.nextOpenReply.push_back({h.folder.u16path() + u"//we\\\\ird.txt"});
    h.form->PushButton4_Click();
    EXPECT_EQ(h.letterSets.texts(), (Texts{u"two", u"one", u"two"}));
    EXPECT_TRUE(h.messages.shownMessages.empty());
}

TEST(LoadLettersFromFile, KeepsAVeryLongLineWholeAndTheRunNamesItInACutForm) {
    Form1Harness h;
    h.loadFresh();
    const std::string longLine(1'000'000, 'x');
    h.dialog.nextOpenReply.push_back({h.folder.write("long.txt", longLine + "\r\ntac\r\n")});
    h.form->PushButton4_Click();
    ASSERT_EQ(h.letterSets.count(), 2);
    EXPECT_EQ(h.letterSets.text(1), std::u16string(longLine.begin(), longLine.end()));

    for (auto& box : h.boxes) {
        box.current = 1;
    }
    h.form->PushButton2_Click();
    ASSERT_GE(h.progress.texts.size(), 2u);
    EXPECT_EQ(h.progress.texts[0], u"Processing: " + std::u16string(200, u'x') + u"\u2026");
    EXPECT_EQ(h.progress.texts[1], u"Processing: tac");
    EXPECT_EQ(h.results.list.texts(), (Texts{u"act", u"at", u"cat", u"ta"}));
}

// A list that refuses its third entry.
class ListFullAfterTwo : public fakes::FakeListView {
public:
    void addItem(const std::u16string& text) override {
        if (count() == 2) {
            throw std::runtime_error("The list is full.");
        }
        FakeListView::addItem(text);
    }
};

TEST(ImportLetterFile, KeepsTheEntriesAddedBeforeAFailure) {
    fakes::TempFolder folder;
    fakes::FakeMessageBox messages;
    ListFullAfterTwo list;
    EXPECT_THROW(ImportLetterFile(list, folder.write("sets.txt", "a\r\nb\r\nc\r\n"), messages),
                 std::runtime_error);
    EXPECT_EQ(list.texts(), (Texts{u"a", u"b"}));
    EXPECT_TRUE(messages.shownMessages.empty());
}

// A list that runs out of memory at its third entry.
class ListOutOfMemoryAfterTwo : public fakes::FakeListView {
public:
    void addItem(const std::u16string& text) override {
        if (count() == 2) {
            throw std::bad_alloc();
        }
        FakeListView::addItem(text);
    }
};

TEST(ImportLetterFile, SaysWhichFileRanOutOfMemoryAndKeepsTheEntriesBefore) {
    fakes::TempFolder folder;
    fakes::FakeMessageBox messages;
    ListOutOfMemoryAfterTwo list;
    const auto path = folder.write("sets.txt", "a\r\nb\r\nc\r\n");
    try {
        ImportLetterFile(list, path, messages);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Not enough memory to read the letter file '" +
                                                 std::string(path.begin(), path.end()) +
                                                 "' to its end; the lines before were added.");
    }
    EXPECT_EQ(list.texts(), (Texts{u"a", u"b"}));
}

TEST(LoadLettersFromFile, ReportsADialogFailureAndImportsNothing) {
    Form1Harness h;
    h.loadFresh();
    h.dialog.fail.failNext.insert("showOpen");
    h.form->PushButton4_Click();
    EXPECT_EQ(h.reportedSteps(), std::vector<int>{108});
    EXPECT_EQ(h.letterSets.count(), 0);
}

}  // namespace
}  // namespace wordloom::window
