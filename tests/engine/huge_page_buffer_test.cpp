#include "engine/huge_page_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <numeric>
#include <string_view>
#include <vector>

namespace wordloom::engine {
namespace {

bool onHugePageBoundary(const void* block) {
    return reinterpret_cast<std::uintptr_t>(block) % kHugePageBytes == 0;
}

TEST(HugePageBlock, MapsLargeBlocksOnHugePageBoundariesAndSmallOnesFromTheHeap) {
    for (const std::size_t bytes :
         {kLargeBlockBytes, kHugePageBytes, kHugePageBytes + 1, 5 * kHugePageBytes + 12345}) {
        auto* const block = static_cast<unsigned char*>(allocateBlock(bytes));
        EXPECT_TRUE(onHugePageBoundary(block)) << bytes;
        // Every byte is usable, the first and the last included.
        block[0] = 1;
        block[bytes - 1] = 2;
        EXPECT_EQ(block[0] + block[bytes - 1], 3);
        releaseBlock(block, bytes);
    }
    for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, kLargeBlockBytes - 1}) {
        void* const block = allocateBlock(bytes);
        ASSERT_NE(block, nullptr);
        releaseBlock(block, bytes);
    }
    releaseBlock(nullptr, kHugePageBytes);
}

TEST(HugePageBlock, RefusesASizeBeyondTheAddressSpace) {
    EXPECT_THROW(allocateBlock(std::numeric_limits<std::size_t>::max() - 100), std::bad_alloc);
    EXPECT_THROW(
        HugePageAllocator<std::uint64_t>().allocate(std::numeric_limits<std::size_t>::max() / 4),
        std::bad_array_new_length);
}

TEST(HugePageVector, KeepsItsValuesWhileGrowingAcrossTheLargeBlockSize) {
    HugePageVector<std::uint32_t> values;
    const std::size_t count = 3 * kHugePageBytes / sizeof(std::uint32_t);
    for (std::uint32_t i = 0; i < count; ++i) {
        values.push_back(i);
    }
    EXPECT_TRUE(onHugePageBoundary(values.data()));
    std::vector<std::uint32_t> expected(count);
    std::iota(expected.begin(), expected.end(), 0u);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), expected.begin(), expected.end()));

    HugePageVector<std::uint32_t> copy = values;
    values.clear();
    values.shrink_to_fit();
    EXPECT_EQ(copy.size(), count);
    EXPECT_EQ(copy.back(), count - 1);
}

TEST(HugePageBuffer, GrowsKeepingItsContentsAndMovesWithoutCopying) {
    HugePageBuffer<char16_t> buffer;
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 0u);

    // Appending grows the capacity by half at least, keeping what was there.
    const std::u16string_view word = u"wordloom";
    std::size_t growths = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::size_t capacity = buffer.capacity();
        buffer.append(word.data(), word.size());
        if (buffer.capacity() != capacity) {
            ++growths;
            EXPECT_GE(buffer.capacity(), capacity + capacity / 2);
        }
    }
    EXPECT_LT(growths, 40u);
    ASSERT_EQ(buffer.size(), 200000 * word.size());
    EXPECT_EQ(std::u16string_view(buffer.data(), word.size()), word);
    EXPECT_EQ(std::u16string_view(buffer.end() - word.size(), word.size()), word);

    // reserve() never shrinks; resize() within the capacity keeps the data in place.
    const char16_t* const data = buffer.data();
    buffer.reserve(10);
    buffer.resize(3);
    EXPECT_EQ(buffer.data(), data);
    EXPECT_EQ(std::u16string_view(buffer.data(), 3), u"wor");
    buffer.resize(buffer.capacity());
    EXPECT_EQ(buffer.data(), data);

    // A move hands over the block itself.
    HugePageBuffer<char16_t> moved(std::move(buffer));
    EXPECT_EQ(moved.data(), data);
    EXPECT_EQ(buffer.data(), nullptr);  // NOLINT(bugprone-use-after-move): moved-from is empty
    EXPECT_EQ(buffer.size(), 0u);
    HugePageBuffer<char16_t> assigned;
    assigned.append(u"x", 1);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.data(), data);
}

TEST(HugePageBuffer, ResizeBeyondTheCapacityReservesExactly) {
    HugePageBuffer<unsigned char> buffer;
    buffer.append(reinterpret_cast<const unsigned char*>("abc"), 3);
    buffer.resize(kHugePageBytes + 5);
    EXPECT_EQ(buffer.capacity(), kHugePageBytes + 5);
    EXPECT_TRUE(onHugePageBoundary(buffer.data()));
    EXPECT_EQ(buffer.data()[2], 'c');
}

}  // namespace
}  // namespace wordloom::engine

TEST(HugePageBlock, ReusesAGivenBackLargeBlockUntilTheRetainedOnesAreReleased) {
    using namespace wordloom::engine;
    releaseRetainedBlocks();  // blocks other tests gave back
    void* const first = allocateBlock(3 * kLargeBlockBytes);
    static_cast<char*>(first)[0] = 'x';
    releaseBlock(first, 3 * kLargeBlockBytes);
    // A smaller large request takes the retained block: its pages are already in memory.
    void* const second = allocateBlock(kLargeBlockBytes);
    EXPECT_EQ(second, first);
    // The rest of the block stays retained on its own and serves the next request.
    void* const rest = allocateBlock(kLargeBlockBytes);
    EXPECT_EQ(rest, static_cast<char*>(first) + kHugePageBytes);
    static_cast<char*>(rest)[kLargeBlockBytes - 1] = 'r';
    releaseBlock(rest, kLargeBlockBytes);
    releaseBlock(second, kLargeBlockBytes);
    void* const third = allocateBlock(kLargeBlockBytes);
    EXPECT_TRUE(third == first || third == rest);
    static_cast<char*>(third)[kLargeBlockBytes - 1] = 'y';
    releaseBlock(third, kLargeBlockBytes);
    releaseRetainedBlocks();
    void* const fresh = allocateBlock(kLargeBlockBytes);
    static_cast<char*>(fresh)[kLargeBlockBytes - 1] = 'z';
    releaseBlock(fresh, kLargeBlockBytes);
    releaseRetainedBlocks();
}
