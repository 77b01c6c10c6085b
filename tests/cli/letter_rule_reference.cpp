#include "letter_rule_reference.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <functional>
#include <map>

#include "engine/text.h"

namespace wordloom::cli::tool_test {
namespace {

std::u16string normalise(std::u16string_view text, const UNormalizer2* form) {
    std::u16string out(text.size() * 4 + 16, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = unorm2_normalize(form, text.data(), static_cast<int32_t>(text.size()),
                                            out.data(), static_cast<int32_t>(out.size()), &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

}  // namespace

std::u32string codePointsOf(std::u16string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        out.push_back(unit);
    }
    return out;
}

std::u16string unitsOf(const std::u32string& text) {
    std::u16string out;
    for (const char32_t c : text) {
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::u32string referenceLetters(std::u16string_view text, bool fold) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* const nfc = unorm2_getNFCInstance(&status);
    const UNormalizer2* const nfd = unorm2_getNFDInstance(&status);
    std::u16string composed;
    if (fold) {
        std::u32string bare;
        for (const char32_t c : codePointsOf(normalise(text, nfd))) {
            if (u_charType(static_cast<UChar32>(c)) != U_NON_SPACING_MARK) {
                bare.push_back(c);
            }
        }
        composed = normalise(unitsOf(bare), nfc);
    } else {
        composed = normalise(text, nfc);
    }
    std::u32string letters = codePointsOf(composed);
    for (char32_t& c : letters) {
        c = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
    }
    return letters;
}

bool referenceSpells(const std::u32string& word, const std::u32string& letters) {
    std::map<char32_t, int> left;
    for (const char32_t c : letters) {
        ++left[c];
    }
    for (const char32_t c : word) {
        if (left[c] > 0) {
            --left[c];
        } else if (left[U'?'] > 0) {
            --left[U'?'];
        } else {
            return false;
        }
    }
    return true;
}

std::string referenceWordRows(const std::vector<std::u16string>& words,
                              const std::vector<std::string>& letterSets, int shortest, int longest,
                              bool fold) {
    std::string rows;
    for (const std::string& typed : letterSets) {
        const std::u32string letters = referenceLetters(engine::decodeUtf8(typed), fold);
        if (letters.size() < 2 || letters.size() > 27) {
            continue;
        }
        for (const std::u16string& word : words) {
            const std::u32string wordLetters = referenceLetters(word, fold);
            const auto length = static_cast<int>(wordLetters.size());
            if (length >= std::max(shortest, 2) && length <= std::min(longest, 27) &&
                referenceSpells(wordLetters, letters)) {
                rows += typed + "\t" + engine::encodeUtf8(word) + "\n";
            }
        }
    }
    return rows;
}

std::vector<std::string> referencePhraseAnagrams(const std::vector<std::u16string>& words,
                                                 std::u16string_view phrase, bool fold) {
    std::u32string letters;
    for (const char32_t c : referenceLetters(phrase, fold)) {
        if (c == U'?' || u_isalpha(static_cast<UChar32>(c)) != 0) {
            letters.push_back(c);
        }
    }
    std::vector<std::u16string> entries;
    std::vector<std::u32string> entryLetters;
    for (const std::u16string& word : words) {
        const std::u32string key = referenceLetters(word, fold);
        const bool lettersOnly = std::all_of(key.begin(), key.end(), [](char32_t c) {
            return u_isalpha(static_cast<UChar32>(c)) != 0;
        });
        if (key.size() >= 2 && lettersOnly &&
            std::find(entries.begin(), entries.end(), word) == entries.end()) {
            entries.push_back(word);
            entryLetters.push_back(key);
        }
    }
    std::vector<std::string> anagrams;
    std::vector<std::size_t> chosen;
    // Entries in ascending order, each as often as it fits, until no letter is left.
    const std::function<void(std::size_t, const std::u32string&)> extend =
        [&](std::size_t from, const std::u32string& left) {
            if (left.empty()) {
                std::vector<std::string> spelled;
                for (const std::size_t i : chosen) {
                    spelled.push_back(engine::encodeUtf8(entries[i]));
                }
                std::sort(spelled.begin(), spelled.end());
                std::string line;
                for (const std::string& word : spelled) {
                    line += (line.empty() ? "" : " ") + word;
                }
                anagrams.push_back(line);
                return;
            }
            for (std::size_t i = from; i < entries.size(); ++i) {
                if (!referenceSpells(entryLetters[i], left)) {
                    continue;
                }
                std::u32string rest = left;
                for (const char32_t c : entryLetters[i]) {
                    const std::size_t at = rest.find(c);
                    rest.erase(at != std::u32string::npos ? at : rest.find(U'?'), 1);
                }
                chosen.push_back(i);
                extend(i, rest);
                chosen.pop_back();
            }
        };
    extend(0, letters);
    std::sort(anagrams.begin(), anagrams.end());
    anagrams.erase(std::unique(anagrams.begin(), anagrams.end()), anagrams.end());
    return anagrams;
}

}  // namespace wordloom::cli::tool_test
