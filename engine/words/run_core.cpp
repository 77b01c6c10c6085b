#include "engine/words/run_core.h"

#include <string>

#include "engine/text.h"
#include "engine/words/matcher.h"

namespace wordloom::engine {

bool isRunnableLetterSet(std::u16string_view letterSet) {
    return letterSet.size() > 1 && letterSet.size() < 28;
}

void unscrambleLetterSet(const Dictionary& dictionary, std::u16string_view letterSet,
                         const LengthFilter& lengths, std::vector<std::uint32_t>& found) {
    if (!isRunnableLetterSet(letterSet)) {
        return;
    }
    Unscramble(dictionary, toLowerCase(letterSet), lengths, found);
}

}  // namespace wordloom::engine
