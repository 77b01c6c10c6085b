#include "huge_page_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace wordloom::engine {

namespace {

std::size_t wholeHugePages(std::size_t bytes) {
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace

void* allocateBlock(std::size_t bytes) {
    if (bytes < kLargeBlockBytes) {
        return ::operator new(bytes);
    }
    if (bytes > std::numeric_limits<std::size_t>::max() - 2 * kHugePageBytes) {
        throw std::bad_alloc();
    }
    // Map one huge page more than needed, then unmap what lies before the first 2 MiB boundary
    // and after the block: the kernel uses a huge page only for a whole aligned 2 MiB range.
    const std::size_t length = wholeHugePages(bytes);
    const std::size_t mapped = length + kHugePageBytes;
    void* const region =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(region);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    if (aligned != start) {
        munmap(region, aligned - start);
    }
    const std::size_t tail = start + mapped - (aligned + length);
    if (tail != 0) {
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    auto* const block = reinterpret_cast<void*>(aligned);
    // Only a hint: if it is refused, the block is served in 4 KiB pages.
    madvise(block, length, MADV_HUGEPAGE);
    return block;
}

void releaseBlock(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    if (bytes < kLargeBlockBytes) {
        ::operator delete(block);
        return;
    }
    munmap(block, wholeHugePages(bytes));
}

}  // namespace wordloom::engine
