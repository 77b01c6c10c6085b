#include "engine/thread_room.h"

#include <pthread.h>
#include <sys/mman.h>

namespace wordloom::engine {

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
// glibc gives each thread that allocates a malloc arena of its own, reserving 64 MiB.
constexpr std::size_t kArenaBytes = 64 * kMiB;
// A worker's scratch vectors (sized by the dictionary) and the rows it holds.
constexpr std::size_t kWorkingBytes = 32 * kMiB;
// What the calling thread may still allocate for output and bookkeeping.
constexpr std::size_t kSpareBytes = 128 * kMiB;
constexpr std::size_t kDefaultStackBytes = 8 * kMiB;

std::size_t stackBytes() {
    pthread_attr_t attributes;
    std::size_t size = kDefaultStackBytes;
    if (::pthread_getattr_default_np(&attributes) == 0) {
        ::pthread_attr_getstacksize(&attributes, &size);
        ::pthread_attr_destroy(&attributes);
    }
    return size;
}

}  // namespace

bool roomForAnotherThread(std::size_t started) {
    // A mapping that reserves address space without touching memory: it fails exactly when the
    // address-space limit leaves no room for it, and costs nothing otherwise.
    const std::size_t needed =
        stackBytes() + (started + 1) * (kArenaBytes + kWorkingBytes) + kSpareBytes;
    void* const probe =
        ::mmap(nullptr, needed, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (probe == MAP_FAILED) {
        return false;
    }
    ::munmap(probe, needed);
    return true;
}

}  // namespace wordloom::engine
