#include "letter_set_store.h"

#include <algorithm>
#include <stdexcept>

namespace wordloom::platform::qt {
namespace {

constexpr std::uint64_t FieldMask = (std::uint64_t{1} << 20) - 1;
constexpr std::uint64_t WholeBlock = FieldMask;  // the length of a text with a block of its own
constexpr std::uint64_t MaxBlocks = std::uint64_t{1} << 24;

std::uint64_t packRow(std::size_t block, std::size_t offset, std::uint64_t length) {
    return static_cast<std::uint64_t>(block) << 40 | static_cast<std::uint64_t>(offset) << 20 |
           length;
}

std::size_t blockOf(std::uint64_t row) {
    return static_cast<std::size_t>(row >> 40);
}

// The rows of a store at the moment it was taken; the store may grow meanwhile.
class LetterSetSnapshot final : public TableSnapshot {
public:
    LetterSetSnapshot(std::vector<std::u16string> headers,
                      std::shared_ptr<const LetterSetStore::Storage> storage)
        : m_headers(std::move(headers)),
          m_storage(std::move(storage)),
          m_rows(m_storage->rows.size()) {}

    int columnCount() const override { return static_cast<int>(m_headers.size()); }
    std::u16string_view header(int column) const override {
        return m_headers.at(static_cast<std::size_t>(column - 1));
    }
    int rowCount() const override { return static_cast<int>(m_rows); }
    std::u16string_view cell(int row, int column) const override {
        if (row < 1 || static_cast<std::size_t>(row) > m_rows) {
            throw std::out_of_range("Row " + std::to_string(row) + " is not in the snapshot.");
        }
        return column == 1 ? m_storage->text(static_cast<std::size_t>(row - 1))
                           : std::u16string_view();
    }
    bool isChecked(int /*row*/) const override { return false; }

private:
    std::vector<std::u16string> m_headers;
    std::shared_ptr<const LetterSetStore::Storage> m_storage;
    std::size_t m_rows;
};

}  // namespace

std::u16string_view LetterSetStore::Storage::text(std::size_t row) const {
    const std::uint64_t packed = rows.at(row);
    const Block& block = *blocks[blockOf(packed)];
    const std::uint64_t length = packed & FieldMask;
    if (length == WholeBlock) {
        return {block.units.get(), block.used};
    }
    return {block.units.get() + ((packed >> 20) & FieldMask), static_cast<std::size_t>(length)};
}

LetterSetStore::LetterSetStore() : m_storage(std::make_shared<Storage>()) {}

std::size_t LetterSetStore::size() const {
    return m_storage->rows.size();
}

std::u16string_view LetterSetStore::text(std::size_t row) const {
    return m_storage->text(row);
}

LetterSetStore::Storage& LetterSetStore::ownStorage() {
    if (m_storage.use_count() > 1) {
        m_storage = std::make_shared<Storage>(*m_storage);
    }
    return *m_storage;
}

void LetterSetStore::append(std::u16string_view text) {
    // Appending never touches what a snapshot holds: rows and units already written stay, so the
    // storage is shared on.
    Storage& storage = *m_storage;
    if (storage.blocks.size() + 1 >= MaxBlocks) {
        throw std::length_error("The letter-set list cannot hold more texts.");
    }
    if (text.size() >= OwnBlockUnits) {
        auto block = std::make_shared<Block>();
        block->units.reset(new char16_t[text.size()]);
        std::copy(text.begin(), text.end(), block->units.get());
        block->used = block->capacity = text.size();
        storage.blocks.push_back(std::move(block));
        storage.rows.push_back(packRow(storage.blocks.size() - 1, 0, WholeBlock));
        return;
    }
    // Offsets stay below BlockUnits, so every field fits its 20 bits.
    if (storage.blocks.empty() || storage.blocks.back()->capacity != BlockUnits ||
        storage.blocks.back()->used + text.size() >= BlockUnits) {
        auto block = std::make_shared<Block>();
        block->units.reset(new char16_t[BlockUnits]);
        block->capacity = BlockUnits;
        storage.blocks.push_back(std::move(block));
    }
    Block& block = *storage.blocks.back();
    std::copy(text.begin(), text.end(), block.units.get() + block.used);
    storage.rows.push_back(packRow(storage.blocks.size() - 1, block.used, text.size()));
    block.used += text.size();
}

void LetterSetStore::remove(std::size_t row) {
    Storage& storage = ownStorage();
    const std::uint64_t packed = storage.rows.at(row);
    storage.rows.erase(storage.rows.begin() + static_cast<std::ptrdiff_t>(row));
    if ((packed & FieldMask) == WholeBlock) {
        // A long text's block goes with it (a snapshot that shares it keeps it alive).
        auto& block = storage.blocks[blockOf(packed)];
        block = std::make_shared<Block>();
    }
}

void LetterSetStore::clear() {
    m_storage = std::make_shared<Storage>();
}

std::shared_ptr<const TableSnapshot> LetterSetStore::snapshot(
    std::vector<std::u16string> headers) const {
    return std::make_shared<LetterSetSnapshot>(std::move(headers), m_storage);
}

}  // namespace wordloom::platform::qt
