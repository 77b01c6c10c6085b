#include "output/text_export.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_list_view.h"
#include "file_helpers.h"
#include "output_fixture.h"

namespace fs = std::filesystem;
using wordloom::output::SaveListviewProperlySpaced;

namespace {

constexpr std::u16string_view kOperation = u"Main.SaveListviewProperlySpaced";

struct ExportFixture {
    fakes::FakeListView list;
    fakes::FakeProgressDisplay progress;
    fakes::FakeMessageBox messages;
    fakes::FakeEventPump events;
    fakes::TempFolder folder;

    ExportFixture() { list.addColumnHeader(u"Unscramble Letters"); }

    bool save(const std::u16string& fileName) {
        return SaveListviewProperlySpaced(list, fileName, &progress, messages, events);
    }
    void expectProgressReset() const {
        ASSERT_GE(progress.values.size(), 2u);
        EXPECT_EQ(progress.values.back(), 0);
        EXPECT_EQ(progress.text, u"Progress Bar");
    }
};

// Lines of at least this many bytes make the export write in the middle of the rows.
void addManyTickedWords(fakes::FakeListView& list, int count) {
    for (int i = 0; i < count; ++i) {
        list.addRow({u"word" + std::u16string(30, u'x')}, true);
    }
}

}  // namespace

TEST(TextExport, WritesUtf8LinesEndedByCrLfWithoutByteOrderMark) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.list.addRow({u"skipped"}, false);
    f.list.addRow({u"n\u00e9e"}, true);

    EXPECT_TRUE(f.save(nameIn(f.folder, "results.txt")));

    const std::string padding(15, ' ');
    EXPECT_EQ(readBytes(f.folder.path() / "results.txt"), "Unscramble Letters\t\r\ncat" + padding +
                                                              "\t\r\nn\xC3\xA9"
                                                              "e" +
                                                              padding + "\t\r\n");
    EXPECT_TRUE(f.messages.shownMessages.empty());
    EXPECT_EQ(entryCount(f.folder.path()), 1);  // no temporary file left behind
}

TEST(TextExport, ReplacesAnExistingFileKeepingItsPermissions) {
    ExportFixture f;
    const fs::path target = f.folder.path() / "results";  // no extension is added
    f.folder.write("results", std::string(10000, 'o'));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_TRUE(f.save(nameIn(f.folder, "results")));

    EXPECT_EQ(readBytes(target), "Unscramble Letters\t\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entryCount(f.folder.path()), 1);
}

TEST(TextExport, FileThatCannotBeCreatedIsReportedOnceAndProgressIsReset) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.list.addRow({u"act"}, true);
    const std::u16string name = nameIn(f.folder, "missing/results.txt");

    EXPECT_FALSE(f.save(name));

    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text,
              reportFor(u"Cannot create file '" + name + u"': No such file or directory.",
                        kOperation, 156));
    f.expectProgressReset();
    EXPECT_EQ(entryCount(f.folder.path()), 0);
}

TEST(TextExport, UnwritableFolderLeavesTheExistingFileIntact) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "Permissions do not bind the superuser.";
    }
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    const fs::path target = f.folder.path() / "results.txt";
    f.folder.write("results.txt", "old content");
    fs::permissions(target, fs::perms::owner_read);
    fs::permissions(f.folder.path(), fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_FALSE(f.save(nameIn(f.folder, "results.txt")));

    EXPECT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(readBytes(target), "old content");
    f.expectProgressReset();
    fs::permissions(f.folder.path(), fs::perms::owner_all);
}

TEST(TextExport, WriteFailureMidwayIsReportedOnceAndKeepsTheOldFile) {
    ExportFixture f;
    addManyTickedWords(f.list, 20000);  // about 800 kB
    const fs::path target = f.folder.path() / "results.txt";
    f.folder.write("results.txt", "old content");

    // A file size limit makes writes fail the way a full disk does.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 100000;
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool saved = f.save(nameIn(f.folder, "results.txt"));
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(
        f.messages.shownMessages[0].text,
        reportFor(u"Cannot write file '" + nameIn(f.folder, "results.txt") + u"': File too large.",
                  kOperation, 222));
    EXPECT_EQ(readBytes(target), "old content");
    EXPECT_EQ(entryCount(f.folder.path()), 1);
    f.expectProgressReset();
}

TEST(TextExport, FailedReplacementIsReportedAtClose) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    fs::create_directory(f.folder.path() / "taken");

    EXPECT_FALSE(f.save(nameIn(f.folder, "taken")));

    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(
        f.messages.shownMessages[0].text,
        reportFor(u"Cannot replace file '" + nameIn(f.folder, "taken") + u"': Is a directory.",
                  kOperation, 232));
    EXPECT_TRUE(fs::is_directory(f.folder.path() / "taken"));
    EXPECT_EQ(entryCount(f.folder.path()), 1);
    f.expectProgressReset();
}

TEST(TextExport, ProgressMovesOncePerTickedRowThenDoneThenReset) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.list.addRow({u"skipped"}, false);
    f.list.addRow({u"act"}, true);

    f.save(nameIn(f.folder, "results.txt"));

    EXPECT_EQ(f.progress.values, (std::vector<double>{1, 10, 20, 1.0 / 3 * 100, 100, 100, 0}));
    const std::u16string writing = u"Writing file: results.txt";
    EXPECT_EQ(f.progress.texts,
              (std::vector<std::u16string>{writing, writing, writing, u"Done.", u"Progress Bar"}));
}

TEST(TextExport, LongListsShowEveryThousandthRowAndEndSlightlyAbove100) {
    ExportFixture f;
    for (int i = 0; i < 2500; ++i) {
        f.list.addRow({u"w"}, true);
    }

    f.save(nameIn(f.folder, "long.txt"));

    const std::u16string writing = u"Writing file: long.txt";
    EXPECT_EQ(f.progress.texts,
              (std::vector<std::u16string>{writing, writing, writing, writing + u" (1000)",
                                           writing + u" (2000)", u"Done.", u"Progress Bar"}));
    ASSERT_EQ(f.progress.values.size(), 3u + 2500u + 2u);
    EXPECT_DOUBLE_EQ(f.progress.values[3], 2.0 / 2500 * 100);
    EXPECT_DOUBLE_EQ(f.progress.values[3 + 2499], 100.04);
}

TEST(TextExport, ProgressFailureIsReportedAndTheFileStillWritten) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.progress.fail.failNext.insert("setValue");

    EXPECT_TRUE(f.save(nameIn(f.folder, "results.txt")));

    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text,
              reportFor(u"Simulated failure in setValue.", kOperation, 104));
    EXPECT_EQ(readBytes(f.folder.path() / "results.txt"),
              "Unscramble Letters\t\r\ncat" + std::string(15, ' ') + "\t\r\n");
}

TEST(TextExport, WorksWithoutProgressDisplayFromTheRowsAsTheyWereAtTheStart) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.events.duringYield = [&](int) { f.list.clear(); };

    EXPECT_TRUE(SaveListviewProperlySpaced(f.list, nameIn(f.folder, "results.txt"), nullptr,
                                           f.messages, f.events));

    EXPECT_EQ(readBytes(f.folder.path() / "results.txt"),
              "Unscramble Letters\t\r\ncat" + std::string(15, ' ') + "\t\r\n");
    EXPECT_TRUE(f.messages.shownMessages.empty());
}
