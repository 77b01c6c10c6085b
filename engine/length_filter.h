#pragma once

#include <cstdint>
#include <optional>

namespace wordloom::engine {

// Which word lengths a run lists. For lengths 2 to 8 the matcher asks only for words that pass,
// at the moment it finds them, so an implementation may read live state (the window's check
// boxes). Lengths 9 to 27 (the batch tool's) are asked about once, before the search, so that
// the long words cost nothing when they are not wanted.
class LengthFilter {
public:
    virtual ~LengthFilter() = default;
    virtual bool wants(int length) const = 0;

    // For a filter whose answers never change: every length it wants, bit L for length L, so
    // that the matcher can pass over the words of lengths nobody wants. A filter that reads live
    // state answers nullopt.
    virtual std::optional<std::uint32_t> fixedLengths() const { return std::nullopt; }
};

// A fixed choice of lengths, as the batch tool takes it from its options.
class LengthMask final : public LengthFilter {
public:
    constexpr LengthMask() = default;
    constexpr explicit LengthMask(std::uint32_t bits) : m_bits(bits) {}
    static constexpr LengthMask range(int from, int to) {
        std::uint32_t bits = 0;
        for (int length = from; length <= to; ++length) {
            bits |= 1u << length;
        }
        return LengthMask(bits);
    }
    bool wants(int length) const override {
        return length >= 0 && length < 32 && ((m_bits >> length) & 1u) != 0;
    }
    std::optional<std::uint32_t> fixedLengths() const override { return m_bits; }
    std::uint32_t bits() const { return m_bits; }

private:
    std::uint32_t m_bits = 0;
};

}  // namespace wordloom::engine
