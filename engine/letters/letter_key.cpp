#include "engine/letters/letter_key.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <array>
#include <stdexcept>

namespace wordloom::engine {
namespace {

// The normaliser ICU keeps for the process; it cannot be missing from a working ICU, whose data
// holds it.
const UNormalizer2* normaliser(bool decompose) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* const instance =
        decompose ? unorm2_getNFDInstance(&status) : unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("Cannot load the Unicode normalisation data (") +
                                 u_errorName(status) + "); reinstall the ICU library.");
    }
    return instance;
}

std::u16string normalised(std::u16string_view text, bool decompose) {
    const UNormalizer2* const form = normaliser(decompose);
    UErrorCode status = U_ZERO_ERROR;
    const auto length = static_cast<int32_t>(text.size());
    if (unorm2_isNormalized(form, text.data(), length, &status) != 0 && U_SUCCESS(status)) {
        return std::u16string(text);
    }
    // A decomposition grows a code point to at most a few; NFC never grows the text by more
    // than a factor of three. ICU says when the room is short, and the call is made again.
    std::u16string out(text.size() * 3 + 8, u'\0');
    status = U_ZERO_ERROR;
    int32_t written = unorm2_normalize(form, text.data(), length, out.data(),
                                       static_cast<int32_t>(out.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(written));
        status = U_ZERO_ERROR;
        written = unorm2_normalize(form, text.data(), length, out.data(), written, &status);
    }
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("Cannot normalise a text (") + u_errorName(status) +
                                 ").");
    }
    out.resize(static_cast<std::size_t>(written));
    return out;
}

// Applies `change` to each code point of `text`; a change may drop one by returning -1.
template <typename Change>
std::u16string eachCodePoint(std::u16string_view text, Change change) {
    std::u16string out;
    out.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 codePoint;
        U16_NEXT(text.data(), i, length, codePoint);
        const UChar32 changed = change(codePoint);
        if (changed < 0) {
            continue;
        }
        if (U16_LENGTH(changed) == 1) {
            out.push_back(static_cast<char16_t>(changed));
        } else {
            out.push_back(U16_LEAD(changed));
            out.push_back(U16_TRAIL(changed));
        }
    }
    return out;
}

std::u16string keyThroughIcu(std::u16string_view text, Accents accents) {
    std::u16string composed;
    if (accents == Accents::Folded) {
        const std::u16string bare =
            eachCodePoint(normalised(text, true), [](UChar32 codePoint) -> UChar32 {
                return u_charType(codePoint) == U_NON_SPACING_MARK ? -1 : codePoint;
            });
        composed = normalised(bare, false);  // Hangul syllables and the like come together again
    } else {
        composed = normalised(text, false);
    }
    return eachCodePoint(composed,
                         [](UChar32 codePoint) -> UChar32 { return u_tolower(codePoint); });
}

// Below this code point (Latin, Greek, Cyrillic, Armenian) a character composes under NFC only
// with a combining mark that follows it, so a text of such characters without marks has the
// key of its characters one by one; a table holds them. Most words of most lists are such.
constexpr char16_t kTableEnd = 0x590;
constexpr char16_t kNoEntry = 0xFFFF;  // a mark, or a key of other than one unit

using KeyTable = std::array<char16_t, kTableEnd>;

KeyTable makeTable(Accents accents) {
    KeyTable table;
    for (char16_t unit = 0; unit < kTableEnd; ++unit) {
        const bool mark =
            (U_GET_GC_MASK(unit) & U_GC_M_MASK) != 0 || u_getCombiningClass(unit) != 0;
        const std::u16string key = mark ? std::u16string() : keyThroughIcu({&unit, 1}, accents);
        table[unit] = key.size() == 1 ? key[0] : kNoEntry;
    }
    return table;
}

const KeyTable& keyTable(Accents accents) {
    static const KeyTable kept = makeTable(Accents::Kept);
    static const KeyTable folded = makeTable(Accents::Folded);
    return accents == Accents::Folded ? folded : kept;
}

}  // namespace

void appendLetterKey(std::u16string_view text, Accents accents, std::u16string& out) {
    const KeyTable& table = keyTable(accents);
    const std::size_t start = out.size();
    for (const char16_t unit : text) {
        if (unit >= kTableEnd || table[unit] == kNoEntry) {
            out.resize(start);
            out += keyThroughIcu(text, accents);
            return;
        }
        out.push_back(table[unit]);
    }
}

std::u16string letterKey(std::u16string_view text, Accents accents) {
    std::u16string key;
    key.reserve(text.size());
    appendLetterKey(text, accents, key);
    return key;
}

}  // namespace wordloom::engine
