#pragma once

// The parts of the phrase search that the single-threaded and the parallel runner share. Not for
// use outside the engine.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"

namespace wordloom::engine::phrase_detail {

// Bytes a line may be written beyond its end, and read beyond a word's text, by the short copy.
inline constexpr std::size_t kCopySlack = 16;

// A word as a line prints it: its sort key (longer first, then word-list order) and its text.
struct OutWord {
    std::uint64_t key;
    const char* text;
    std::uint32_t bytes;
};

// Words with the same sorted letters: the search places the class, the line expands it.
struct PlanClass {
    std::u16string key;      // the sorted letters
    std::u16string deficit;  // its letters beyond the phrase's own, which blanks must supply
    std::uint32_t firstMember = 0;
    std::uint32_t memberCount = 0;
    std::uint16_t length = 0;
};

// What one phrase search needs, worked out once: the letters left after the contained words,
// the classes of words that fit (longest first), and the blank alphabet.
struct Plan {
    Plan(const PhraseIndex& index, const Phrase& phrase, const PhraseOptions& options);

    // Room a line can take at most.
    std::size_t maxLineBytes() const;

    // The classes, in order, whose letters fit the phrase with these blank letters (sorted).
    void classesWithin(std::u16string_view blankLetters, std::vector<std::uint32_t>& fitting) const;

    const PhraseIndex* index;
    std::u16string realLetters;  // sorted
    int blanks = 0;
    int letterCount = 0;            // realLetters and blanks
    std::uint32_t wordsLeft = 0;    // words the search may add to the contained ones
    std::uint32_t fewestWords = 1;  // words the search must add at least
    PhraseOrder order = PhraseOrder::BestFirst;
    bool noRepeat = false;
    bool containedFit = true;  // the contained words alone are within the word limit
    std::uint64_t limit;
    std::string linePrefix;
    std::vector<PlanClass> classes;
    std::vector<OutWord> members;
    std::string memberText;
    std::vector<OutWord> contained;
    std::string containedText;
    std::u16string blankAlphabet;  // letters a blank can stand for, sorted
    // With blanks: the classes by the letters they need beyond the phrase's own.
    std::unordered_map<std::u16string, std::vector<std::uint32_t>> byDeficit;

private:
    void takeContainedWords(const std::vector<std::u16string>& contain);
    bool containedRepeats() const;
    std::vector<std::uint32_t> fittingWords(const PhraseOptions& options) const;
    void groupIntoClasses(const std::vector<std::uint32_t>& candidates);
};

// The multisets of blank letters in lexicographic order (one empty set without blanks).
class BlankSets {
public:
    explicit BlankSets(const Plan& plan) : m_plan(plan) {}
    bool next();
    void restart() { m_started = false; }
    const std::u16string& current() const { return m_current; }

private:
    const Plan& m_plan;
    std::vector<int> m_choice;
    std::u16string m_current;
    bool m_started = false;
};

// The search's starting point for one set of blank letters: the fitting classes as packed
// letter counts (one byte per distinct letter, the rarest letter in byte 0, `lanes` 64-bit words
// per class), the phrase's counts, and the branches: the classes that hold the rarest letter,
// each the root of an independent part of the search.
struct RootContext {
    int lanes = 1;
    int letterCount = 0;
    std::vector<std::uint64_t> total;
    std::vector<std::uint64_t> vectors;
    std::vector<std::uint32_t> classOf;
    std::vector<std::uint16_t> lengthOf;
    std::vector<std::uint32_t> branches;
};

// The position of `unit` in the sorted letters `letters`.
std::size_t slotOf(std::u16string_view letters, char16_t unit);

// Null when no anagram can use these blank letters.
std::shared_ptr<const RootContext> buildRoot(const Plan& plan, std::u16string_view blankLetters);

// Where the search writes its lines: [pos, end) is free room, flush() hands the written part on
// and makes room again (false: stop). `done` ends the search; `lines` counts toward `limit`.
class LineOutput {
public:
    virtual ~LineOutput() = default;
    virtual bool flush() = 0;
    virtual bool shouldStop() = 0;

    char* pos = nullptr;
    char* end = nullptr;
    std::uint64_t bufferLines = 0;
    std::uint64_t lines = 0;
    std::uint64_t limit = kNoAnagramLimit;
    bool done = false;
};

// One piece of the search, the unit of work of the parallel search: in the found order, the
// anagrams of a root that hold the class at `position` of its list, a branch, and no class of
// an earlier branch; best first, the anagrams of exactly `exactWords` words whose first class
// in the list (their longest word) is one of the `count` classes from `position` on, in turn.
struct SearchPiece {
    std::shared_ptr<const RootContext> root;
    std::uint32_t position = 0;
    std::uint32_t count = 1;
    std::uint32_t exactWords = 0;  // 0: the found order
};

// The pieces of a search in output order.
class PieceOrder {
public:
    explicit PieceOrder(const Plan& plan);
    bool next(SearchPiece& piece);

private:
    bool nextRoot();
    bool nextRound();

    const Plan& m_plan;
    BlankSets m_sets;
    std::shared_ptr<const RootContext> m_root;
    std::size_t m_at = 0;
    std::size_t m_end = 0;
    // Best first: the round (word count and first-word length) and its sets of blank letters.
    std::uint32_t m_words = 0;
    int m_length = 0;
    bool m_roundOpen = false;
    PhraseLengths m_classLengths = 0;  // the lengths of the plan's classes
    int m_shortest = 0;
    std::uint32_t m_mostWords = 0;
    std::shared_ptr<const RootContext> m_blankFreeRoot;
    bool m_blankFreeBuilt = false;
};

class BranchRunner {
public:
    virtual ~BranchRunner() = default;
    virtual void load(const std::shared_ptr<const RootContext>& root) = 0;
    virtual void run(const SearchPiece& piece) = 0;
};

std::unique_ptr<BranchRunner> makeBranchRunner(int lanes, const Plan& plan, LineOutput& out);

// One searcher per vector width, made when first needed; runs one piece.
class BranchRunners {
public:
    BranchRunners(const Plan& plan, LineOutput& out) : m_plan(plan), m_out(out) {}
    void run(const SearchPiece& piece);

private:
    const Plan& m_plan;
    LineOutput& m_out;
    std::array<std::unique_ptr<BranchRunner>, 7> m_runners;
};

void writeContainedOnly(const Plan& plan, LineOutput& out);

// The whole search on the calling thread.
PhraseOutcome runSingle(const Plan& plan, PhraseSink& sink, PhraseControl* control);

}  // namespace wordloom::engine::phrase_detail
