#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "huge_page_buffer.h"

namespace wordloom::engine {

// The hybrid sort of the word list: a median-of-three quicksort that leaves ranges of five or
// fewer elements alone, then one insertion pass. Only the views move; no word text is copied.
//
// A list arranged against the pivot rule would make the quicksort quadratic (200,000 words: a
// minute instead of a tenth of a second). Each partition that leaves less than an eighth of its
// range on one side therefore counts against an allowance of log2(size); a range reached with
// the allowance spent is heapsorted instead. Equal strings are identical text, so the result is
// exactly what the quicksort alone would give, in O(n log n) on any input.
using StringArray = HugePageVector<std::u16string_view>;

void SortStrings(StringArray& array);
void QuickSortRange(StringArray& array, std::int32_t cutoff, std::int32_t lo, std::int32_t hi);
void InsertionSortRange(StringArray& array, std::int32_t lo, std::int32_t hi);
void SwapStrings(std::u16string_view& a, std::u16string_view& b);

// The algorithms over any element type and order `less`, so that tests can count and steer the
// comparisons of the very code that sorts the word list.
namespace sort_detail {

// Unbalanced partitions allowed before a range falls back to the heapsort.
inline std::int32_t unbalancedAllowance(std::int32_t lo, std::int32_t hi) {
    const auto size = static_cast<std::uint32_t>(std::int64_t{hi} - lo + 1);
    return size < 2 ? 1 : static_cast<std::int32_t>(std::bit_width(size) - 1);
}
// No limit: the plain median-of-three quicksort.
inline constexpr std::int32_t kUnlimited = std::numeric_limits<std::int32_t>::max();

// (lo + hi) / 2 rounded to the nearest integer, a half going to the even neighbour.
inline std::int32_t middleOf(std::int32_t lo, std::int32_t hi) {
    const std::int64_t sum = std::int64_t{lo} + hi;
    std::int64_t half = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);  // floor(sum / 2)
    if ((sum & 1) != 0 && (half & 1) != 0) {
        ++half;
    }
    return static_cast<std::int32_t>(half);
}

// Floyd's bottom-up sift: the hole at `root` goes down along the larger children to a leaf, then
// the displaced value climbs back to its place; about one comparison per level instead of two.
template <typename T, typename Less>
void siftDown(T* heap, std::size_t size, std::size_t root, const Less& less) {
    const T value = heap[root];
    std::size_t hole = root;
    for (std::size_t child = 2 * hole + 1; child < size; child = 2 * hole + 1) {
        if (child + 1 < size && less(heap[child], heap[child + 1])) {
            ++child;
        }
        heap[hole] = heap[child];
        hole = child;
    }
    while (hole > root) {
        const std::size_t parent = (hole - 1) / 2;
        if (!less(heap[parent], value)) {
            break;
        }
        heap[hole] = heap[parent];
        hole = parent;
    }
    heap[hole] = value;
}

template <typename T, typename Less>
void heapSortRange(T* array, std::int32_t lo, std::int32_t hi, const Less& less) {
    T* const heap = array + lo;
    const auto size = static_cast<std::size_t>(std::int64_t{hi} - lo + 1);
    for (std::size_t root = size / 2; root-- > 0;) {
        siftDown(heap, size, root, less);
    }
    for (std::size_t end = size; end-- > 1;) {
        std::swap(heap[0], heap[end]);
        siftDown(heap, end, 0, less);
    }
}

template <typename T, typename Less>
void quickSortRange(T* array, std::int32_t cutoff, std::int32_t lo, std::int32_t hi,
                    std::int32_t unbalancedLeft, const Less& less) {
    // Each pass partitions lo..hi, then handles the smaller side by recursion and the larger
    // side in this loop, so the stack stays shallow on any input. The two sides never overlap,
    // so the order in which they are handled does not change the result.
    // Ranges of fewer than three elements are never partitioned: the unguarded scans below
    // need the three sorted sentinels at lo, hi - 1 and hi.
    while (hi - lo > cutoff && hi - lo >= 2) {
        if (unbalancedLeft <= 0) {
            heapSortRange(array, lo, hi, less);
            return;
        }
        const std::int32_t mid = middleOf(lo, hi);
        if (less(array[mid], array[lo])) {
            std::swap(array[lo], array[mid]);
        }
        if (less(array[hi], array[lo])) {
            std::swap(array[lo], array[hi]);
        }
        if (less(array[hi], array[mid])) {
            std::swap(array[mid], array[hi]);
        }

        std::int32_t j = hi - 1;
        std::swap(array[mid], array[j]);
        // The pivot is a copy of the element at hi - 1 (for the word list, a view of its word);
        // that slot stays put until the exchange after the loop.
        const T pivot = array[hi - 1];
        std::int32_t i = lo;
        for (;;) {
            do {
                ++i;
            } while (less(array[i], pivot));
            do {
                --j;
            } while (less(pivot, array[j]));
            if (j < i) {
                break;
            }
            std::swap(array[i], array[j]);
        }
        std::swap(array[i], array[hi - 1]);

        const std::int32_t leftSize = j - lo + 1;
        const std::int32_t rightSize = hi - i;
        const std::int32_t smaller = leftSize < rightSize ? leftSize : rightSize;
        if (unbalancedLeft != kUnlimited && smaller < (hi - lo + 1) / 8) {
            --unbalancedLeft;
        }
        if (leftSize <= rightSize) {
            quickSortRange(array, cutoff, lo, j, unbalancedLeft, less);
            lo = i + 1;
        } else {
            quickSortRange(array, cutoff, i + 1, hi, unbalancedLeft, less);
            hi = j;
        }
    }
}

template <typename T, typename Less>
void insertionSortRange(T* array, std::int32_t lo, std::int32_t hi, const Less& less) {
    for (std::int32_t i = lo + 1; i <= hi; ++i) {
        const T t = array[i];
        std::int32_t j = i;
        while (j > lo && less(t, array[j - 1])) {
            array[j] = array[j - 1];
            --j;
        }
        array[j] = t;
    }
}

// The whole hybrid over `size` elements; `unbalancedAllowed` kUnlimited gives the plain
// quicksort without the heapsort fallback.
template <typename T, typename Less>
void hybridSort(T* array, std::int32_t size, const Less& less, std::int32_t unbalancedAllowed) {
    if (size <= 0) {
        return;
    }
    quickSortRange(array, 4, 0, size - 1, unbalancedAllowed, less);
    insertionSortRange(array, 0, size - 1, less);
}

template <typename T, typename Less>
void hybridSort(T* array, std::int32_t size, const Less& less) {
    hybridSort(array, size, less, unbalancedAllowance(0, size - 1));
}

}  // namespace sort_detail

}  // namespace wordloom::engine
