#include "engine/phrases/phrase.h"

#include <algorithm>
#include <cwctype>

#include <locale.h>
#include <wctype.h>

#include "engine/text.h"

namespace wordloom::engine {
namespace {

// POSIX names (locale_t)0 as newlocale's "no locale" without promising that locale_t is a
// pointer, so the casts stay rather than nullptr.
locale_t letterLocale() {
    // NOLINTNEXTLINE(modernize-use-nullptr): locale_t need not be a pointer
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

// Whether each unit is a letter, worked out once for the whole basic plane.
class LetterTable {
public:
    LetterTable() {
        const locale_t locale = letterLocale();
        for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
            bool letter;
            if (unit < 0x80) {
                letter = (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z');
            } else if (unit >= 0xD800 && unit <= 0xDFFF) {
                letter = false;
            } else if (locale != static_cast<locale_t>(0)) {  // NOLINT(modernize-use-nullptr)
                letter = iswalpha_l(static_cast<std::wint_t>(unit), locale) != 0;
            } else {
                // Without the locale: Latin-1 letters and everything above them except the
                // general punctuation block, a rough but stable choice.
                letter = (unit >= 0xC0 && unit != 0xD7 && unit != 0xF7) &&
                         !(unit >= 0x2000 && unit <= 0x2BFF);
            }
            m_bits[unit >> 6] |= std::uint64_t{letter} << (unit & 63);
        }
    }
    bool letter(char16_t unit) const { return ((m_bits[unit >> 6] >> (unit & 63)) & 1u) != 0; }

private:
    std::uint64_t m_bits[0x10000 / 64] = {};
};

const LetterTable& letterTable() {
    static const LetterTable table;
    return table;
}

}  // namespace

bool isPhraseLetter(char16_t unit) {
    return letterTable().letter(unit);
}

Phrase parsePhrase(std::u16string_view text, Accents accents) {
    Phrase phrase;
    const std::u16string lowered = letterKey(text, accents);
    for (const char16_t unit : lowered) {
        if (unit == u'?') {
            ++phrase.blanks;
        } else if (isPhraseLetter(unit)) {
            phrase.letters.push_back(unit);
        }
    }
    if (phrase.size() > kMaxPhraseLetters) {
        throw PhraseError("a phrase can hold at most " + std::to_string(kMaxPhraseLetters) +
                          " letters and blanks; this one has " + std::to_string(phrase.size()));
    }
    return phrase;
}

std::uint64_t PhraseIndex::letterSignature(std::u16string_view letters) {
    std::uint64_t signature = 0;
    for (const char16_t unit : letters) {
        if (unit >= u'a' && unit <= u'z') {
            signature |= std::uint64_t{1} << (unit - u'a');
        } else {
            signature |= std::uint64_t{1} << (26 + unit % 38);
        }
    }
    return signature;
}

PhraseIndex::PhraseIndex(const WordList& words, Accents accents)
    : m_list(&words), m_accents(accents) {
    m_words.reserve(words.size());
    // Room for every key at once, in huge pages: growing would copy the keys, and small pages
    // would each cost a fault; pages never written are never faulted in.
    m_lowered.reserve(words.textUnits());
    const LetterTable& table = letterTable();
    std::u16string key;
    for (std::size_t position = 0; position < words.size(); ++position) {
        const std::u16string_view word = words[position];
        if (position > 0 && word == words[position - 1]) {
            continue;  // the same word again: one entry is enough
        }
        if (word.empty()) {
            continue;
        }
        Word entry;
        entry.position = static_cast<std::uint32_t>(position);
        entry.loweredOffset = kAsStored;
        entry.length = static_cast<std::uint32_t>(word.size());
        // Most words are a-z alone: their signature comes with the check.
        std::uint64_t signature = 0;
        bool plain = true;
        for (const char16_t unit : word) {
            const unsigned letter = static_cast<unsigned>(unit) - u'a';
            plain = plain && letter < 26;
            signature |= std::uint64_t{1} << (letter & 63);
        }
        if (!plain) {
            key.clear();
            appendLetterKey(word, accents, key);
            bool allLetters = true;
            for (const char16_t unit : key) {
                allLetters = allLetters && table.letter(unit);
            }
            if (!allLetters || key.empty()) {
                continue;
            }
            signature = letterSignature(key);
            entry.length = static_cast<std::uint32_t>(key.size());
            if (key != word) {
                entry.loweredOffset = static_cast<std::uint32_t>(m_lowered.size());
                m_lowered.append(key.data(), key.size());
            }
        }
        if (entry.length > static_cast<std::uint32_t>(kMaxPhraseLetters)) {
            continue;
        }
        entry.signature = signature;
        m_words.push_back(entry);
    }
}

std::uint64_t PhraseIndex::rankOf(std::u16string_view text) const {
    const auto& views = m_list->views();
    const auto at = std::lower_bound(views.begin(), views.end(), text);
    const auto position = static_cast<std::uint32_t>(at - views.begin());
    if (at != views.end() && *at == text) {
        return rankOfPosition(position);
    }
    return 2 * std::uint64_t{position};
}

}  // namespace wordloom::engine
