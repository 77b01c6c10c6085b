// Feeds arbitrary bytes to the dictionary reader as a word list in any alphabet, then checks the
// batch tool's search over letter keys (shared codes, the checks on exact letters) against the
// letter rule applied word by word: both sides keyed, then compared as multisets of code points,
// "?" standing for any one.
//
// Input: a first byte (odd: accents folded), the list's bytes, optionally followed by a NUL and
// letter sets, one per line. Without letter sets, a few are taken from the list's own bytes.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/letter_rule_reference.h"
#include "engine/dictionary.h"
#include "engine/letters/keyed_search.h"
#include "engine/letters/letter_key.h"
#include "engine/text.h"
#include "fuzz/letter_sets_input.h"
#include "fuzz/memory_file.h"

namespace {

using namespace wordloom;
using cli::tool_test::codePointsOf;
using cli::tool_test::referenceSpells;
using fuzz::letterSetsFrom;
using fuzz::MemoryFile;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemoryFile file;
    if (size == 0) {
        return 0;
    }
    const engine::Accents accents =
        (data[0] & 1) != 0 ? engine::Accents::Folded : engine::Accents::Kept;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = input.rfind('\0');
    const std::string_view listBytes = input.substr(0, split);
    const std::string_view letters =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    file.replace(listBytes);

    engine::DictionaryLoader loader(file.path);
    std::unique_ptr<engine::KeyedSearch> search;
    try {
        loader.open();
        loader.readItems();
        loader.close();
        loader.sort();
        search = std::make_unique<engine::KeyedSearch>(loader.dictionary()->words(), accents);
    } catch (const std::runtime_error&) {
        return 0;  // a list the tool refuses with a message
    }
    const engine::WordList& words = loader.dictionary()->words();
    const engine::LengthMask lengths = engine::LengthMask::range(2, 27);
    const std::vector<std::string_view> fromList = {
        listBytes.substr(0, 6), listBytes.substr(0, 12),
        listBytes.substr(std::min<std::size_t>(3, listBytes.size()), 5), "??", "?????"};
    for (const std::string_view bytes : letterSetsFrom(letters, fromList)) {
        const std::u16string letterSet = engine::decodeUtf8(bytes);
        std::vector<std::uint32_t> found;
        search->find(letterSet, lengths, found);
        std::vector<std::uint32_t> expected;
        const std::u32string setLetters = codePointsOf(engine::letterKey(letterSet, accents));
        if (setLetters.size() >= 2 && setLetters.size() <= 27) {
            for (std::uint32_t position = 0; position < words.size(); ++position) {
                const std::u32string word =
                    codePointsOf(engine::letterKey(words[position], accents));
                if (word.size() >= 2 && word.size() <= 27 && referenceSpells(word, setLetters)) {
                    expected.push_back(position);
                }
            }
        }
        if (found != expected) {
            std::fprintf(
                stderr, "Letter set '%.*s': the keyed search found %zu rows, the rule %zu.\n",
                static_cast<int>(bytes.size()), bytes.data(), found.size(), expected.size());
            std::abort();
        }
    }
    return 0;
}
