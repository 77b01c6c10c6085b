// The commit of a file that a rename would change (see ReplacingFile): the old content goes to a
// backup first, then the new content is copied over the file itself.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "output/file_metadata.h"
#include "output/hidden_file.h"
#include "output/replacing_file.h"

namespace wordloom::output {

namespace {

// Closes a descriptor at the end of a scope.
struct Descriptor {
    int value = -1;
    ~Descriptor() {
        if (value >= 0) {
            ::close(value);
        }
    }
};

// A backup of the open file `target` beside `targetPath`, or in the user's cache folder when that
// folder takes no new files; flushed to the disk. Returns its descriptor, or -1 with errno set.
int backUp(int target, const std::string& targetPath, std::string& backupPath) {
    int error = 0;
    int backup =
        openHiddenFile(folderOf(targetPath), targetPath, "-backup", 0600, backupPath, error);
    if (backup < 0 && (error == EACCES || error == EPERM || error == EROFS)) {
        const std::string cache = userCacheFolder();
        if (!cache.empty()) {
            backup = openHiddenFile(cache, targetPath, "-backup", 0600, backupPath, error);
        }
    }
    if (backup < 0) {
        errno = error;
        return -1;
    }
    if (!copyWholeFile(target, backup) || syncToDisk(backup) != 0) {
        error = errno;
        ::close(backup);
        ::unlink(backupPath.c_str());
        errno = error;
        return -1;
    }
    // The backup's name must survive a crash as well as its content.
    syncFolder(folderOf(backupPath));
    return backup;
}

}  // namespace

void ReplacingFile::commitInPlace(std::FILE* file) {
    const bool flushed = std::fflush(file) == 0;
    int error = errno;
    Descriptor staged{::dup(::fileno(file))};
    std::fclose(file);
    if (!flushed || staged.value < 0) {
        fail("write", flushed ? EBADF : error);
    }

    // 1. The old content, safe on the disk.
    Descriptor target{::open(m_target.c_str(), O_RDWR | O_CLOEXEC)};
    if (target.value < 0) {
        fail("back up", errno, "The file was left as it was");
    }
    std::string backupPath;
    Descriptor backup{backUp(target.value, m_target, backupPath)};
    if (backup.value < 0) {
        fail("back up", errno, "The file was left as it was");
    }

    // 2. The new content over it; on a failure the old content goes back.
    if (!copyWholeFile(staged.value, target.value) || syncToDisk(target.value) != 0) {
        error = errno;
        const bool restored =
            copyWholeFile(backup.value, target.value) && syncToDisk(target.value) == 0;
        if (restored) {
            ::unlink(backupPath.c_str());
        }
        fail("write", error,
             restored ? "The old content was put back"
                      : "Its old content is kept in '" + backupPath + "'");
    }

    // 3. Done: neither the backup nor the new content's first copy is needed any more.
    ::unlink(backupPath.c_str());
    ::unlink(m_temporary.c_str());
    m_temporary.clear();
    forgetTemporary();
}

}  // namespace wordloom::output
