#pragma once

#include <string>
#include <string_view>

namespace wordloom::engine {

// UTF-8 is this platform's 8-bit text. Decoding drops a leading byte-order mark and turns every
// malformed sequence into U+FFFD; it never fails.
std::u16string decodeUtf8(std::string_view bytes);

// Unpaired surrogates become U+FFFD.
std::string encodeUtf8(std::u16string_view text);

// Simple 1:1 lower-casing of each code unit (the length in code units never changes), the same
// for the window and the batch tool.
std::u16string toLowerCase(std::u16string_view text);

// The text after the last "\" or "/", or the whole text when it has neither.
std::u16string FileNamePart(std::u16string_view text);

}  // namespace wordloom::engine
