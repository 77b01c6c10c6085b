#pragma once

// Which numbers of words can spell a remainder of letters, remembered per remainder. Best first
// searches one word count at a time; without this, the search for each count walks the parts of
// the tree that only hold anagrams of other counts, once per count.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/phrases/candidates.h"
#include "engine/phrases/phrase.h"

namespace wordloom::engine::phrase_detail {

template <int L>
class WordCounts {
public:
    using Vec = std::array<std::uint64_t, L>;

    // `mostChecks`: classes compared, at most, in working counts out for one root (see
    // kMostChecks).
    explicit WordCounts(std::size_t mostChecks = kMostChecks) : m_mostChecks(mostChecks) {}

    // Forgets every remainder: the next ones are parts of `total`.
    void start(const Vec& total) {
        m_started = false;
        // A phrase of few letters has few remainders (at most 2^16 for 16 letters): each gets a
        // place of its own, numbered by its counts in mixed radix. A class then takes a fixed
        // amount off the place of any remainder it fits, so the search carries the places along
        // and looks a remainder up with no hashing at all.
        std::uint64_t places = 1;
        m_letters = 0;
        for (int slot = 0; slot < 8 * L && places <= kMostDirectPlaces; ++slot) {
            const std::uint64_t count = byteAt(total.data(), slot);
            if (count == 0) {
                break;
            }
            m_stride[static_cast<std::size_t>(slot)] = places;
            places *= count + 1;
            ++m_letters;
        }
        m_places = places <= kMostDirectPlaces ? static_cast<std::size_t>(places) : 0;
    }

    // The place of the letter counts `v` (a part of the total), 0 when the remainders are
    // hashed instead.
    std::uint32_t placeOf(const std::uint64_t* v) const {
        if (m_places == 0) {
            return 0;
        }
        std::uint64_t place = 0;
        for (int slot = 0; slot < m_letters; ++slot) {
            place += byteAt(v, slot) * m_stride[static_cast<std::size_t>(slot)];
        }
        return static_cast<std::uint32_t>(place);
    }

    // Bit k set: some k classes of `all` (the root's list), repeats allowed, hold exactly the
    // letters of `r`, which must hold at most 63 letters. Word order, the classes the search
    // has ruled out and the length of the first word are not taken into account, so a clear
    // bit is proof that no anagram of that count lies below, a set bit only a possibility.
    // `place`: r's place (placeOf).
    std::uint64_t of(const Vec& r, std::uint32_t place, const CandList<L>& all) {
        if (isZero(r)) {
            return 1;
        }
        if (!m_started) {
            prepare();
        }
        if (const std::uint64_t known = find(r, place); known != 0) {
            return known & ~std::uint64_t{1};
        }
        return compute(r, place, 0, all);
    }

private:
    static constexpr std::uint64_t kMostDirectPlaces = std::uint64_t{1} << 18;
    // Classes compared, at most, in working counts out for one root. A long phrase has more
    // remainders than its search would ever meet (a search for its first lines meets few); past
    // this, remainders not yet known count as splittable into any number of words. A German
    // phrase of 16 letters and one-letter words takes about 1.2 million.
    static constexpr std::size_t kMostChecks = std::size_t{1} << 21;
    // Slots the hash table may grow to (about 6 MB at two lanes): past that, remainders are not
    // remembered and count as splittable into any number of words.
    static constexpr std::size_t kMostSlots = std::size_t{1} << 18;

    // The table keeps each remainder's counts with bit 0 set: a remainder that is not empty never
    // has that bit (no words cannot spell it), and 0 marks an empty place.
    struct Slot {
        Vec key;  // all zero: empty (the empty remainder is never stored)
        std::uint64_t known;
    };

    void prepare() {
        m_started = true;
        m_checksLeft = m_mostChecks;
        m_slots.reset();
        m_mask = 0;
        m_used = 0;
        for (const std::size_t place : m_placesUsed) {
            m_direct[place] = 0;
        }
        m_placesUsed.clear();
        m_work.resize(kMaxPhraseLetters);  // a level per letter of a remainder
        // The table is kept from root to root (a search with blanks starts many), and only the
        // places written are cleared.
        if (m_direct.size() < m_places) {
            m_direct.assign(m_places, 0);
        }
    }

    static std::uint64_t byteAt(const std::uint64_t* v, int slot) {
        return (v[slot / 8] >> (8 * (slot % 8))) & 0xFF;
    }

    static bool isZero(const Vec& r) {
        std::uint64_t any = 0;
        for (const std::uint64_t lane : r) {
            any |= lane;
        }
        return any == 0;
    }

    static bool same(const Vec& a, const Vec& b) {
        std::uint64_t differ = 0;
        for (int j = 0; j < L; ++j) {
            differ |= a[static_cast<std::size_t>(j)] ^ b[static_cast<std::size_t>(j)];
        }
        return differ == 0;
    }

    static std::size_t hash(const Vec& r) {
        std::uint64_t h = 0;
        for (const std::uint64_t lane : r) {
            h = (h ^ lane) * 0x9E3779B97F4A7C15u;
        }
        return static_cast<std::size_t>(h ^ (h >> 29));
    }

    std::uint64_t find(const Vec& r, std::uint32_t place) const {
        if (m_places != 0) {
            return m_direct[place];
        }
        if (!m_slots) {
            return 0;
        }
        for (std::size_t at = hash(r) & m_mask;; at = (at + 1) & m_mask) {
            const Slot& slot = m_slots[at];
            if (same(slot.key, r)) {
                return slot.known;
            }
            if (isZero(slot.key)) {
                return 0;
            }
        }
    }

    // False when the hash table is full: the caller then does not work the counts out.
    bool roomForOneMore() {
        if (m_places != 0 || (m_slots && 2 * (m_used + 1) <= m_mask + 1)) {
            return true;
        }
        const std::size_t slots = m_slots ? 2 * (m_mask + 1) : 1024;
        if (slots > kMostSlots) {
            return false;
        }
        std::unique_ptr<Slot[]> old = std::move(m_slots);
        const std::size_t oldSlots = old ? m_mask + 1 : 0;
        m_slots = std::make_unique<Slot[]>(slots);
        m_mask = slots - 1;
        for (std::size_t i = 0; i < oldSlots; ++i) {
            if (!isZero(old[i].key)) {
                insert(old[i].key, old[i].known);
            }
        }
        return true;
    }

    void insert(const Vec& r, std::uint64_t known) {
        std::size_t at = hash(r) & m_mask;
        while (!isZero(m_slots[at].key)) {
            at = (at + 1) & m_mask;
        }
        m_slots[at] = Slot{r, known};
    }

    void remember(const Vec& r, std::uint32_t place, std::uint64_t counts) {
        if (m_places != 0) {
            m_direct[place] = counts | 1;
            m_placesUsed.push_back(place);
        } else if (roomForOneMore()) {
            insert(r, counts | 1);
            ++m_used;
        }
    }

    // Every split of r holds a class with r's rarest letter: try each such class first, and
    // the rest of r from the classes of `parent` that fit (a list that holds all that fit r).
    std::uint64_t compute(const Vec& r, std::uint32_t place, std::size_t depth,
                          const CandList<L>& parent) {
        if (parent.size() > m_checksLeft || !roomForOneMore()) {
            return ~std::uint64_t{0};
        }
        m_checksLeft -= parent.size();
        auto& list = m_work[depth];
        list.clearFor(parent.size());
        for (const Cand<L>& cand : parent) {
            if (fitsIn<L>(r, cand.v)) {
                list.add(cand);
            }
        }
        const LetterByte letter = rarestLetter<L>(r);
        std::uint64_t counts = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (!holds(list[i], letter)) {
                continue;
            }
            const Vec rest = without<L>(r, list[i].v);
            std::uint64_t below = 1;
            if (!isZero(rest)) {
                const std::uint32_t restPlace = place - list[i].place;
                const std::uint64_t known = find(rest, restPlace);
                below = known != 0 ? known & ~std::uint64_t{1}
                                   : compute(rest, restPlace, depth + 1, list);
            }
            counts |= below << 1;
        }
        remember(r, place, counts);
        return counts;
    }

    bool m_started = false;
    std::size_t m_places = 0;  // table places; 0: the remainders are hashed
    std::size_t m_mostChecks;
    std::size_t m_checksLeft = 0;
    std::vector<std::uint64_t> m_direct;  // by placeOf(), when the phrase has few remainders
    std::vector<std::size_t> m_placesUsed;
    std::array<std::uint64_t, std::size_t{8} * L> m_stride{};
    int m_letters = 0;
    std::unique_ptr<Slot[]> m_slots;
    std::size_t m_mask = 0;  // slots - 1
    std::size_t m_used = 0;
    std::vector<CandList<L>> m_work;
};

}  // namespace wordloom::engine::phrase_detail
