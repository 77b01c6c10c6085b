#include "output/text_export.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_list_view.h"
#include "file_helpers.h"
#include "output/replacing_file.h"
#include "output_fixture.h"
#include "support/unprivileged.h"

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

// Test paths and reports are ASCII.
std::string narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

// Exports one ticked row to `fileName` as user 65534 and checks there that the export failed with
// the one report of step 156 describing the failure as `description`.
::testing::AssertionResult failsAsUnprivilegedWith(const std::u16string& fileName,
                                                   const std::u16string& description) {
    return wordloom::testing::runUnprivileged([&]() -> std::string {
        fakes::FakeListView list;
        list.addColumnHeader(u"Unscramble Letters");
        list.addRow({u"cat"}, true);
        fakes::FakeMessageBox messages;
        fakes::FakeEventPump events;
        if (SaveListviewProperlySpaced(list, fileName, nullptr, messages, events)) {
            return "the export reported success";
        }
        const std::u16string expected = reportFor(description, kOperation, 156);
        if (messages.shownMessages.size() != 1 || messages.shownMessages[0].text != expected) {
            std::string shown = std::to_string(messages.shownMessages.size()) + " reports:";
            for (const auto& message : messages.shownMessages) {
                shown += "\n" + narrow(message.text);
            }
            return shown + "\nexpected:\n" + narrow(expected);
        }
        return {};
    });
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

// Past a few megabytes the file starts on its way to the disk while rows are still being written.
TEST(TextExport, LongListsArriveWhole) {
    ExportFixture f;
    constexpr int rows = 150000;  // about 5.5 MB
    addManyTickedWords(f.list, rows);

    EXPECT_TRUE(f.save(nameIn(f.folder, "results.txt")));

    const std::string header = "Unscramble Letters" + std::string(16, ' ') + "\t\r\n";
    const std::string line = "word" + std::string(30, 'x') + "\t\r\n";
    const std::string written = readBytes(f.folder.path() / "results.txt");
    ASSERT_EQ(written.size(), header.size() + rows * line.size());
    EXPECT_EQ(written.compare(0, header.size(), header), 0);
    for (std::size_t at = header.size(); at < written.size(); at += line.size()) {
        ASSERT_EQ(written.compare(at, line.size(), line), 0) << at;
    }
    EXPECT_EQ(entryCount(f.folder.path()), 1);
}

// The rows are handed to a thread that writes them; with no thread to spare (a process limit)
// they are written on the export's own, the commit too, with the same result.
TEST(TextExport, WithoutAThreadToSpareEverythingIsWrittenInTurn) {
    fakes::TempFolder folder;
    wordloom::testing::handToUnprivileged(folder.path());
    const std::u16string name = nameIn(folder, "results.txt");
    EXPECT_TRUE(wordloom::testing::runUnprivileged([&]() -> std::string {
        const rlimit oneProcess{1, 1};
        if (setrlimit(RLIMIT_NPROC, &oneProcess) != 0) {
            return "cannot limit the processes";
        }
        ExportFixture f;
        constexpr int rows = 60000;  // about 2.2 MB: the rows are written in several pieces
        addManyTickedWords(f.list, rows);
        if (!f.save(name) || !f.messages.shownMessages.empty()) {
            return "the export failed";
        }
        const std::string written = readBytes(folder.path() / "results.txt");
        const std::string line = "word" + std::string(30, 'x') + "\t\r\n";
        if (written.size() != 37 + rows * line.size() ||
            written.compare(written.size() - line.size(), line.size(), line) != 0) {
            return "the file holds " + std::to_string(written.size()) + " bytes";
        }
        return {};
    }));
}

TEST(TextExport, ReplacesAnExistingFileKeepingItsPermissions) {
    ExportFixture f;
    const fs::path target = f.folder.path() / "results";  // no extension is added
    f.folder.write("results", std::string(10000, 'o'));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // The superuser saving over a user's file leaves it the user's.
    wordloom::testing::handToUnprivileged(target);
    struct stat before {};
    ASSERT_EQ(stat(target.c_str(), &before), 0);

    EXPECT_TRUE(f.save(nameIn(f.folder, "results")));

    EXPECT_EQ(readBytes(target), "Unscramble Letters\t\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat after {};
    ASSERT_EQ(stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
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
    // The user may write the file but not its folder: no temporary file can be made beside it,
    // and writing the file in place would destroy it if the export failed midway.
    fakes::TempFolder folder;
    const fs::path target = folder.path() / "results.txt";
    folder.write("results.txt", "old content");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const std::u16string name = nameIn(folder, "results.txt");

    EXPECT_TRUE(failsAsUnprivilegedWith(
        name, u"Cannot create file '" + name +
                  u"': Permission denied. The new content must be written beside the file "
                  u"first, and its folder allows no new files. The file was left as it was."));

    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(readBytes(target), "old content");
    EXPECT_EQ(entryCount(folder.path()), 1);
}

TEST(TextExport, FilesTheUserMayNotWriteAreRefusedAtStep156) {
    fakes::TempFolder folder;
    folder.write("read-only.txt", "read-only content");
    folder.write("not-mine.txt", "someone else's content");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    fs::permissions(folder.path() / "read-only.txt", fs::perms::owner_read);
    if (geteuid() == 0) {
        // A file of another user, writable by that user only.
        ASSERT_EQ(lchown((folder.path() / "not-mine.txt").c_str(), 0, 0), 0);
        fs::permissions(folder.path() / "not-mine.txt",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    } else {
        fs::permissions(folder.path() / "not-mine.txt", fs::perms::owner_read);
    }

    for (const std::string file : {"read-only.txt", "not-mine.txt"}) {
        const std::u16string name = nameIn(folder, file);
        EXPECT_TRUE(failsAsUnprivilegedWith(
            name, u"Cannot create file '" + name + u"': Permission denied."))
            << file;
    }
    // The superuser could write it, but a file without any write permission is read-only by its
    // owner's choice.
    {
        ExportFixture f;
        f.list.addRow({u"cat"}, true);
        const std::u16string name = nameIn(folder, "read-only.txt");
        EXPECT_FALSE(f.save(name));
        EXPECT_EQ(f.messages.shownMessages.size(), 1u);
    }

    EXPECT_EQ(readBytes(folder.path() / "read-only.txt"), "read-only content");
    EXPECT_EQ(fs::status(folder.path() / "read-only.txt").permissions() & fs::perms::all,
              fs::perms::owner_read);
    EXPECT_EQ(readBytes(folder.path() / "not-mine.txt"), "someone else's content");
    EXPECT_EQ(entryCount(folder.path()), 2);
}

TEST(TextExport, TargetsThatAreNotRegularFilesAreRefusedAtStep156) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    fs::create_directory(f.folder.path() / "folder");
    ASSERT_EQ(mkfifo((f.folder.path() / "pipe").c_str(), 0644), 0);
    const std::u16string folderName = nameIn(f.folder, "folder");
    const std::u16string pipeName = nameIn(f.folder, "pipe");

    EXPECT_FALSE(f.save(folderName));
    EXPECT_FALSE(f.save(pipeName));  // and does not wait for a reader

    ASSERT_EQ(f.messages.shownMessages.size(), 2u);
    EXPECT_EQ(
        f.messages.shownMessages[0].text,
        reportFor(u"Cannot create file '" + folderName + u"': Is a directory.", kOperation, 156));
    EXPECT_EQ(f.messages.shownMessages[1].text,
              reportFor(u"Cannot create file '" + pipeName +
                            u"': It is a named pipe, not a regular file.",
                        kOperation, 156));
    EXPECT_TRUE(fs::is_directory(f.folder.path() / "folder"));
    EXPECT_TRUE(fs::is_fifo(f.folder.path() / "pipe"));
    EXPECT_EQ(entryCount(f.folder.path()), 2);
    f.expectProgressReset();

    // A device, as an ordinary user: before, /dev/null itself was written when no temporary file
    // could be made in /dev.
    EXPECT_TRUE(failsAsUnprivilegedWith(
        u"/dev/null", u"Cannot create file '/dev/null': It is a device, not a regular file."));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
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

TEST(TextExport, FailedReplacementIsReportedAtCloseAndRemovesTheNewContent) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    // Something takes the name once the new content is being written.
    f.events.duringYield = [&](int) {
        if (entryCount(f.folder.path()) == 1) {
            fs::create_directory(f.folder.path() / "taken");
        }
    };
    const std::u16string name = nameIn(f.folder, "taken");

    EXPECT_FALSE(f.save(name));

    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text,
              reportFor(u"Cannot replace file '" + name + u"': Is a directory.", kOperation, 232));
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

namespace {

// Every flush to the disk of an export: which file, what it held and what the target held then.
struct Flush {
    std::string file;
    std::string content;
    std::string targetContent;
};
std::vector<Flush> flushes;
fs::path flushTarget;
bool failFlushes = false;

int recordingSync(int descriptor) {
    Flush flush;
    char name[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t size = readlink(link.c_str(), name, sizeof name);
    flush.file = size < 0 ? std::string() : std::string(name, static_cast<std::size_t>(size));
    char bytes[4096];
    const ssize_t got = pread(descriptor, bytes, sizeof bytes, 0);
    flush.content = got < 0 ? std::string() : std::string(bytes, static_cast<std::size_t>(got));
    flush.targetContent = readBytes(flushTarget);
    flushes.push_back(flush);
    if (failFlushes) {
        errno = EIO;
        return -1;
    }
    return fsync(descriptor);
}

}  // namespace

TEST(TextExport, TheNewContentIsOnTheDiskBeforeItTakesTheName) {
    ExportFixture f;
    f.list.addRow({u"cat"}, true);
    f.folder.write("results.txt", "old content");
    flushTarget = f.folder.path() / "results.txt";
    const std::string exported = "Unscramble Letters\t\r\ncat               \t\r\n";

    for (const bool failing : {false, true}) {
        flushes.clear();
        failFlushes = failing;
        wordloom::output::ReplacingFile::setSyncFunction(recordingSync);
        const bool saved = f.save(nameIn(f.folder, "results.txt"));
        wordloom::output::ReplacingFile::setSyncFunction(nullptr);

        const bool flushedFirst =
            std::any_of(flushes.begin(), flushes.end(), [&](const Flush& flush) {
                return flush.file != flushTarget && flush.content == exported &&
                       flush.targetContent == "old content";
            });
        EXPECT_TRUE(flushedFirst) << "the new content was not flushed before the rename";
        EXPECT_EQ(saved, !failing);
        EXPECT_EQ(readBytes(flushTarget), failing ? "old content" : exported);
        EXPECT_EQ(entryCount(f.folder.path()), 1);
        if (!failing) {
            f.folder.write("results.txt", "old content");
        }
    }
    ASSERT_EQ(f.messages.shownMessages.size(), 1u);
    EXPECT_EQ(f.messages.shownMessages[0].text,
              reportFor(u"Cannot write file '" + nameIn(f.folder, "results.txt") +
                            u"': Input/output error.",
                        kOperation, 232));
}
