#pragma once

// One in-memory file for a whole fuzzing run, reached by path as the dictionary loader needs.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace wordloom::fuzz {

struct MemoryFile {
    MemoryFile() : fd(memfd_create("words.dic", 0)), path("/proc/self/fd/" + std::to_string(fd)) {
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
    }
    // The file's content becomes `bytes`.
    void replace(std::string_view bytes) const {
        if (ftruncate(fd, 0) != 0 || (!bytes.empty() && pwrite(fd, bytes.data(), bytes.size(), 0) !=
                                                            static_cast<ssize_t>(bytes.size()))) {
            std::perror("writing the in-memory dictionary");
            std::abort();
        }
    }
    int fd;
    std::string path;
};

}  // namespace wordloom::fuzz
