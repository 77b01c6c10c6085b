#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/phrases/phrase.h"

namespace wordloom::engine {

// Phrase anagrams, stage two: the search over the index of stage one (phrase.h).
//
// An anagram of a phrase is a multiset of dictionary words (see PhraseIndex for which words take
// part) whose letters together are exactly the phrase's letters, each blank standing for one
// letter. Each multiset is listed once, as one line: the words longest first, words of equal
// length in word-list order, separated by one space. The order of the lines is fixed by the
// phrase, the dictionary and the options alone, whatever the number of jobs: the anagrams of
// each set of blank letters in turn (the sets in code-unit order), within one set the anagrams
// holding longer words first, roughly.

// Which word lengths the search may use: bit n - 1 stands for n letters, n = 1 ... 64.
using PhraseLengths = std::uint64_t;

constexpr PhraseLengths phraseLengthsBetween(int from, int to) {
    PhraseLengths bits = 0;
    for (int length = from < 1 ? 1 : from; length <= to && length <= kMaxPhraseLetters; ++length) {
        bits |= PhraseLengths{1} << (length - 1);
    }
    return bits;
}

inline constexpr std::uint32_t kNoWordLimit = std::numeric_limits<std::uint32_t>::max();
inline constexpr std::uint64_t kNoAnagramLimit = std::numeric_limits<std::uint64_t>::max();

enum class PhraseOrder {
    // Fewer words first; within a word count, the longer first (longest) word first. Each word
    // count and first-word length is a round of its own over the sets of blank letters, so a
    // phrase with more than kMostBlanksBestFirst blanks (left after the contained words) keeps
    // the found order: going over its many sets of blank letters once per round would cost about
    // twice as much.
    BestFirst,
    // As the search finds them, the cheapest order: the anagrams of each set of blank letters in
    // turn (the sets in code-unit order), within one set grouped by the word that holds the
    // rarest letter.
    Found,
};

inline constexpr int kMostBlanksBestFirst = 2;

struct PhraseOptions {
    PhraseLengths lengths = phraseLengthsBetween(2, kMaxPhraseLetters);
    // At least and at most this many words in an anagram, the contained words included.
    std::uint32_t minWords = 1;
    std::uint32_t maxWords = kNoWordLimit;
    PhraseOrder order = PhraseOrder::BestFirst;
    // No word twice in an anagram (a word and a contained word of the same letters included).
    bool noRepeat = false;
    // Words that no anagram uses, and (when not null) the only words it may use; both compared
    // with the dictionary's words lower-cased, non-letters dropped.
    std::vector<std::u16string> exclude;
    std::shared_ptr<const std::unordered_set<std::u16string>> onlyFrom;
    // Words every anagram holds. Each is taken like a phrase (non-letters dropped, lower-cased)
    // and printed that way; its letters come out of the phrase first, blanks covering letters the
    // phrase lacks. The length limits do not apply to them. A word may be named twice.
    std::vector<std::u16string> contain;
    // At most this many anagrams (lines).
    std::uint64_t limit = kNoAnagramLimit;
    // Written at the start of every line (UTF-8; must not hold a line end), e.g. "phrase\t".
    std::string linePrefix;
};

// Receives the lines, many at a time, each ending in "\n", in order. Returning false stops the
// search at once (as does throwing, which the search passes on).
class PhraseSink {
public:
    virtual ~PhraseSink() = default;
    virtual bool write(std::string_view lines) = 0;
};

// Shared with a watcher (a progress display, a signal handler): anagrams delivered to the sink
// so far, and a flag that stops the search from outside at its next check.
struct PhraseControl {
    std::atomic<std::uint64_t> delivered{0};
    std::atomic<bool> stop{false};
};

struct PhraseOutcome {
    std::uint64_t anagrams = 0;  // lines delivered to the sink
    bool stopped = false;        // the sink or the control flag ended it early
};

// Lists the anagrams of `phrase` into `sink` on the calling thread. Throws a PhraseError when
// the contained words do not fit in the phrase or hold no letter (before any output).
PhraseOutcome searchPhrase(const PhraseIndex& index, const Phrase& phrase,
                           const PhraseOptions& options, PhraseSink& sink,
                           PhraseControl* control = nullptr);

// The same lines in the same order, searched by up to `jobs` worker threads while the calling
// thread writes to the sink (so the sink is only ever called from the calling thread). Memory
// stays bounded: a worker that runs ahead of the output waits once a few megabytes are buffered.
// When the system refuses a thread, the search goes on with the threads it has.
PhraseOutcome searchPhraseParallel(const PhraseIndex& index, const Phrase& phrase,
                                   const PhraseOptions& options, PhraseSink& sink, unsigned jobs,
                                   PhraseControl* control = nullptr);

}  // namespace wordloom::engine
