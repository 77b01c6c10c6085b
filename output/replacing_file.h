#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace wordloom::output {

// Writes a file so that a failure midway never leaves the old file half overwritten: the bytes go
// to a new temporary file beside the target, which takes the target's place only on commit(),
// keeping the permissions of the file it replaces. When the folder takes no new files, the target
// itself is written instead, as the only way left to save.
// Failures throw std::runtime_error with a sentence naming the file and the cause.
class ReplacingFile {
public:
    // Paths are in the file system's own encoding (UTF-8 here).
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();  // an uncommitted temporary file is removed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(std::string_view bytes);
    // Closes the file and puts it in place of the target.
    void commit();
    // Whether a write or the commit has failed; nothing more should be written then.
    bool failed() const { return m_failed; }

private:
    [[noreturn]] void fail(std::string_view action, int error);

    std::string m_target;     // where the content must end up (a link is followed)
    std::string m_temporary;  // empty when writing the target directly
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};

}  // namespace wordloom::output
