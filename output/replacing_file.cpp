#include "output/replacing_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace wordloom::output {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

// The temporary files that exist right now, for removeUnfinishedFiles(). Fixed storage and
// lock-free flags, so that the list can be read from a signal handler: a slot's path is valid
// while `ready` is set.
struct UnfinishedSlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> ready{false};
    char path[PATH_MAX] = {};
};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int kSlots = 8;  // one export runs at a time; a few spare for safety
UnfinishedSlot unfinished[kSlots];

int registerUnfinished(const std::string& path) noexcept {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!unfinished[slot].taken.exchange(true)) {
            std::memcpy(unfinished[slot].path, path.c_str(), path.size() + 1);
            unfinished[slot].ready.store(true);
            return slot;
        }
    }
    return -1;  // not expected; the file is then still removed by its owner's destructor
}

void unregisterUnfinished(int slot) noexcept {
    if (slot < 0) {
        return;
    }
    unfinished[slot].ready.store(false);
    unfinished[slot].taken.store(false);
}

std::string randomSuffix(std::mt19937& random) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[pick(random)];
    }
    return suffix;
}

// Replacing a link would cut it; the file it leads to is the one to replace.
std::string followLink(const std::string& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) {
        return path;
    }
    const fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::string folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// What a file that is neither a folder nor a regular file is, for the report.
const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "It is a named pipe, not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "It is a device, not a regular file";
    }
    if (S_ISSOCK(mode)) {
        return "It is a socket, not a regular file";
    }
    return "It is not a regular file";
}

void closeQuietly(int descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : m_target(followLink(target)) {
    struct stat existing {};
    const bool replacing = ::stat(m_target.c_str(), &existing) == 0;
    if (!replacing && errno != ENOENT) {
        fail("create", errno);  // an unreadable path, a name too long, a file used as a folder
    }
    if (replacing) {
        checkReplaceable(existing);
    }
    createTemporary(replacing);
}

void ReplacingFile::checkReplaceable(const struct stat& existing) {
    if (S_ISDIR(existing.st_mode)) {
        fail("create", EISDIR);
    }
    if (!S_ISREG(existing.st_mode)) {
        fail("create", 0, kindOf(existing.st_mode));
    }
    // The rights of the effective user, as the open itself would check them.
    if (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0) {
        fail("create", errno);
    }
    // The superuser passes every check of the mode bits; a file that nobody may write is still
    // read-only by its owner's choice, so it is not replaced.
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        fail("create", EACCES);
    }
    // In a folder with the sticky bit (like /tmp) only the owner of a file, or of the folder,
    // may replace it; the rename at the end would fail after all the work.
    struct stat folder {};
    const uid_t user = ::geteuid();
    if (user != 0 && ::stat(folderOf(m_target).c_str(), &folder) == 0 &&
        (folder.st_mode & S_ISVTX) != 0 && existing.st_uid != user && folder.st_uid != user) {
        fail("create", EPERM);
    }
}

void ReplacingFile::createTemporary(bool replacing) {
    std::mt19937 random{std::random_device{}()};
    int descriptor = -1;
    int error = 0;
    bool shortName = false;
    for (int attempt = 0; attempt < kNameAttempts && descriptor < 0; ++attempt) {
        // A name at the length limit leaves no room for a suffix: a short hidden name then.
        const std::string candidate =
            (shortName ? folderOf(m_target) + "/.wordloom" : m_target) + randomSuffix(random);
        descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            m_temporary = candidate;
            m_registration = registerUnfinished(m_temporary);
            break;
        }
        error = errno;
        if (error == ENAMETOOLONG && !shortName) {
            shortName = true;
        } else if (error != EEXIST && error != EINTR) {
            break;
        }
    }
    if (descriptor < 0) {
        if (!replacing) {
            fail("create", error);
        }
        // The target itself is never written in place: a failure midway would destroy it.
        const bool folderClosed = error == EACCES || error == EPERM || error == EROFS;
        fail("create", error,
             folderClosed ? "The new content must be written beside the file first, and its folder "
                            "allows no new files. The file was left as it was"
                          : "The file was left as it was");
    }
    m_file = ::fdopen(descriptor, "wb");
    if (m_file == nullptr) {
        error = errno;
        closeQuietly(descriptor);
        // A constructor that throws runs no destructor: the file is removed here.
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        forgetTemporary();
        fail("create", error);
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
    }
    forgetTemporary();
}

void ReplacingFile::forgetTemporary() noexcept {
    unregisterUnfinished(m_registration);
    m_registration = -1;
}

void ReplacingFile::removeUnfinishedFiles() noexcept {
    for (UnfinishedSlot& slot : unfinished) {
        if (slot.ready.load()) {
            ::unlink(slot.path);
        }
    }
}

void ReplacingFile::write(std::string_view bytes) {
    if (m_file == nullptr) {
        throw std::logic_error("File '" + m_target + "' is already closed.");
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        fail("write", errno);
    }
    m_written += bytes.size();
    // A long file starts on its way to the disk while the rest is being written, so that the
    // flush in commit() finds little left to wait for. Only a start: any failure shows there.
    if (m_written - m_writebackFrom >= kWritebackBytes) {
        if (std::fflush(m_file) != 0) {
            fail("write", errno);
        }
        ::sync_file_range(::fileno(m_file), static_cast<off_t>(m_writebackFrom),
                          static_cast<off_t>(m_written - m_writebackFrom), SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_written;
    }
}

void ReplacingFile::commit() {
    if (m_file == nullptr) {
        throw std::logic_error("File '" + m_target + "' is already closed.");
    }
    std::FILE* file = m_file;
    m_file = nullptr;
    const int descriptor = ::fileno(file);
    // On the disk before it takes the target's name, so that a crash right after the rename
    // cannot leave an empty file under that name.
    if (std::fflush(file) != 0 || ::fsync(descriptor) != 0) {
        const int error = errno;
        std::fclose(file);
        fail("write", error);
    }
    struct stat existing {};
    if (::stat(m_target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        // The owner first: a change of owner clears the set-user-ID bits that fchmod restores.
        // Only the superuser may give a file away; others keep the new file as their own.
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored =
                ::fchown(descriptor, existing.st_uid, existing.st_gid);
        }
        ::fchmod(descriptor, existing.st_mode & 07777);
    }
    if (std::fclose(file) != 0) {
        fail("write", errno);
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        fail("replace", errno);
    }
    m_temporary.clear();
    forgetTemporary();
    // The new name itself is on the disk only once its folder is.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const int synced = ::fsync(folder);
        const int error = errno;
        ::close(folder);
        // Some file systems cannot sync a folder (EINVAL); only a real write error counts.
        if (synced != 0 && error == EIO) {
            fail("write", error);
        }
    }
}

void ReplacingFile::fail(std::string_view action, int error, std::string_view detail) {
    m_failed = true;
    std::string message = "Cannot " + std::string(action) + " file '" + m_target + "': ";
    if (error != 0) {
        message += std::generic_category().message(error) + ".";
        if (!detail.empty()) {
            message += " ";
        }
    }
    if (!detail.empty()) {
        message += std::string(detail) + ".";
    }
    throw std::runtime_error(message);
}

}  // namespace wordloom::output
