// Saving over a file keeps what the file is: its owner, group, mode, ACL, extended attributes,
// hard links and symbolic links, as `stat`, getxattr and the other names of the file show them
// before and after. Cases about rights run as user 65534.

#include "output/replacing_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "file_helpers.h"
#include "support/unprivileged.h"

namespace fs = std::filesystem;
using wordloom::output::ReplacingFile;
using wordloom::testing::handToUnprivileged;
using wordloom::testing::kUnprivilegedGroup;
using wordloom::testing::kUnprivilegedUser;
using wordloom::testing::runUnprivileged;

namespace {

constexpr std::string_view kNew = "new content\r\n";

// The access ACL "user::rw-, user:daemon:rw-, group::r--, mask::rw-, other::r--" as the kernel
// stores it (the binary form of system.posix_acl_access).
std::string daemonMayWriteAcl() {
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    const Entry entries[] = {
        {0x01, 6, ~0u}, {0x02, 6, 1}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 4, ~0u}};
    std::string acl(4, '\0');
    acl[0] = 2;  // version
    for (const Entry& entry : entries) {
        acl.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    }
    return acl;
}

std::optional<std::string> attribute(const fs::path& file, const char* name) {
    char value[4096];
    const ssize_t size = ::getxattr(file.c_str(), name, value, sizeof value);
    if (size < 0) {
        return std::nullopt;
    }
    return std::string(value, static_cast<std::size_t>(size));
}

void setAttribute(const fs::path& file, const char* name, const std::string& value) {
    ASSERT_EQ(::setxattr(file.c_str(), name, value.data(), value.size(), 0), 0) << name;
}

struct stat statOf(const fs::path& file) {
    struct stat result {};
    EXPECT_EQ(::stat(file.c_str(), &result), 0) << file;
    return result;
}

// Saves kNew over `file`; the failure's message, or empty.
std::string save(const fs::path& file) {
    try {
        ReplacingFile replacing(file.string());
        replacing.write(kNew);
        replacing.commit();
        return {};
    } catch (const std::exception& failure) {
        return failure.what();
    }
}

// What `stat` shows of a file that a save must keep (not its inode or times).
std::string identity(const struct stat& s) {
    return "mode " + std::to_string(s.st_mode) + " owner " + std::to_string(s.st_uid) + ":" +
           std::to_string(s.st_gid) + " links " + std::to_string(s.st_nlink);
}

}  // namespace

TEST(ReplacingFile, KeepsTheAclAndExtendedAttributesAndTakesTheRenamePath) {
    fakes::TempFolder folder;
    folder.write("results.txt", "old");
    const fs::path file = folder.path() / "results.txt";
    fs::permissions(file, fs::perms(0640));
    setAttribute(file, "system.posix_acl_access", daemonMayWriteAcl());
    setAttribute(file, "user.comment", "kept");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    const struct stat before = statOf(file);
    ASSERT_EQ(before.st_mode & 07777, 0664u);  // the ACL's mask shows as the group bits
    ino_t previous = before.st_ino;

    for (const bool unprivileged : {true, false}) {
        if (unprivileged) {
            EXPECT_TRUE(runUnprivileged([&] { return save(file); }));
        } else {
            EXPECT_EQ(save(file), "");  // the superuser saving the user's file
        }
        const struct stat after = statOf(file);
        EXPECT_EQ(readBytes(file), kNew);
        EXPECT_EQ(identity(after), identity(before));
        EXPECT_NE(after.st_ino, previous);  // a new file took the name
        previous = after.st_ino;
        EXPECT_EQ(attribute(file, "system.posix_acl_access"), daemonMayWriteAcl());
        EXPECT_EQ(attribute(file, "user.comment"), "kept");
        EXPECT_EQ(entryCount(folder.path()), 1);
    }
}

TEST(ReplacingFile, AFileWithHardLinksIsWrittenInPlaceSoEveryNameShowsTheNewContent) {
    fakes::TempFolder folder;
    folder.write("hard1.txt", "old");
    fs::create_hard_link(folder.path() / "hard1.txt", folder.path() / "hard2.txt");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    const struct stat before = statOf(folder.path() / "hard1.txt");

    EXPECT_TRUE(runUnprivileged([&] { return save(folder.path() / "hard1.txt"); }));

    const struct stat after = statOf(folder.path() / "hard1.txt");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(identity(after), identity(before));
    EXPECT_EQ(readBytes(folder.path() / "hard2.txt"), kNew);
    EXPECT_EQ(entryCount(folder.path()), 2);  // no backup or temporary file left
}

TEST(ReplacingFile, AFileOfAnotherOwnerKeepsItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs a file of another user";
    }
    // Root's group-writable file in the user's folder: the user may write it, not give it away.
    fakes::TempFolder folder;
    folder.write("shared.txt", "old");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    const fs::path file = folder.path() / "shared.txt";
    ASSERT_EQ(::chown(file.c_str(), 0, kUnprivilegedGroup), 0);
    fs::permissions(file, fs::perms(0664));
    setAttribute(file, "security.wordloom-test", "only the superuser sets this");
    const struct stat before = statOf(file);

    EXPECT_TRUE(runUnprivileged([&] { return save(file); }));

    const struct stat after = statOf(file);
    EXPECT_EQ(readBytes(file), kNew);
    EXPECT_EQ(identity(after), identity(before));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(attribute(file, "security.wordloom-test"), "only the superuser sets this");
    EXPECT_EQ(entryCount(folder.path()), 1);

    // The user's own file with an attribute the user cannot set on a new file.
    ASSERT_EQ(::chown(file.c_str(), kUnprivilegedUser, kUnprivilegedGroup), 0);
    const ino_t inode = statOf(file).st_ino;
    EXPECT_TRUE(runUnprivileged([&] { return save(file); }));
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(attribute(file, "security.wordloom-test"), "only the superuser sets this");
}

TEST(ReplacingFile, SymbolicLinksStayLinksAndADanglingOneGetsItsFile) {
    fakes::TempFolder folder;
    folder.write("existing.txt", "old");
    fs::create_symlink("existing.txt", folder.path() / "link.txt");
    fs::create_symlink("nowhere.txt", folder.path() / "dangling.txt");
    fs::create_directory(folder.path() / "sub");
    fs::create_symlink("../link.txt", folder.path() / "sub" / "chain.txt");

    EXPECT_EQ(save(folder.path() / "dangling.txt"), "");
    EXPECT_EQ(save(folder.path() / "sub" / "chain.txt"), "");

    EXPECT_TRUE(fs::is_symlink(folder.path() / "dangling.txt"));
    EXPECT_EQ(readBytes(folder.path() / "nowhere.txt"), kNew);
    EXPECT_TRUE(fs::is_symlink(folder.path() / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "sub" / "chain.txt"));
    EXPECT_EQ(readBytes(folder.path() / "existing.txt"), kNew);
    EXPECT_EQ(entryCount(folder.path()), 5);

    fs::create_symlink("loop.txt", folder.path() / "loop.txt");
    EXPECT_NE(save(folder.path() / "loop.txt").find("Too many levels of symbolic links"),
              std::string::npos);
}

TEST(ReplacingFile, TheTemporaryFileIsHiddenOursAndNeverReadableByMore) {
    fakes::TempFolder folder;
    folder.write("private.txt", "old");
    const fs::path file = folder.path() / "private.txt";
    fs::permissions(file, fs::perms(0600));

    ReplacingFile replacing(file.string());
    const fs::path temporary = replacing.temporaryPath();
    EXPECT_EQ(temporary.parent_path(), folder.path());
    EXPECT_EQ(temporary.filename().string().rfind(".private.txt.wordloom-", 0), 0u) << temporary;
    EXPECT_EQ(statOf(temporary).st_mode & 07777, 0600u);
    replacing.write(kNew);
    replacing.commit();
    EXPECT_EQ(statOf(file).st_mode & 07777, 0600u);
}

namespace {

// The flushes of the current case: the name of each file flushed, and the one to fail.
std::vector<std::string> flushedNames;
std::string failFlushOf;  // the end of a file name, or a part of it after '*'; empty: none

bool nameMatches(const std::string& name, const std::string& pattern) {
    if (pattern.empty()) {
        return false;
    }
    if (pattern.front() == '*') {
        return name.find(pattern.substr(1)) != std::string::npos;
    }
    return name.size() >= pattern.size() &&
           name.compare(name.size() - pattern.size(), pattern.size(), pattern) == 0;
}

std::string nameOfDescriptor(int descriptor) {
    char name[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t size = ::readlink(link.c_str(), name, sizeof name);
    return size < 0 ? std::string() : std::string(name, static_cast<std::size_t>(size));
}

int recordingSync(int descriptor) {
    const std::string name = nameOfDescriptor(descriptor);
    flushedNames.push_back(name);
    if (nameMatches(name, failFlushOf)) {
        failFlushOf.clear();  // once
        errno = EIO;
        return -1;
    }
    return ::fsync(descriptor);
}

struct RecordedFlushes {
    explicit RecordedFlushes(std::string failing = {}) {
        flushedNames.clear();
        failFlushOf = std::move(failing);
        ReplacingFile::setSyncFunction(recordingSync);
    }
    ~RecordedFlushes() { ReplacingFile::setSyncFunction(nullptr); }
};

}  // namespace

TEST(ReplacingFile, AFailedStepInPlaceIsReportedOnceAndTheOldContentStays) {
    fakes::TempFolder folder;
    folder.write("hard1.txt", "old");
    fs::create_hard_link(folder.path() / "hard1.txt", folder.path() / "hard2.txt");
    const std::string name = (folder.path() / "hard1.txt").string();
    const std::pair<std::string, std::string> failures[] = {
        {"*-backup-",
         "Cannot back up file '" + name + "': Input/output error. The file was left as it was."},
        {"/hard1.txt",
         "Cannot write file '" + name + "': Input/output error. The old content was put back."},
    };
    for (const auto& [failing, message] : failures) {
        RecordedFlushes flushes(failing);
        EXPECT_EQ(save(name), message);
        EXPECT_EQ(readBytes(folder.path() / "hard1.txt"), "old");
        EXPECT_EQ(readBytes(folder.path() / "hard2.txt"), "old");
        EXPECT_EQ(statOf(folder.path() / "hard1.txt").st_nlink, 2u);
        EXPECT_EQ(entryCount(folder.path()), 2);
    }
}

TEST(ReplacingFile, InPlaceInAClosedFolderTheBackupGoesToTheCacheFolder) {
    fakes::TempFolder folder;
    folder.write("files/hard1.txt", "old");
    fs::create_hard_link(folder.path() / "files/hard1.txt", folder.path() / "files/hard2.txt");
    fs::create_directory(folder.path() / "cache");
    wordloom::testing::handTreeToUnprivileged(folder.path());
    fs::permissions(folder.path() / "files", fs::perms(0500));

    RecordedFlushes flushes;
    EXPECT_TRUE(runUnprivileged([&]() -> std::string {
        ::setenv("XDG_CACHE_HOME", (folder.path() / "cache").c_str(), 1);
        std::string failure = save(folder.path() / "files/hard1.txt");
        for (const std::string& flushed : flushedNames) {
            if (flushed.find("/cache/wordloom/.hard1.txt.wordloom-backup-") != std::string::npos) {
                return failure;
            }
        }
        return failure + " (no backup flushed in the cache folder)";
    }));

    fs::permissions(folder.path() / "files", fs::perms(0700));
    EXPECT_EQ(readBytes(folder.path() / "files/hard2.txt"), kNew);
    EXPECT_EQ(entryCount(folder.path() / "files"), 2);
    EXPECT_EQ(entryCount(folder.path() / "cache/wordloom"), 0);
}

// SIGKILL at every flush of a save, on both paths: the file is whole, old or new, and what is
// left beside it is hidden and carries the program's name.
TEST(ReplacingFile, KilledAtAnyFlushTheFileIsTheOldOrTheNewOne) {
    for (const bool hardLinked : {false, true}) {
        for (int killAt = 1;; ++killAt) {
            fakes::TempFolder folder;
            folder.write("results.txt", "old");
            if (hardLinked) {
                fs::create_hard_link(folder.path() / "results.txt", folder.path() / "other.txt");
            }
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            static int flushes;
            static int signalAt;
            static int signalTo;
            flushes = 0;
            signalAt = killAt;
            signalTo = ready[1];
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(ready[0]);
                ReplacingFile::setSyncFunction([](int descriptor) {
                    if (++flushes == signalAt) {
                        [[maybe_unused]] const ssize_t n = ::write(signalTo, "k", 1);
                        ::pause();
                    }
                    return ::fsync(descriptor);
                });
                ::_exit(save(folder.path() / "results.txt").empty() ? 0 : 1);
            }
            ::close(ready[1]);
            char byte = 0;
            const bool held = ::read(ready[0], &byte, 1) == 1;
            ::close(ready[0]);
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);

            const std::string content = readBytes(folder.path() / "results.txt");
            EXPECT_TRUE(content == "old" || content == kNew) << content << " at " << killAt;
            if (hardLinked) {
                EXPECT_EQ(readBytes(folder.path() / "other.txt"), content);
            }
            for (const auto& entry : fs::directory_iterator(folder.path())) {
                const std::string name = entry.path().filename().string();
                EXPECT_TRUE(name == "results.txt" || name == "other.txt" ||
                            name.rfind(".results.txt.wordloom-", 0) == 0)
                    << name;
            }
            if (!held) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                EXPECT_EQ(content, kNew);
                EXPECT_GT(killAt, 2) << "the save flushed too seldom";
                break;
            }
        }
    }
}
