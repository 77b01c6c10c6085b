#pragma once

#include <sys/stat.h>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace wordloom::output {

// Writes a file so that the file it replaces is never harmed: the bytes go to a new temporary
// file beside the target, which is flushed to the disk and takes the target's place only on
// commit(), keeping the permission bits (and, where allowed, the owner) of the file it replaces.
// Until then the target is left exactly as it was.
//
// The target is checked before anything is written: a folder, a named pipe, a device or a file
// the user may not write is refused, and so is a file without any write permission even for the
// superuser, who could otherwise replace a file its owner marked read-only. When no temporary
// file can be made beside the target (the folder takes no new files, the disk has no room or no
// free inodes), that is a failure too; the target is never written in place.
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

    // The temporary file's name while one exists; empty otherwise.
    const std::string& temporaryPath() const { return m_temporary; }

    // Removes the temporary file of every ReplacingFile that is not committed yet. For exits that
    // end the process without unwinding (the window's close ends the program at once, even in
    // the middle of an export). Uses only async-signal-safe calls, so a signal handler may call
    // it too. The objects stay usable: their commit fails, their destructors do no harm.
    static void removeUnfinishedFiles() noexcept;

private:
    [[noreturn]] void fail(std::string_view action, int error, std::string_view detail = {});
    void checkReplaceable(const struct stat& existing);
    void createTemporary(bool replacing);
    void forgetTemporary() noexcept;

    std::string m_target;     // where the content must end up (a link is followed)
    std::string m_temporary;  // the new content until commit()
    // Bytes written between starts of the write-out to the disk.
    static constexpr std::size_t kWritebackBytes = std::size_t{4} << 20;

    std::FILE* m_file = nullptr;
    std::size_t m_written = 0;
    std::size_t m_writebackFrom = 0;  // the first byte whose write-out has not been started
    int m_registration = -1;          // slot in the list removeUnfinishedFiles() works through
    bool m_failed = false;
};

}  // namespace wordloom::output
