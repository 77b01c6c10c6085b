// The plan of one phrase search: the letters left after the contained words, the classes of
// words that fit, and the sets of blank letters to try.

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <unordered_set>

#include "engine/letters/letter_key.h"
#include "engine/phrases/phrase_search_core.h"
#include "engine/text.h"

namespace wordloom::engine::phrase_detail {
namespace {
// Sorted multiset difference `from` - `take`; the letters of `take` missing from `from` go to
// `missing` (sorted).
std::u16string subtractLetters(std::u16string_view from, std::u16string_view take,
                               std::u16string* missing) {
    std::u16string rest;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < from.size() || j < take.size()) {
        if (j == take.size() || (i < from.size() && from[i] < take[j])) {
            rest.push_back(from[i++]);
        } else if (i == from.size() || take[j] < from[i]) {
            if (missing != nullptr) {
                missing->push_back(take[j]);
            }
            ++j;
        } else {
            ++i;
            ++j;
        }
    }
    return rest;
}

// Appends the UTF-8 form of `text`; plain ASCII, the usual case, byte by byte.
void appendUtf8(std::u16string_view text, std::string& out) {
    for (const char16_t unit : text) {
        if (unit >= 0x80) {
            out += encodeUtf8(text);
            return;
        }
    }
    out.append(text.begin(), text.end());
}

std::uint64_t wordKey(int length, std::uint64_t rank) {
    return (std::uint64_t(kMaxPhraseLetters - length) << 40) | rank;
}

// For each code unit, 1 + the slot of the phrase letter it is, 0 for other units. One table per
// thread, cleared again after each use.
// A word as the phrase search compares it: lower-cased, non-letters dropped.
std::u16string lettersOnly(std::u16string_view typed, Accents accents) {
    std::u16string letters;
    for (const char16_t unit : letterKey(typed, accents)) {
        if (isPhraseLetter(unit)) {
            letters.push_back(unit);
        }
    }
    return letters;
}

std::uint8_t* slotTable() {
    thread_local std::unique_ptr<std::uint8_t[]> table(new std::uint8_t[0x10000]());
    return table.get();
}

}  // namespace

Plan::Plan(const PhraseIndex& phraseIndex, const Phrase& phrase, const PhraseOptions& options)
    : index(&phraseIndex), limit(options.limit), linePrefix(options.linePrefix) {
    if (linePrefix.find('\n') != std::string::npos) {
        throw PhraseError("the line prefix may not hold a line end");
    }
    // parsePhrase keeps to the limit; a phrase put together by hand must too (the letter counts
    // and the search's fixed arrays are sized for it).
    if (phrase.blanks < 0 || phrase.size() > kMaxPhraseLetters) {
        throw PhraseError("a phrase can hold at most " + std::to_string(kMaxPhraseLetters) +
                          " letters and blanks");
    }
    realLetters = phrase.letters;
    std::sort(realLetters.begin(), realLetters.end());
    blanks = phrase.blanks;
    takeContainedWords(options.contain);
    letterCount = static_cast<int>(realLetters.size()) + blanks;
    // Best first goes over every set of blank letters once per round: with more blanks than this
    // the sets are so many that the whole search costs about twice the found order (its first
    // line still comes as soon), so the found order runs.
    order = blanks > kMostBlanksBestFirst ? PhraseOrder::Found : options.order;
    noRepeat = options.noRepeat;
    const auto containedCount = static_cast<std::uint32_t>(contained.size());
    containedFit = options.maxWords >= containedCount && options.minWords <= containedCount &&
                   !(noRepeat && containedRepeats());
    wordsLeft = options.maxWords < containedCount || (noRepeat && containedRepeats())
                    ? 0
                    : options.maxWords - containedCount;
    fewestWords = std::max<std::uint32_t>(
        1, options.minWords > containedCount ? options.minWords - containedCount : 0);
    if (letterCount == 0 || wordsLeft < fewestWords || limit == 0) {
        wordsLeft = 0;
        return;
    }
    groupIntoClasses(fittingWords(options));
    if (blanks > 0) {
        for (const PlanClass& cls : classes) {
            blankAlphabet += cls.key;
        }
        std::sort(blankAlphabet.begin(), blankAlphabet.end());
        blankAlphabet.erase(std::unique(blankAlphabet.begin(), blankAlphabet.end()),
                            blankAlphabet.end());
    }
}

// Whether a contained word is named twice.
bool Plan::containedRepeats() const {
    for (std::size_t i = 0; i < contained.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (std::string_view(contained[i].text, contained[i].bytes) ==
                std::string_view(contained[j].text, contained[j].bytes)) {
                return true;
            }
        }
    }
    return false;
}

// The contained words take their letters first; blanks stand in for the ones missing.
void Plan::takeContainedWords(const std::vector<std::u16string>& contain) {
    std::u16string containedLetters;
    std::vector<std::pair<std::string, std::uint64_t>> containedWords;
    std::u16string containedList;
    for (const std::u16string& typed : contain) {
        std::u16string word;
        for (const char16_t unit : letterKey(typed, index->accents())) {
            if (unit == u'?') {
                throw PhraseError("a word to contain cannot hold a blank: \"" + encodeUtf8(typed) +
                                  "\"");
            }
            if (isPhraseLetter(unit)) {
                word.push_back(unit);
            }
        }
        if (word.empty()) {
            throw PhraseError("a word to contain holds no letter: \"" + encodeUtf8(typed) + "\"");
        }
        containedLetters += word;
        if (!containedList.empty()) {
            containedList += u' ';
        }
        containedList += word;
        containedWords.emplace_back(
            encodeUtf8(word),
            wordKey(static_cast<int>(std::min<std::size_t>(word.size(), 64)), index->rankOf(word)));
    }
    if (!containedLetters.empty()) {
        std::sort(containedLetters.begin(), containedLetters.end());
        std::u16string missing;
        realLetters = subtractLetters(realLetters, containedLetters, &missing);
        if (missing.size() > static_cast<std::size_t>(blanks)) {
            throw PhraseError("the phrase does not hold the letters of \"" +
                              encodeUtf8(containedList) + "\"");
        }
        blanks -= static_cast<int>(missing.size());
    }
    for (const auto& [text, key] : containedWords) {
        containedText += text;
    }
    containedText.append(kCopySlack, '\0');
    std::size_t offset = 0;
    for (const auto& [text, key] : containedWords) {
        contained.push_back(
            {key, containedText.data() + offset, static_cast<std::uint32_t>(text.size())});
        offset += text.size();
    }
}

// The words (indices into the index's list) that fit the phrase with at most `blanks` letters
// to spare.
std::vector<std::uint32_t> Plan::fittingWords(const PhraseOptions& options) const {
    const PhraseLengths lengths = options.lengths;
    std::unordered_set<std::u16string> excluded;
    for (const std::u16string& word : options.exclude) {
        excluded.insert(lettersOnly(word, index->accents()));
    }
    if (noRepeat) {
        // A word that an anagram holds already cannot come again.
        for (const OutWord& word : contained) {
            excluded.insert(decodeUtf8(std::string_view(word.text, word.bytes)));
        }
    }
    const auto kept = [&](std::u16string_view letters) {
        if (!excluded.empty() && excluded.contains(std::u16string(letters))) {
            return false;
        }
        return !options.onlyFrom || options.onlyFrom->contains(std::u16string(letters));
    };
    std::uint8_t* const slots = slotTable();
    // Cleared on every way out, a failed allocation included, so the next search starts clean.
    struct ClearSlots {
        std::uint8_t* slots;
        const std::u16string& letters;
        ~ClearSlots() {
            for (const char16_t unit : letters) {
                slots[unit] = 0;
            }
        }
    };
    std::array<std::uint8_t, kMaxPhraseLetters + 1> have{};
    std::array<std::uint8_t, kMaxPhraseLetters + 1> used{};
    int distinct = 0;
    const ClearSlots clearSlots{slots, realLetters};
    for (const char16_t unit : realLetters) {
        if (slots[unit] == 0) {
            slots[unit] = static_cast<std::uint8_t>(++distinct);
        }
        ++have[slots[unit]];
    }
    const std::uint64_t realSignature = PhraseIndex::letterSignature(realLetters);
    std::vector<std::uint32_t> candidates;
    const auto& words = index->words();
    for (std::size_t w = 0; w < words.size(); ++w) {
        const PhraseIndex::Word& word = words[w];
        if (word.length > static_cast<std::uint32_t>(letterCount) ||
            ((lengths >> (word.length - 1)) & 1u) == 0) {
            continue;
        }
        const std::uint64_t outside = word.signature & ~realSignature;
        if (blanks == 0 ? outside != 0 : std::popcount(outside) > blanks) {
            continue;
        }
        const std::u16string_view letters = index->lettersOf(word);
        int spare = blanks;
        for (const char16_t unit : letters) {
            const std::uint8_t slot = slots[unit];
            if (slot == 0 || ++used[slot] > have[slot]) {
                --spare;
            }
        }
        for (const char16_t unit : letters) {
            used[slots[unit]] = 0;
        }
        if (spare >= 0 && kept(letters)) {
            candidates.push_back(static_cast<std::uint32_t>(w));
        }
    }
    return candidates;
}

// Groups the fitting words by their sorted letters: the members of a class are interchangeable
// in the search and are only told apart when the lines are written.
void Plan::groupIntoClasses(const std::vector<std::uint32_t>& candidates) {
    struct Candidate {
        std::u16string key;
        std::uint32_t word;
    };
    const auto& words = index->words();
    std::vector<Candidate> sorted;
    sorted.reserve(candidates.size());
    for (const std::uint32_t w : candidates) {
        std::u16string key(index->lettersOf(words[w]));
        std::sort(key.begin(), key.end());
        sorted.push_back({std::move(key), w});
    }
    std::sort(sorted.begin(), sorted.end(), [](const Candidate& a, const Candidate& b) {
        if (a.key.size() != b.key.size()) {
            return a.key.size() > b.key.size();
        }
        if (a.key != b.key) {
            return a.key < b.key;
        }
        return a.word < b.word;
    });
    std::vector<std::size_t> memberOffsets;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t end = i + 1;
        while (end < sorted.size() && sorted[end].key == sorted[i].key) {
            ++end;
        }
        PlanClass cls;
        cls.key = sorted[i].key;
        if (blanks > 0) {
            subtractLetters(realLetters, cls.key, &cls.deficit);
        }
        cls.firstMember = static_cast<std::uint32_t>(members.size());
        cls.memberCount = static_cast<std::uint32_t>(end - i);
        cls.length = static_cast<std::uint16_t>(cls.key.size());
        for (std::size_t m = i; m < end; ++m) {
            const PhraseIndex::Word& word = words[sorted[m].word];
            const std::size_t offset = memberText.size();
            appendUtf8(index->textOf(word), memberText);
            members.push_back(
                {wordKey(static_cast<int>(word.length), PhraseIndex::rankOfPosition(word.position)),
                 nullptr, static_cast<std::uint32_t>(memberText.size() - offset)});
            memberOffsets.push_back(offset);
        }
        if (blanks > 0) {
            byDeficit[cls.deficit].push_back(static_cast<std::uint32_t>(classes.size()));
        }
        classes.push_back(std::move(cls));
        i = end;
    }
    memberText.append(kCopySlack, '\0');
    // The texts are in place: turn the offsets into pointers.
    for (std::size_t m = 0; m < members.size(); ++m) {
        members[m].text = memberText.data() + memberOffsets[m];
    }
}

void Plan::classesWithin(std::u16string_view blankLetters,
                         std::vector<std::uint32_t>& fitting) const {
    fitting.clear();
    if (blanks == 0) {
        fitting.resize(classes.size());
        for (std::size_t c = 0; c < classes.size(); ++c) {
            fitting[c] = static_cast<std::uint32_t>(c);
        }
        return;
    }
    // A class fits when the blanks supply its deficit: collect the classes of every
    // sub-multiset of the blank letters, then restore the class order.
    std::vector<std::pair<char16_t, int>> letters;  // distinct blank letters, their counts
    for (const char16_t unit : blankLetters) {
        if (letters.empty() || letters.back().first != unit) {
            letters.emplace_back(unit, 0);
        }
        ++letters.back().second;
    }
    std::vector<int> taken(letters.size(), 0);
    std::u16string deficit;
    for (;;) {
        deficit.clear();
        for (std::size_t i = 0; i < letters.size(); ++i) {
            deficit.append(static_cast<std::size_t>(taken[i]), letters[i].first);
        }
        const auto group = byDeficit.find(deficit);
        if (group != byDeficit.end()) {
            fitting.insert(fitting.end(), group->second.begin(), group->second.end());
        }
        std::size_t at = 0;
        while (at < letters.size() && taken[at] == letters[at].second) {
            taken[at++] = 0;
        }
        if (at == letters.size()) {
            break;
        }
        ++taken[at];
    }
    std::sort(fitting.begin(), fitting.end());
}

std::size_t Plan::maxLineBytes() const {
    // Every letter is at most three UTF-8 bytes and is followed by at most one space; the last
    // word's copy may run kCopySlack bytes further.
    return linePrefix.size() + 4 * static_cast<std::size_t>(kMaxPhraseLetters) + 4 + kCopySlack;
}

bool BlankSets::next() {
    const int k = m_plan.blanks;
    const int size = static_cast<int>(m_plan.blankAlphabet.size());
    if (!m_started) {
        m_started = true;
        if (k > 0 && size == 0) {
            return false;
        }
        m_choice.assign(static_cast<std::size_t>(k), 0);
    } else {
        // The next multiset in lexicographic order: raise the last choice that can rise, and
        // set the ones after it equal to it.
        int at = k - 1;
        while (at >= 0 && m_choice[static_cast<std::size_t>(at)] == size - 1) {
            --at;
        }
        if (at < 0) {
            return false;
        }
        const int raised = ++m_choice[static_cast<std::size_t>(at)];
        for (int i = at + 1; i < k; ++i) {
            m_choice[static_cast<std::size_t>(i)] = raised;
        }
    }
    m_current.clear();
    for (const int choice : m_choice) {
        m_current.push_back(m_plan.blankAlphabet[static_cast<std::size_t>(choice)]);
    }
    return true;
}

}  // namespace wordloom::engine::phrase_detail
