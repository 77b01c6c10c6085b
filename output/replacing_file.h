#pragma once

#include <sys/stat.h>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace wordloom::output {

// Writes a file so that the file it replaces is never harmed and stays what it was: the bytes go
// to a new hidden temporary file beside the target (".name.wordloom-XXXXXX"), which is flushed to
// the disk and takes the target's place only on commit(). Until then the target is left exactly
// as it was. A symbolic link is followed to the file it names (created when the link dangles);
// the link stays a link.
//
// The temporary file never has more rights than the final file: it is made with the owner's
// bits of the old file's mode and then given the old file's owner, group, mode, ACL and other
// extended attributes. Where a new file cannot be made the same — the old file has more than
// one hard link, an owner or group this user cannot give, attributes that cannot be copied —
// commit() writes in place instead: it copies the old content to a backup beside the file (or,
// when the folder takes no new files, in the user's cache folder), flushes it, overwrites the
// file, flushes it and removes the backup. A failure there puts the old content back.
//
// The target is checked before anything is written: a folder, a named pipe, a device or a file
// the user may not write is refused, and so is a file without any write permission even for the
// superuser, who could otherwise replace a file its owner marked read-only. When no temporary
// file can be made (the folder takes no new files and the file could be replaced by a rename,
// the disk has no room or no free inodes), that is a failure too.
//
// Failures throw std::runtime_error with a sentence naming the file and the cause.
class ReplacingFile {
public:
    // Paths are in the file system's own encoding (UTF-8 here).
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();  // an uncommitted temporary file is removed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(std::string_view bytes);
    // Flushes the file to the disk and puts it in place of the target.
    void commit();
    // Whether a write or the commit has failed; nothing more should be written then.
    bool failed() const { return m_failed; }
    // Whether commit() overwrites the target itself (see above) rather than renaming over it.
    // That commit must not be left midway, so it should run without yielding to other work.
    bool writesInPlace() const { return m_inPlace; }

    // The temporary file's name while one exists; empty otherwise.
    const std::string& temporaryPath() const { return m_temporary; }

    // Removes the temporary file of every ReplacingFile that is not committed yet. For exits that
    // end the process without unwinding (the window's close ends the program at once, even in
    // the middle of an export). Uses only async-signal-safe calls, so a signal handler may call
    // it too. The objects stay usable: their commit fails, their destructors do no harm.
    static void removeUnfinishedFiles() noexcept;

    // Every flush to the disk goes through this function (fsync unless replaced), so that tests
    // can see when the data reaches the disk, fail the flush or hold it up. Not thread-safe.
    using SyncFunction = int (*)(int descriptor);
    static void setSyncFunction(SyncFunction sync);

private:
    [[noreturn]] void fail(std::string_view action, int error, std::string_view detail = {});
    void checkReplaceable(const struct stat& existing);
    bool openTemporaryIn(const std::string& folder, mode_t mode, int& error);
    void createTemporary(const struct stat* existing);
    void discardTemporary() noexcept;
    void forgetTemporary() noexcept;
    void commitByRename(std::FILE* file);
    void commitInPlace(std::FILE* file);

    std::string m_target;       // where the content must end up (links followed)
    std::string m_temporary;    // the new content until commit()
    struct stat m_existing {};  // the file replaced, when m_replacing
    bool m_replacing = false;
    bool m_inPlace = false;
    // Bytes written between starts of the write-out to the disk.
    static constexpr std::size_t kWritebackBytes = std::size_t{4} << 20;

    std::FILE* m_file = nullptr;
    std::size_t m_written = 0;
    std::size_t m_writebackFrom = 0;  // the first byte whose write-out has not been started
    int m_registration = -1;          // slot in the list removeUnfinishedFiles() works through
    bool m_failed = false;
};

}  // namespace wordloom::output
