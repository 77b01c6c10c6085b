#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/table_snapshot.h"

namespace wordloom::platform::qt {

// The texts of the letter-set list, packed for lists of millions of entries: texts lie one after
// another in large blocks of UTF-16 code units, and each row is eight bytes naming its block,
// offset and length. A text once written never moves or changes, so a snapshot shares the
// blocks and the row table with the list instead of copying them: appending leaves the rows a
// snapshot holds as they are, and a removal copies the row table first (eight bytes a row)
// only while a snapshot still holds it.
class LetterSetStore {
public:
    LetterSetStore();

    std::size_t size() const;
    std::u16string_view text(std::size_t row) const;

    void append(std::u16string_view text);
    void remove(std::size_t row);
    void clear();

    // The rows as they are now, under one column with the given headers.
    std::shared_ptr<const TableSnapshot> snapshot(std::vector<std::u16string> headers) const;

    // Texts of at least this many code units get a block of their own, freed with their row.
    static constexpr std::size_t OwnBlockUnits = std::size_t{1} << 16;
    static constexpr std::size_t BlockUnits = std::size_t{1} << 20;

    struct Block {
        std::unique_ptr<char16_t[]> units;
        std::size_t used = 0;
        std::size_t capacity = 0;
    };
    struct Storage {
        std::vector<std::shared_ptr<Block>> blocks;
        std::deque<std::uint64_t> rows;  // block << 40 | offset << 20 | length
        std::u16string_view text(std::size_t row) const;
    };

private:
    // The storage, copied first when a snapshot shares it.
    Storage& ownStorage();

    std::shared_ptr<Storage> m_storage;
};

}  // namespace wordloom::platform::qt
