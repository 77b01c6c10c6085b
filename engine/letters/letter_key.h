#pragma once

#include <string>
#include <string_view>

namespace wordloom::engine {

// How the batch tool compares the letters of word lists in any alphabet: every text (word,
// letter set, phrase) is put in Unicode NFC and each code point replaced by its simple lower-case
// mapping, so that "Größe" and "GRÖẞE" are the same letters and "é" typed as "e" plus a combining
// accent equals "é". With the accents folded, the combining marks of each letter's canonical
// decomposition are dropped first (é è ê -> e, ñ -> n); letters without a decomposition (ß, ø,
// ł) stay themselves.
enum class Accents { Kept, Folded };

// The text as the comparison sees it. Characters that are not letters stay (lower-cased where
// they have a case).
std::u16string letterKey(std::u16string_view text, Accents accents);

// The same, appended to `out`: a caller that keys many texts reuses one buffer.
void appendLetterKey(std::u16string_view text, Accents accents, std::u16string& out);

}  // namespace wordloom::engine
