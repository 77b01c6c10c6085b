#include "engine/words/plain_scan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace wordloom::engine::word_search {

LackingTable lackingTiles(const Tiles& tiles) {
    LackingTable lacking{};
    for (int tile = 0; tile < 256; ++tile) {
        const int letter = tile & 0x1F;
        const int seen = tile >> 5;
        lacking[static_cast<std::size_t>(tile)] =
            letter < 26 && seen >= tiles.counts[static_cast<std::size_t>(letter)] ? 1 : 0;
    }
    return lacking;
}

std::size_t scanPortableRange(const MatchIndex& index, const Tiles& tiles,
                              const LackingTable& lacking, std::size_t from, std::size_t to,
                              std::uint32_t* hits) {
    const std::uint64_t* codes = index.tileCodes().data();
    const std::uint32_t* masks = index.letterMasks().data();
    const std::uint32_t absent = ~tiles.mask;
    const int blanks = tiles.blanks;
    std::size_t hitCount = 0;
    for (std::size_t i = from; i < to; ++i) {
        // Each letter the set lacks entirely needs at least one blank.
        std::uint32_t missing = masks[i] & absent;
        for (int blank = 0; blank < blanks && missing != 0; ++blank) {
            missing &= missing - 1;
        }
        if (missing != 0) {
            continue;
        }
        std::uint64_t code = codes[i];
        int needed = 0;
        for (int slot = 0; slot < MatchIndex::kLongestShort; ++slot, code >>= 8) {
            needed += lacking[code & 0xFF];
        }
        if (needed <= blanks) {
            hits[hitCount++] = static_cast<std::uint32_t>(i);
        }
    }
    return hitCount;
}

VectorLevel vectorLevel() {
    static const VectorLevel level = [] {
        VectorLevel supported = VectorLevel::None;
#if WORDLOOM_X86_SCANS
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) {
            supported = VectorLevel::Avx2;
        }
#endif
        const char* cap = std::getenv("WORDLOOM_SCAN");
        if (cap != nullptr && std::strcmp(cap, "portable") == 0) {
            supported = VectorLevel::None;
        }
        return supported;
    }();
    return level;
}

namespace {

std::size_t scanHits(const MatchIndex& index, const Tiles& tiles, VectorLevel level,
                     bool avx2Prefilter, std::uint32_t* hits) {
    switch (std::min(level, vectorLevel())) {
#if WORDLOOM_X86_SCANS
        case VectorLevel::Avx2:
            return scanAvx2(index, tiles, avx2Prefilter, hits);
#else
        case VectorLevel::Avx2:
            (void)avx2Prefilter;
            break;
#endif
        case VectorLevel::None:
            break;
    }
    return scanPortableRange(index, tiles, lackingTiles(tiles), 0, index.tileCodes().size(), hits);
}

}  // namespace

void scanPlain(const MatchIndex& index, const Tiles& tiles, VectorLevel level, bool avx2Prefilter,
               LengthGate& gate, std::vector<std::uint32_t>& out) {
    std::vector<std::uint32_t>& hits = scratch().hits;
    if (hits.size() < index.tileCodes().size() + kVectorSlack) {
        hits.resize(index.tileCodes().size() + kVectorSlack);
    }
    const std::size_t hitCount = scanHits(index, tiles, level, avx2Prefilter, hits.data());
    // Positions first, noting which lengths occur; the filter is then asked once per length
    // that matched, and only a length it declines costs a second pass.
    const std::uint32_t* positions = index.plainPositions().data();
    const std::uint8_t* lengths = index.plainLengths().data();
    const std::size_t from = out.size();
    out.resize(from + hitCount);
    std::uint32_t* written = out.data() + from;
    std::uint32_t seen = 0;
    for (std::size_t k = 0; k < hitCount; ++k) {
        written[k] = positions[hits[k]];
        seen |= 1u << lengths[hits[k]];
    }
    std::uint32_t declined = 0;
    try {
        for (std::uint32_t rest = seen; rest != 0; rest &= rest - 1) {
            const int length = __builtin_ctz(rest);
            if (!gate.wants(length)) {
                declined |= 1u << length;
            }
        }
    } catch (...) {
        out.resize(from);  // no row the filter has not passed
        throw;
    }
    if (declined != 0) {
        std::size_t kept = 0;
        for (std::size_t k = 0; k < hitCount; ++k) {
            if (((declined >> lengths[hits[k]]) & 1u) == 0) {
                written[kept++] = written[k];
            }
        }
        out.resize(from + kept);
    }
}

}  // namespace wordloom::engine::word_search
