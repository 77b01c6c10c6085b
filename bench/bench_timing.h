#pragma once

// What the parts of wordloom-bench share: clocks, the letter sets and the plain algorithm's time.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/dictionary.h"
#include "engine/length_filter.h"
#include "reference/literal_unscramble.h"

namespace wordloom::bench {

using Clock = std::chrono::steady_clock;
using LetterSets = std::vector<std::u16string>;

inline const engine::LengthMask kAllLengths = engine::LengthMask::range(2, 8);

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The calling thread's processor time: single-thread figures then do not depend on what else
// the (shared) machine runs at the same moment.
inline double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

inline std::string besideProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(name) : (self.parent_path() / name).string();
}

// Processor seconds of the literal algorithm over `sets`.
inline double timeReference(const engine::Dictionary& dictionary, const LetterSets& sets,
                            const engine::LengthMask& lengths) {
    std::vector<std::uint32_t> found;
    const double start = threadSeconds();
    for (const std::u16string& set : sets) {
        found.clear();
        reference::literalUnscramble(dictionary.words(), dictionary.letterIndex(), set, lengths,
                                     found);
    }
    return threadSeconds() - start;
}

// The first `count` sets (all when there are fewer).
inline LetterSets head(const LetterSets& sets, std::size_t count) {
    return LetterSets(sets.begin(),
                      sets.begin() + static_cast<std::ptrdiff_t>(std::min(count, sets.size())));
}

}  // namespace wordloom::bench
