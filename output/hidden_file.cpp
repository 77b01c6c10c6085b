#include "output/hidden_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

namespace wordloom::output {

namespace {

constexpr int kNameAttempts = 100;
constexpr std::size_t kCopyBytes = std::size_t{1} << 20;

std::string randomLetters(std::mt19937& random) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string letters;
    for (int i = 0; i < 6; ++i) {
        letters += kLetters[pick(random)];
    }
    return letters;
}

bool writeAll(int to, const char* bytes, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t written = ::pwrite(to, bytes, size, at);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        at += written;
    }
    return true;
}

}  // namespace

int (*syncToDisk)(int descriptor) = ::fsync;

int openHiddenFile(const std::string& folder, const std::string& target, std::string_view kind,
                   mode_t mode, std::string& path, int& error) {
    std::mt19937 random{std::random_device{}()};
    const std::string name = std::filesystem::path(target).filename().string();
    bool shortName = false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = folder + "/." + (shortName ? "" : name + ".") + "wordloom" +
                                      std::string(kind) + "-" + randomLetters(random);
        const int descriptor =
            ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0) {
            path = candidate;
            return descriptor;
        }
        error = errno;
        if (error == ENAMETOOLONG && !shortName) {
            shortName = true;
        } else if (error != EEXIST && error != EINTR) {
            break;
        }
    }
    return -1;
}

int syncFolder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    const int synced = syncToDisk(descriptor);
    const int error = synced != 0 ? errno : 0;
    ::close(descriptor);
    return error;
}

bool copyWholeFile(int from, int to) {
    std::vector<char> buffer(kCopyBytes);
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (!writeAll(to, buffer.data(), static_cast<std::size_t>(got), at)) {
            return false;
        }
        at += got;
    }
    return ::ftruncate(to, at) == 0;
}

}  // namespace wordloom::output
