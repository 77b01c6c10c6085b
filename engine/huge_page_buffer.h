#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace wordloom::engine {

// Memory for the large buffers filled at start-up (word text, word views, index tables).
//
// Filling fresh memory costs one page fault per 4 KiB page touched, which on a virtual machine
// is the bulk of the load time. Blocks of kLargeBlockBytes or more are therefore mapped on
// 2 MiB boundaries in whole 2 MiB units, and the kernel is asked to back them with huge pages:
// one fault then supplies 2 MiB. Smaller blocks come from operator new, which is cheaper for
// them. Where huge pages are not available the block still works, with ordinary pages.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
inline constexpr std::size_t kLargeBlockBytes = std::size_t{1} << 20;

// A block of at least `bytes` bytes, aligned for any standard type; throws std::bad_alloc.
void* allocateBlock(std::size_t bytes);
// Gives back a block of allocateBlock; `bytes` is the size it was asked with. Large blocks are
// retained for reuse by later requests until releaseRetainedBlocks().
void releaseBlock(void* block, std::size_t bytes) noexcept;
// Returns the retained large blocks to the system; the loader calls it once the load is done
// (or leaves that to its caller, see DictionaryLoader::keepFreedBlocks).
void releaseRetainedBlocks() noexcept;

// A standard allocator over allocateBlock: `HugePageVector<T>` is a std::vector whose large
// buffers fault in 2 MiB at a time.
template <typename T>
class HugePageAllocator {
public:
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    using value_type = T;

    HugePageAllocator() noexcept = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(allocateBlock(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept {
        releaseBlock(block, count * sizeof(T));
    }

    template <typename U>
    bool operator==(const HugePageAllocator<U>&) const noexcept {
        return true;
    }
};

template <typename T>
using HugePageVector = std::vector<T, HugePageAllocator<T>>;

// A growable array of plain values in allocateBlock memory that leaves new elements
// uninitialised, for readers that write straight into it. Moving it keeps the data in place.
template <typename T>
class HugePageBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    HugePageBuffer() = default;
    HugePageBuffer(HugePageBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)),
          m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    HugePageBuffer& operator=(HugePageBuffer&& other) noexcept {
        HugePageBuffer taken(std::move(other));
        std::swap(m_data, taken.m_data);
        std::swap(m_size, taken.m_size);
        std::swap(m_capacity, taken.m_capacity);
        return *this;
    }
    ~HugePageBuffer() {
        if (m_data != nullptr) {
            HugePageAllocator<T>().deallocate(m_data, m_capacity);
        }
    }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    T* end() { return m_data + m_size; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }

    // Makes the capacity at least `count`, moving the contents when it grows.
    void reserve(std::size_t count) {
        if (count <= m_capacity) {
            return;
        }
        T* const grown = HugePageAllocator<T>().allocate(count);
        if (m_size != 0) {
            std::memcpy(grown, m_data, m_size * sizeof(T));
        }
        HugePageBuffer old(std::move(*this));
        m_data = grown;
        m_size = old.m_size;
        m_capacity = count;
    }

    // Sets the size; elements added within the capacity keep whatever the memory holds (the
    // caller has written them), and growing beyond it reserves exactly `count`.
    void resize(std::size_t count) {
        reserve(count);
        m_size = count;
    }

    // Appends `count` values, growing the capacity by at least half when it runs out.
    void append(const T* values, std::size_t count) {
        if (count > m_capacity - m_size) {
            reserve(std::max(m_size + count, m_capacity + m_capacity / 2));
        }
        if (count != 0) {
            std::memcpy(m_data + m_size, values, count * sizeof(T));
        }
        m_size += count;
    }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace wordloom::engine
