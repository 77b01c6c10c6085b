// wordloom-output-bench: the fast paths of the output code, each timed on and off in the same
// run, on a million result rows of the bundled dictionary (the words found for 10,000 random
// 8-letter sets, in run order, repeated):
//   - narrowing the words to bytes sixteen units at a time (SSE2 on x86-64) against the portable
//     loop, as WordBytes prepares them;
//   - widening the rows' bytes again for the clipboard, the same way;
//   - asking for a word's slot a few rows ahead while the text export writes its lines.
// Figures are processor time of this thread, the best of several rounds.
//
// Usage: wordloom-output-bench [path/to/words.dic] [--rounds N]

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/letter_sets.h"
#include "engine/dictionary.h"
#include "engine/words/run_core.h"
#include "output/rows/ascii_blocks.h"
#include "output/rows/row_writers.h"
#include "output/rows/word_bytes.h"

namespace {

using namespace wordloom;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string besideProgram(const char* name) {
    char self[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + name;
}

// The best of `rounds` timings of `work`, in milliseconds.
double bestMs(int rounds, const std::function<void()>& work) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const double start = threadSeconds();
        work();
        best = std::min(best, threadSeconds() - start);
    }
    return best * 1e3;
}

void printOnOff(const char* what, double onMs, double offMs) {
    std::printf("  %-50s on %7.2f ms   off %7.2f ms   gain %5.1f%%\n", what, onMs, offMs,
                (offMs - onMs) / offMs * 100);
}

// The words' units narrowed into slots, every word of 2 to 8 units that fits.
void timeNarrowing(const engine::WordList& words, int rounds) {
    std::vector<rows::WordBytes::Slot> slots(words.size());
    const std::u16string_view text = words.text();
    const char16_t* const textEnd = text.data() + text.size();
    std::size_t narrowed = 0;
    const auto narrowAll = [&](auto narrow) {
        narrowed = 0;
        for (std::uint32_t p = 0; p < words.size(); ++p) {
            const std::u16string_view word = words[p];
            if (word.size() >= 2 && word.size() <= 8 && textEnd - word.data() >= 16) {
                narrowed += narrow(word.data(), word.size(), slots[p].bytes) ? 1 : 0;
            }
        }
    };
    const double on = bestMs(rounds, [&] {
        narrowAll([](const char16_t* u, std::size_t n, char* o) {
            return rows::narrowAsciiBlock(u, n, o);
        });
    });
    const double off = bestMs(rounds, [&] {
        narrowAll([](const char16_t* u, std::size_t n, char* o) {
            return rows::portable::narrowAsciiBlock(u, n, o);
        });
    });
    printOnOff("narrowing 16 units at a time (words 2-8)", on, off);
    const double prepare = bestMs(rounds, [&] {
        rows::WordBytes prepared(words, 0x1FC, rows::WordBytes::Later{});
        prepared.prepareAll();
    });
    std::printf("  %-50s    %7.2f ms   (%zu words narrowed)\n",
                "  WordBytes::prepareAll of those words", prepare, narrowed);
}

// The rows' bytes widened into clipboard text.
void timeWidening(const rows::WordBytes& prepared, const std::vector<std::uint32_t>& positions,
                  int rounds) {
    std::vector<char16_t> text(positions.size() * 16 + 16);
    const auto widenAll = [&](auto widen) {
        char16_t* at = text.data();
        for (const std::uint32_t position : positions) {
            widen(prepared.slot(position).bytes, at);
            at += prepared.units(position);
        }
    };
    const double on = bestMs(
        rounds, [&] { widenAll([](const char* b, char16_t* o) { rows::widenBlock(b, o); }); });
    const double off = bestMs(rounds, [&] {
        widenAll([](const char* b, char16_t* o) { rows::portable::widenBlock(b, o); });
    });
    printOnOff("widening 16 bytes at a time (clipboard rows)", on, off);
}

// The text export's row loop: one aligned line per row.
void timeRowPrefetch(const rows::WordBytes& prepared, const std::vector<std::uint32_t>& positions,
                     int rounds) {
    rows::ByteBuffer out;
    const std::size_t width = 18;
    const auto writeAll = [&](bool prefetch) {
        out.clear();
        for (std::size_t i = 0; i < positions.size(); ++i) {
            if (prefetch && i + rows::kPrefetchRows < positions.size()) {
                rows::prefetchSlot(prepared, positions[i + rows::kPrefetchRows]);
            }
            out.commit(rows::writeAlignedLine(out.room(prepared.longest() + width + 3), prepared,
                                              positions[i], width));
        }
    };
    const double on = bestMs(rounds, [&] { writeAll(true); });
    const double off = bestMs(rounds, [&] { writeAll(false); });
    printOnOff("text export lines, slot asked for 16 rows ahead", on, off);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = besideProgram("words.dic");
    int rounds = 15;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            path = argv[i];
        }
    }
    const auto dictionary = engine::loadDictionary(path);
    std::vector<std::uint32_t> found;
    for (const std::u16string& set : bench::randomLetterSets(10'000, 8, 0, 20240611)) {
        engine::unscrambleLetterSet(*dictionary, set, engine::LengthMask::range(2, 8), found);
    }
    std::vector<std::uint32_t> positions(1'000'000);
    for (std::size_t i = 0; i < positions.size() && !found.empty(); ++i) {
        positions[i] = found[i % found.size()];
    }
    const rows::WordBytes prepared(dictionary->words());
#if defined(__SSE2__)
    const char* fast = "SSE2";
#else
    const char* fast = "none on this processor: on and off are the same loops";
#endif
    std::printf("wordloom-output-bench: %zu rows, best of %d, processor time (fast blocks: %s)\n",
                positions.size(), rounds, fast);
    timeNarrowing(dictionary->words(), rounds);
    timeWidening(prepared, positions, rounds);
    timeRowPrefetch(prepared, positions, rounds);
    return 0;
}
