#pragma once

// The letter sets of a fuzzer's input.
#include <string_view>
#include <utility>
#include <vector>

namespace wordloom::fuzz {

// The first lines of `text` (at most 8), or `fallback` when it has none.
inline std::vector<std::string_view> letterSetsFrom(std::string_view text,
                                                    std::vector<std::string_view> fallback) {
    std::vector<std::string_view> sets;
    while (!text.empty() && sets.size() < 8) {
        const std::size_t end = text.find('\n');
        sets.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return sets.empty() ? std::move(fallback) : sets;
}

}  // namespace wordloom::fuzz
