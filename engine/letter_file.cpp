#include "letter_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include "text.h"

namespace wordloom::engine {

LetterLineSplitter::LetterLineSplitter(Sink sink) : m_sink(std::move(sink)) {}

void LetterLineSplitter::endPiece() {
    std::u16string entry = std::move(m_piece);
    m_piece.clear();
    m_pendingBlanks = 0;
    m_sink(std::move(entry));
}

void LetterLineSplitter::feed(std::u16string_view chunk) {
    for (const char16_t unit : chunk) {
        const bool afterCr = m_afterCr;
        m_afterCr = false;
        m_afterLf = false;
        switch (unit) {
            case u'\r':
                endPiece();
                m_lineOpen = false;
                m_afterCr = true;
                break;
            case u'\n':
                if (afterCr) {
                    break;  // the second half of CR LF
                }
                endPiece();
                m_lineOpen = true;
                m_afterLf = true;
                break;
            case u' ':
                if (!m_piece.empty()) {
                    ++m_pendingBlanks;  // kept only if more text follows
                }
                m_lineOpen = true;
                break;
            default:
                m_piece.append(m_pendingBlanks, u' ');
                m_pendingBlanks = 0;
                m_piece.push_back(unit);
                m_lineOpen = true;
                break;
        }
    }
}

void LetterLineSplitter::finish() {
    // A line cut off by the end of the text still counts, unless all that is left of it is the
    // empty piece after a final LF.
    if (m_lineOpen && !m_afterLf) {
        endPiece();
    }
    m_piece.clear();
    m_pendingBlanks = 0;
    m_lineOpen = false;
    m_afterCr = false;
    m_afterLf = false;
}

namespace {

// Closes the descriptor however the read ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int openForReading(const std::string& path, LetterFileKinds kinds) {
    // Without O_NONBLOCK, opening a FIFO waits until some other program opens it for writing.
    const int flags =
        O_RDONLY | O_CLOEXEC | (kinds == LetterFileKinds::RegularOnly ? O_NONBLOCK : 0);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads up to `size` bytes; 0 at the end of the file, -1 on a failure.
ssize_t readSome(int fd, char* bytes, std::size_t size) {
    ssize_t count = -1;
    do {
        count = ::read(fd, bytes, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

}  // namespace

void readLetterFile(const std::string& path, const LetterLineSplitter::Sink& onEntry,
                    LetterFileKinds kinds) {
    const FileDescriptor file(openForReading(path, kinds));
    if (file.get() < 0) {
        throw std::runtime_error("Cannot open the letter file '" + path +
                                 "'. Check that it exists and that you may read it.");
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        throw std::runtime_error("Cannot read the letter file '" + path +
                                 "': " + std::strerror(errno) + ". Nothing was added.");
    }
    if (S_ISDIR(status.st_mode)) {
        throw std::runtime_error("Cannot read the letter file '" + path +
                                 "': it is a folder, not a file. Nothing was added.");
    }
    if (kinds == LetterFileKinds::RegularOnly && !S_ISREG(status.st_mode)) {
        throw std::runtime_error("Cannot read the letter file '" + path +
                                 "': it is not a regular file but a pipe, device or socket. "
                                 "Nothing was added.");
    }

    // Chunks keep the memory bounded by the entries themselves, whatever the file's size.
    constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    const std::unique_ptr<char[]> bytes(new char[kChunkBytes]);
    std::u16string text;
    Utf8Decoder decoder;
    LetterLineSplitter splitter(onEntry);
    for (;;) {
        const ssize_t count = readSome(file.get(), bytes.get(), kChunkBytes);
        if (count < 0) {
            // The line cut off by the failure is left out; the lines before it were handed out.
            throw std::runtime_error("Cannot read the letter file '" + path +
                                     "' to its end; the lines before the failure were added.");
        }
        if (count == 0) {
            break;
        }
        text.clear();
        decoder.feed(std::string_view(bytes.get(), static_cast<std::size_t>(count)), text);
        splitter.feed(text);
    }
    text.clear();
    decoder.finish(text);
    splitter.feed(text);
    splitter.finish();
}

}  // namespace wordloom::engine
