#include "output/replacing_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "output/file_metadata.h"
#include "output/hidden_file.h"

namespace wordloom::output {

namespace {

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

bool folderClosed(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : m_target(std::move(target)) {
    std::string resolved = followLinks(m_target);
    if (resolved.empty()) {
        fail("create", errno);
    }
    m_target = std::move(resolved);
    m_replacing = ::stat(m_target.c_str(), &m_existing) == 0;
    if (!m_replacing && errno != ENOENT) {
        fail("create", errno);  // an unreadable path, a name too long, a file used as a folder
    }
    if (m_replacing) {
        checkReplaceable(m_existing);
        // A rename would give the other names of the file the old content, or give the file
        // this user as its owner.
        m_inPlace = m_existing.st_nlink > 1 || !mayGiveOwnerOf(m_existing);
    }
    createTemporary(m_replacing ? &m_existing : nullptr);
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
}

bool ReplacingFile::openTemporaryIn(const std::string& folder, mode_t mode, int& error) {
    std::string path;
    const int descriptor = openHiddenFile(folder, m_target, "", mode, path, error);
    if (descriptor < 0) {
        return false;
    }
    m_file = ::fdopen(descriptor, "wb");
    if (m_file == nullptr) {
        error = errno;
        ::close(descriptor);
        ::unlink(path.c_str());
        return false;
    }
    m_temporary = path;
    m_registration = registerUnfinished(m_temporary);
    return true;
}

void ReplacingFile::createTemporary(const struct stat* existing) {
    const std::string folder = folderOf(m_target);
    // Only the owner's bits until the owner, group and mode are those of the old file; a file
    // written in place takes the new content into a private one first.
    const mode_t mode = existing == nullptr ? 0666 : m_inPlace ? 0600 : existing->st_mode & 0700;
    int error = 0;
    if (openTemporaryIn(folder, mode, error)) {
        if (existing == nullptr || m_inPlace ||
            copyWhatTheFileIs(m_target, *existing, ::fileno(m_file))) {
            return;
        }
        discardTemporary();
        m_inPlace = true;
        if (openTemporaryIn(folder, 0600, error)) {
            return;
        }
    }
    if (m_inPlace && folderClosed(error)) {
        const std::string cache = userCacheFolder();
        if (!cache.empty() && openTemporaryIn(cache, 0600, error)) {
            return;
        }
    }
    if (existing == nullptr) {
        fail("create", error);
    }
    // The target itself is not written before the new content is complete: a failure midway
    // would destroy it.
    fail("create", error,
         folderClosed(error) ? "The new content must be written beside the file first, and its "
                               "folder allows no new files. The file was left as it was"
                             : "The file was left as it was");
}

ReplacingFile::~ReplacingFile() {
    discardTemporary();
}

void ReplacingFile::discardTemporary() noexcept {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
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

void ReplacingFile::setSyncFunction(SyncFunction sync) {
    syncToDisk = sync != nullptr ? sync : ::fsync;
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
    if (m_inPlace) {
        commitInPlace(file);
    } else {
        commitByRename(file);
    }
}

void ReplacingFile::commitByRename(std::FILE* file) {
    const int descriptor = ::fileno(file);
    // On the disk before it takes the target's name, so that a crash right after the rename
    // cannot leave an empty file under that name.
    if (std::fflush(file) != 0 || syncToDisk(descriptor) != 0) {
        const int error = errno;
        std::fclose(file);
        fail("write", error);
    }
    // Writing clears the set-user-ID and set-group-ID bits the file was given.
    if (m_replacing && (m_existing.st_mode & (S_ISUID | S_ISGID)) != 0) {
        ::fchmod(descriptor, m_existing.st_mode & 07777);
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
    if (syncFolder(folderOf(m_target)) == EIO) {
        fail("write", EIO);
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
