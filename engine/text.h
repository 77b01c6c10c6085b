#pragma once

#include <cstdint>
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

// Decodes a part of a UTF-8 text that was cut at ASCII bytes, where no sequence can continue, so
// that the parts decode independently: as decodeUtf8, except that a byte-order mark is an ordinary
// character (the part is not the start of the text). Writes the units from `out` on, at most
// bytes.size() of them, and returns their end.
char16_t* decodeUtf8Part(std::string_view bytes, char16_t* out);

// Decodes UTF-8 that arrives in chunks of any size, with the same result as decodeUtf8 over the
// whole text: a sequence split between chunks is joined, and each maximal malformed part of a
// sequence becomes one U+FFFD.
class Utf8Decoder {
public:
    // Appends the text of `bytes` to `out`; an incomplete sequence at the end waits for more.
    void feed(std::string_view bytes, std::u16string& out);
    // Ends the text: an incomplete sequence still waiting becomes U+FFFD.
    void finish(std::u16string& out);

private:
    std::uint32_t m_codePoint = 0;
    int m_pending = 0;  // continuation bytes still expected
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    bool m_atStart = true;  // a byte-order mark here is dropped
};

}  // namespace wordloom::engine
