#include "output/row_bytes.h"

#include "engine/dictionary.h"

namespace wordloom::output {

std::shared_ptr<const WordBytes> preparedWordBytes(
    const std::shared_ptr<const engine::Dictionary>& dictionary) {
    // One dictionary is loaded at a time; its bytes are made again only for another one. An
    // expired pointer never matches, even when a new dictionary has the old one's address.
    static std::weak_ptr<const engine::Dictionary> preparedFor;
    static std::shared_ptr<const WordBytes> prepared;
    const bool same = !preparedFor.expired() && !preparedFor.owner_before(dictionary) &&
                      !dictionary.owner_before(preparedFor);
    if (!same) {
        prepared.reset();  // the old bytes go before the new ones are made
        preparedFor.reset();
        prepared = std::make_shared<const WordBytes>(dictionary->words());
        preparedFor = dictionary;
    }
    return prepared;
}

}  // namespace wordloom::output
