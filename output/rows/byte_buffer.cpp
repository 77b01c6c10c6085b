#include "output/rows/byte_buffer.h"

#include <algorithm>

#include "engine/huge_page_buffer.h"

namespace wordloom::rows {

void ByteBuffer::Release::operator()(char* block) const noexcept {
    engine::releaseBlock(block, bytes);
}

void ByteBuffer::append(std::string_view bytes) {
    if (bytes.empty()) {
        return;  // an empty view may have no data at all
    }
    char* at = room(bytes.size());
    std::memcpy(at, bytes.data(), bytes.size());
    m_size += bytes.size();
}

void ByteBuffer::grow(std::size_t needed) {
    const std::size_t capacity = std::max({m_capacity * 2, m_size + needed, std::size_t{4096}});
    std::unique_ptr<char[], Release> grown(static_cast<char*>(engine::allocateBlock(capacity)),
                                           Release{capacity});
    if (m_size != 0) {
        std::memcpy(grown.get(), m_data.get(), m_size);
    }
    m_data = std::move(grown);
    m_capacity = capacity;
}

}  // namespace wordloom::rows
