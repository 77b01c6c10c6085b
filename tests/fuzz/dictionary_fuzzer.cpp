// Feeds arbitrary bytes to the dictionary reader as a words.dic, then checks the matcher against
// the literal word-by-word algorithm on the resulting list, whatever its shape.
//
// Input: the dictionary's bytes, optionally followed by a NUL and letter sets, one per line.
// Without letter sets, a few are taken from the dictionary's own bytes.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dictionary.h"
#include "engine/text.h"
#include "engine/words/run_core.h"
#include "fuzz/letter_sets_input.h"
#include "fuzz/memory_file.h"
#include "reference/literal_unscramble.h"

namespace {

using namespace wordloom;
using fuzz::letterSetsFrom;
using fuzz::MemoryFile;

// Every phase runs even after an earlier one failed, as at start-up.
std::shared_ptr<const engine::Dictionary> load(const std::string& path) {
    engine::DictionaryLoader loader(path);
    for (void (engine::DictionaryLoader::*phase)() :
         {&engine::DictionaryLoader::open, &engine::DictionaryLoader::readItems,
          &engine::DictionaryLoader::close, &engine::DictionaryLoader::sort,
          &engine::DictionaryLoader::buildIndex}) {
        try {
            (loader.*phase)();
        } catch (const std::runtime_error&) {
        }
    }
    return loader.dictionary();
}

void checkLetterSet(const engine::Dictionary& dictionary, std::string_view bytes,
                    engine::LengthMask lengths) {
    const std::u16string letterSet = engine::decodeUtf8(bytes);
    std::vector<std::uint32_t> found;
    engine::unscrambleLetterSet(dictionary, letterSet, lengths, found);
    std::vector<std::uint32_t> expected;
    if (engine::isRunnableLetterSet(letterSet)) {
        reference::literalUnscramble(dictionary.words(), dictionary.letterIndex(),
                                     engine::toLowerCase(letterSet), lengths, expected,
                                     reference::InitialSkip::Off);
    }
    if (found != expected) {
        std::fprintf(stderr,
                     "Letter set '%.*s': the matcher found %zu rows, the literal walk %zu.\n",
                     static_cast<int>(bytes.size()), bytes.data(), found.size(), expected.size());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MemoryFile file;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.rfind('\0');
    const std::string_view dictionaryBytes = input.substr(0, split);
    const std::string_view letters =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    file.replace(dictionaryBytes);
    const auto dictionary = load(file.path);

    // All lengths, and a choice that depends on the input so that every mask gets its turn.
    const auto someLengths = engine::LengthMask(static_cast<std::uint32_t>(size * 37u) & 0x1FCu);
    const std::vector<std::string_view> fromDictionary = {
        dictionaryBytes.substr(0, 6),
        dictionaryBytes.substr(0, 12),
        dictionaryBytes.substr(std::min<std::size_t>(3, dictionaryBytes.size()), 4),
        "??",
        "?????",
        "ab?cd?e"};
    for (std::string_view letterSet : letterSetsFrom(letters, fromDictionary)) {
        checkLetterSet(*dictionary, letterSet, engine::LengthMask::range(2, 8));
        checkLetterSet(*dictionary, letterSet, someLengths);
    }
    return 0;
}
