#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace wordloom::rows {

// A growing byte buffer whose memory is kept when it is cleared, so that writing the next letter
// set or the next export reuses pages the process already has.
class ByteBuffer {
public:
    // Bytes past the reserved room that a writer may overwrite (whole-block copies, padding).
    static constexpr std::size_t kSlack = 64;

    const char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::size_t capacity() const { return m_capacity; }
    std::string_view view() const { return {m_data.get(), m_size}; }
    void clear() { m_size = 0; }

    // Where the next `bytes` bytes go; kSlack more may be written there as scratch.
    char* room(std::size_t bytes) {
        if (m_capacity - m_size < bytes + kSlack) {
            grow(bytes + kSlack);
        }
        return m_data.get() + m_size;
    }
    // Ends a write that started at room(): `end` is one past its last byte.
    void commit(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }

    void append(std::string_view bytes);

private:
    // Large buffers come in 2 MiB pages, which fault in far faster than small ones.
    struct Release {
        std::size_t bytes;
        void operator()(char* block) const noexcept;
    };

    void grow(std::size_t needed);

    std::unique_ptr<char[], Release> m_data{nullptr, Release{0}};
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace wordloom::rows
