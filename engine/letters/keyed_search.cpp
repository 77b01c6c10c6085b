#include "engine/letters/keyed_search.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <stdexcept>

#include "engine/words/letter_tiles.h"
#include "engine/words/matcher.h"
#include "engine/words/run_core.h"

namespace wordloom::engine {
namespace {

constexpr char16_t kBlank = u'?';
// A letter of a letter set that no word holds: it matches nothing, in codes or exactly.
constexpr char16_t kNoWordsLetter = 0xFFFF;
// Exact letters are one unit each: kFirstExact + the letter's number. Below it lies "?".
constexpr char32_t kFirstExact = 0x40;
constexpr std::size_t kMostLetters = kNoWordsLetter - kFirstExact - 1;
constexpr int kCodes = 26;
constexpr std::size_t kShortestRun = 2;
constexpr std::size_t kLongestRun = MatchIndex::kLongestListed;

bool isAscii(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
}

// Calls `each` with every code point of the text's letter key, made in `key`.
template <typename Each>
void forEachKeyLetter(std::u16string_view text, Accents accents, std::u16string& key, Each each) {
    key.clear();
    appendLetterKey(text, accents, key);
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char16_t unit = key[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < key.size() && key[i + 1] >= 0xDC00 &&
            key[i + 1] <= 0xDFFF) {
            each(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (key[++i] - 0xDC00));
        } else {
            each(char32_t{unit});
        }
    }
}

std::uint32_t lengthBit(std::size_t length) {
    return 1u << std::min<std::size_t>(length, 31);
}

}  // namespace

bool KeyedSearch::needsKeys(const WordList& words) {
    const std::u16string_view text = words.text();
    return !std::all_of(text.begin(), text.end(), [](char16_t unit) {
        return unit < 0x80 && !(unit >= u'A' && unit <= u'Z');
    });
}

KeyedSearch::KeyedSearch(const Dictionary& dictionary, Accents accents)
    : m_accents(accents), m_dictionary(&dictionary) {
    for (std::uint32_t length = 0; length < 32; ++length) {
        m_unitLengths[length] = 1u << length;
    }
}

KeyedSearch::KeyedSearch(const WordList& words, Accents accents)
    : m_accents(accents), m_basicPlane(0x10000, 0) {
    // The exact letters of every word first, counting how often each letter occurs; then the
    // codes, which depend on those counts, written over them.
    m_coded.reserve(words.textUnits(), words.size());
    std::vector<std::uint64_t> counts(1, 0);
    std::u16string letters;
    std::u16string key;
    for (std::size_t position = 0; position < words.size(); ++position) {
        letters.clear();
        forEachKeyLetter(words[position], accents, key, [&](char32_t codePoint) {
            if (codePoint == kBlank) {
                letters.push_back(kBlank);
                return;
            }
            // Most letters lie in the basic plane: their table is read here, not through a call.
            std::uint32_t number =
                codePoint < 0x10000 ? m_basicPlane[codePoint] : letterNumber(codePoint);
            if (number == 0) {
                number = addLetter(codePoint);
                counts.push_back(0);
            }
            ++counts[number];
            letters.push_back(static_cast<char16_t>(kFirstExact + number));
        });
        m_coded.append(letters);
        m_unitLengths[std::min<std::size_t>(letters.size(), 31)] |=
            lengthBit(words[position].size());
    }
    assignCodes(counts);
    codeWords();
    m_index.build(m_coded);
}

std::uint32_t KeyedSearch::letterNumber(char32_t codePoint) const {
    if (codePoint < 0x10000) {
        return m_basicPlane[codePoint];
    }
    const auto found = m_otherPlanes.find(codePoint);
    return found == m_otherPlanes.end() ? 0 : found->second;
}

std::uint32_t KeyedSearch::addLetter(char32_t codePoint) {
    if (m_letterCount == kMostLetters) {
        throw std::runtime_error("The dictionary holds more than " + std::to_string(kMostLetters) +
                                 " different characters, more than a word search can tell "
                                 "apart; split it into lists of one script each.");
    }
    const auto number = static_cast<std::uint16_t>(++m_letterCount);
    if (codePoint < 0x10000) {
        m_basicPlane[codePoint] = number;
    } else {
        m_otherPlanes.emplace(codePoint, number);
    }
    return number;
}

// The 26 most frequent letters get a code each, in the order of their numbers' code points so
// that a list of a-z keeps a-z; each rarer letter, most frequent first, joins the code that
// stands for the fewest occurrences so far, so that the shared codes stay rare.
void KeyedSearch::assignCodes(const std::vector<std::uint64_t>& counts) {
    std::vector<std::uint32_t> byFrequency(m_letterCount);
    std::iota(byFrequency.begin(), byFrequency.end(), 1u);
    std::stable_sort(byFrequency.begin(), byFrequency.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return counts[a] > counts[b]; });
    const std::size_t ownCodes = std::min<std::size_t>(byFrequency.size(), kCodes);
    std::vector<std::pair<char32_t, std::uint32_t>> chosen;  // code point, number
    std::vector<char32_t> codePointOf(m_letterCount + 1, 0);
    for (char32_t codePoint = 0; codePoint < 0x10000; ++codePoint) {
        if (m_basicPlane[codePoint] != 0) {
            codePointOf[m_basicPlane[codePoint]] = codePoint;
        }
    }
    for (const auto& [codePoint, number] : m_otherPlanes) {
        codePointOf[number] = codePoint;
    }
    for (std::size_t i = 0; i < ownCodes; ++i) {
        chosen.emplace_back(codePointOf[byFrequency[i]], byFrequency[i]);
    }
    std::sort(chosen.begin(), chosen.end());

    m_codeOf.assign(m_letterCount + 1, u'a');
    m_sharedCode.assign(m_letterCount + 1, false);
    std::vector<std::uint64_t> codeTotal(kCodes, 0);
    std::vector<std::vector<std::uint32_t>> lettersOfCode(kCodes);
    for (std::size_t code = 0; code < chosen.size(); ++code) {
        const std::uint32_t number = chosen[code].second;
        m_codeOf[number] = static_cast<char16_t>(u'a' + code);
        codeTotal[code] = counts[number];
        lettersOfCode[code].push_back(number);
    }
    for (std::size_t i = ownCodes; i < byFrequency.size(); ++i) {
        const std::uint32_t number = byFrequency[i];
        const auto code = static_cast<std::size_t>(
            std::min_element(codeTotal.begin(), codeTotal.end()) - codeTotal.begin());
        m_codeOf[number] = static_cast<char16_t>(u'a' + code);
        codeTotal[code] += counts[number];
        lettersOfCode[code].push_back(number);
    }
    for (const std::vector<std::uint32_t>& numbers : lettersOfCode) {
        for (const std::uint32_t number : numbers) {
            m_sharedCode[number] = numbers.size() > 1;
        }
    }
}

// Spells each word (in exact letters so far) in codes, in place, and keeps the exact letters of
// those that hold a shared code.
void KeyedSearch::codeWords() {
    // By exact unit: its code, and whether the code is shared; "?" stays.
    std::vector<char16_t> codeOfUnit(kFirstExact + m_letterCount + 1, kBlank);
    std::vector<std::uint8_t> sharedUnit(codeOfUnit.size(), 0);
    for (std::size_t number = 1; number <= m_letterCount; ++number) {
        codeOfUnit[kFirstExact + number] = m_codeOf[number];
        sharedUnit[kFirstExact + number] = m_sharedCode[number] ? 1 : 0;
    }
    m_checkedBits.assign((m_coded.size() + 63) / 64, 0);
    // Room for the most the checked words can need, in huge pages: growing would copy them
    // again and again, and small pages would each cost a fault; pages never written are never
    // faulted in.
    m_checkedOffsets.reserve(m_coded.size() + 1);
    m_checkedText.reserve(m_coded.textUnits());
    m_checkedOffsets.push_back(0);
    char16_t* const text = m_coded.mutableText();
    const char16_t* const start = m_coded.text().data();
    for (std::size_t position = 0; position < m_coded.size(); ++position) {
        const std::u16string_view letters = m_coded[position];
        std::uint8_t shared = 0;
        for (const char16_t unit : letters) {
            shared |= sharedUnit[unit];
        }
        if (shared != 0) {
            m_checkedBits[position / 64] |= std::uint64_t{1} << (position % 64);
            m_checkedText.append(letters.data(), letters.size());
            m_checkedOffsets.push_back(static_cast<std::uint32_t>(m_checkedText.size()));
        }
        char16_t* const word = text + (letters.data() - start);
        for (std::size_t i = 0; i < letters.size(); ++i) {
            word[i] = codeOfUnit[word[i]];
        }
    }
    m_coded.seal();
    m_checkedBefore.reserve(m_checkedBits.size());
    std::uint32_t before = 0;
    for (const std::uint64_t bits : m_checkedBits) {
        m_checkedBefore.push_back(before);
        before += static_cast<std::uint32_t>(std::popcount(bits));
    }
    if (before == 0) {
        m_checkedBits.clear();  // nothing to check: find() can tell at once
    }
}

void KeyedSearch::code(std::u16string_view letterSet, CodedLetters& out) const {
    out.coded.clear();
    out.exact.clear();
    thread_local std::u16string key;
    forEachKeyLetter(letterSet, m_accents, key, [&](char32_t codePoint) {
        if (codePoint == kBlank) {
            out.coded.push_back(kBlank);
            out.exact.push_back(kBlank);
        } else if (m_dictionary != nullptr) {
            // A plain list holds lower-case ASCII alone: any other letter matches nothing.
            const char16_t unit =
                codePoint < 0x80 ? static_cast<char16_t>(codePoint) : kNoWordsLetter;
            out.coded.push_back(unit);
        } else if (const std::uint32_t number = letterNumber(codePoint); number != 0) {
            out.coded.push_back(m_codeOf[number]);
            out.exact.push_back(static_cast<char16_t>(kFirstExact + number));
        } else {
            out.coded.push_back(kNoWordsLetter);
            out.exact.push_back(kNoWordsLetter);
        }
    });
}

bool KeyedSearch::runnable(std::u16string_view letterSet) const {
    if (isAscii(letterSet)) {
        return isRunnableLetterSet(letterSet);  // one letter a unit
    }
    thread_local CodedLetters letters;
    code(letterSet, letters);
    return letters.coded.size() >= kShortestRun && letters.coded.size() <= kLongestRun;
}

bool KeyedSearch::spellsExactly(std::uint32_t position, std::u16string_view exactLetters,
                                std::u16string& remaining) const {
    const std::uint64_t bits = m_checkedBits[position / 64];
    const std::uint64_t bit = std::uint64_t{1} << (position % 64);
    if ((bits & bit) == 0) {
        return true;  // no shared code: the search in codes was exact
    }
    const std::size_t i =
        m_checkedBefore[position / 64] + static_cast<std::size_t>(std::popcount(bits & (bit - 1)));
    const std::u16string_view word =
        std::u16string_view(m_checkedText.data(), m_checkedText.size())
            .substr(m_checkedOffsets[i], m_checkedOffsets[i + 1] - m_checkedOffsets[i]);
    return word_search::spells(word, exactLetters, remaining);
}

void KeyedSearch::find(std::u16string_view letterSet, const LengthFilter& lengths,
                       std::vector<std::uint32_t>& found) const {
    if (m_dictionary != nullptr && isAscii(letterSet)) {
        // Its key is its lower case, as the window takes it.
        unscrambleLetterSet(*m_dictionary, letterSet, lengths, found);
        return;
    }
    thread_local CodedLetters letters;
    code(letterSet, letters);
    if (letters.coded.size() < kShortestRun || letters.coded.size() > kLongestRun) {
        return;
    }
    if (m_dictionary != nullptr) {
        Unscramble(*m_dictionary, letters.coded, lengths, found);
        return;
    }
    const std::size_t from = found.size();
    UnscrambleVia(MatchPath::Automatic, m_coded, m_index, letters.coded, lengths, found);
    if (m_checkedBits.empty()) {
        return;
    }
    thread_local std::u16string remaining;
    const auto kept = std::remove_if(
        found.begin() + static_cast<std::ptrdiff_t>(from), found.end(),
        [&](std::uint32_t position) { return !spellsExactly(position, letters.exact, remaining); });
    found.erase(kept, found.end());
}

std::uint32_t KeyedSearch::unitLengths(std::uint32_t letterLengths) const {
    std::uint32_t units = 0;
    for (std::uint32_t length = 0; length < 32; ++length) {
        if (((letterLengths >> length) & 1u) != 0) {
            units |= m_unitLengths[length];
        }
    }
    return units;
}

}  // namespace wordloom::engine
