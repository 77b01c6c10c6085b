#include "huge_page_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace wordloom::engine {

namespace {

std::size_t wholeHugePages(std::size_t bytes) {
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Large blocks given back are kept for later requests instead of being unmapped, until
// releaseRetainedBlocks(): memory already touched costs nothing to reuse, while every fresh huge
// page must first be zeroed by the kernel, which is most of a fresh process's load time (the file
// buffer freed after reading becomes the index's scratch space, for instance).
class BlockCache {
public:
    void* take(std::size_t length) {
        const std::lock_guard lock(m_mutex);
        auto best = m_retained.end();
        for (auto it = m_retained.begin(); it != m_retained.end(); ++it) {
            if (it->length >= length && (best == m_retained.end() || it->length < best->length)) {
                best = it;
            }
        }
        if (best == m_retained.end()) {
            return nullptr;
        }
        const Block block = *best;
        m_retained.erase(best);
        m_retainedBytes -= block.length;
        // The rest of a larger block stays retained on its own (both parts are whole huge
        // pages), so a file buffer can serve two tables after it.
        if (block.length > length) {
            m_retained.push_back(
                {static_cast<char*>(block.address) + length, block.length - length});
            m_retainedBytes += block.length - length;
        }
        m_lengths[block.address] = length;
        return block.address;
    }

    void noteMapped(void* address, std::size_t length) {
        const std::lock_guard lock(m_mutex);
        m_lengths[address] = length;
    }

    void give(void* address, std::size_t requestedLength) noexcept {
        const std::lock_guard lock(m_mutex);
        std::size_t length = requestedLength;
        if (const auto it = m_lengths.find(address); it != m_lengths.end()) {
            length = it->second;
            m_lengths.erase(it);
        }
        if (m_retainedBytes + length > kMaxRetainedBytes) {
            munmap(address, length);
            return;
        }
        try {
            m_retained.push_back({address, length});
        } catch (const std::bad_alloc&) {
            munmap(address, length);  // no room to remember it: out of memory, give it back
            return;
        }
        m_retainedBytes += length;
    }

    void releaseAll() noexcept {
        const std::lock_guard lock(m_mutex);
        for (const Block& block : m_retained) {
            munmap(block.address, block.length);
        }
        m_retained.clear();
        m_retainedBytes = 0;
    }

private:
    static constexpr std::size_t kMaxRetainedBytes = std::size_t{64} << 20;
    struct Block {
        void* address;
        std::size_t length;
    };
    std::mutex m_mutex;
    std::vector<Block> m_retained;
    std::size_t m_retainedBytes = 0;
    std::unordered_map<void*, std::size_t> m_lengths;  // blocks in use and their mapped length
};

BlockCache& blockCache() {
    static BlockCache cache;
    return cache;
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
    if (void* const reused = blockCache().take(length)) {
        return reused;
    }
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
    // The bounds were rounded to huge pages as integers; they go back to the system as pointers.
    if (tail != 0) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): an address rounded as an integer
        munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    // NOLINTNEXTLINE(performance-no-int-to-ptr): an address rounded as an integer
    auto* const block = reinterpret_cast<void*>(aligned);
    // Only a hint: if it is refused, the block is served in 4 KiB pages.
    madvise(block, length, MADV_HUGEPAGE);
    try {
        blockCache().noteMapped(block, length);
    } catch (const std::bad_alloc&) {
        munmap(block, length);
        throw;
    }
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
    blockCache().give(block, wholeHugePages(bytes));
}

void releaseRetainedBlocks() noexcept {
    blockCache().releaseAll();
}

}  // namespace wordloom::engine
