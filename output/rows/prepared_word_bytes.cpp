#include "output/rows/word_bytes.h"

#include "engine/dictionary.h"

namespace wordloom::rows {

std::shared_ptr<const WordBytes> preparedWordBytes(
    const std::shared_ptr<const engine::Dictionary>& dictionary) {
    // One dictionary is loaded at a time; its bytes are made again only for another one. An
    // expired pointer never matches, even when a new dictionary has the old one's address.
    struct Cache {
        std::weak_ptr<const engine::Dictionary> preparedFor;
        std::shared_ptr<const WordBytes> prepared;
    };
    // Never destroyed: the prepared bytes live in blocks of the engine's page cache, which may
    // be gone by the time static objects made before it would be destroyed at exit.
    static auto* const cache = new Cache;
    const bool same = !cache->preparedFor.expired() &&
                      !cache->preparedFor.owner_before(dictionary) &&
                      !dictionary.owner_before(cache->preparedFor);
    if (!same) {
        cache->prepared.reset();  // the old bytes go before the new ones are made
        cache->preparedFor.reset();
        cache->prepared = std::make_shared<const WordBytes>(dictionary->words());
        cache->preparedFor = dictionary;
    }
    return cache->prepared;
}

}  // namespace wordloom::rows
