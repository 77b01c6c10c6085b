#include "letter_index.h"

#include <string>

namespace wordloom::engine {

void BuildLetterIndex(const WordList& words, LetterIndex& index) {
    index.entries.fill(0);
    index.entries[1] = 0;

    // An empty word has no first character, which differs from every initial; -1 stands for it.
    std::int32_t initial = u'a';
    std::size_t nextEntry = 2;
    for (std::size_t position = 0; position < words.size(); ++position) {
        const std::u16string_view word = words[position];
        const std::int32_t first = word.empty() ? -1 : std::int32_t{word.front()};
        if (first == initial) {
            continue;
        }
        if (nextEntry >= index.entries.size()) {
            throw TooManyInitialGroups(
                "The dictionary has words beginning with more than 26 different characters (the "
                "first extra one at word " +
                std::to_string(position + 1) +
                "); keep only words of the lower-case letters a to z in the dictionary file.");
        }
        index.entries[nextEntry++] = static_cast<std::int32_t>(position);
        initial = first;
    }
}

}  // namespace wordloom::engine
