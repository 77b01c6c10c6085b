#include "text.h"

#include <cstring>
#include <cwctype>

#include <locale.h>
#include <wctype.h>

namespace wordloom::engine {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::uint32_t kByteOrderMark = 0xFEFF;

bool isSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char16_t* putCodePoint(std::uint32_t codePoint, char16_t* to) {
    if (codePoint < 0x10000) {
        *to++ = static_cast<char16_t>(codePoint);
    } else {
        codePoint -= 0x10000;
        *to++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
        *to++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    }
    return to;
}

void appendUtf8(std::uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// The C.UTF-8 locale gives the same simple case mapping wherever the program runs, whatever the
// user's locale says. Without it only A-Z are lowered.
locale_t lowerCaseLocale() {
    // NOLINTNEXTLINE(modernize-use-nullptr): locale_t need not be a pointer
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

char16_t lowerUnit(char16_t unit, locale_t locale) {
    if (unit < 0x80) {
        return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
    }
    if (isSurrogate(unit) || locale == static_cast<locale_t>(0)) {  // NOLINT(modernize-use-nullptr)
        return unit;
    }
    const std::wint_t lower = towlower_l(static_cast<std::wint_t>(unit), locale);
    // A mapping that would leave the BMP or land on a surrogate would change the length.
    if (lower > 0xFFFF || isSurrogate(lower)) {
        return unit;
    }
    return static_cast<char16_t>(lower);
}

}  // namespace

namespace {

// The decoder's state between calls; a local copy keeps it in registers while decoding.
struct DecodeState {
    std::uint32_t codePoint = 0;
    int pending = 0;  // continuation bytes still expected
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    bool atStart = true;  // a byte-order mark here is dropped
};

// Copies the ASCII bytes from `from` on, eight at a time while a whole block is ASCII.
void copyAscii(const unsigned char*& from, const unsigned char* end, char16_t*& to) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    while (end - from >= 8) {
        std::uint64_t block;
        std::memcpy(&block, from, sizeof block);
        if ((block & kHighBits) != 0) {
            break;
        }
        for (int i = 0; i < 8; ++i) {
            to[i] = static_cast<char16_t>(from[i]);
        }
        from += 8;
        to += 8;
    }
    while (from != end && *from < 0x80) {
        *to++ = static_cast<char16_t>(*from++);
    }
}

// Each byte gives at most one code unit, except a byte that completes a four-byte sequence (two
// units) or follows an unfinished sequence that it breaks (U+FFFD and itself); so `to` needs room
// for the byte count plus 2, and for no more than the byte count when nothing is pending.
char16_t* decode(DecodeState& state, const unsigned char* from, const unsigned char* const end,
                 char16_t* to) {
    while (from != end) {
        if (state.pending == 0) {
            // Fast path: runs of ASCII, the bulk of every word list and letter file.
            if (*from < 0x80) {
                copyAscii(from, end, to);
                state.atStart = false;
                if (from == end) {
                    break;
                }
            }
            const unsigned char lead = *from++;
            state.low = 0x80;
            state.high = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                state.pending = 1;
                state.codePoint = lead & 0x1F;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                state.pending = 2;
                state.codePoint = lead & 0x0F;
                if (lead == 0xE0) {
                    state.low = 0xA0;  // no overlong forms
                } else if (lead == 0xED) {
                    state.high = 0x9F;  // no surrogates
                }
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                state.pending = 3;
                state.codePoint = lead & 0x07;
                if (lead == 0xF0) {
                    state.low = 0x90;  // no overlong forms
                } else if (lead == 0xF4) {
                    state.high = 0x8F;  // nothing above U+10FFFF
                }
            } else {
                *to++ = kReplacement;  // a stray continuation byte or an impossible lead
                state.atStart = false;
            }
            continue;
        }
        const unsigned char next = *from;
        if (next < state.low || next > state.high) {
            // The sequence breaks here; the byte is examined again as the start of a new one.
            *to++ = kReplacement;
            state.atStart = false;
            state.pending = 0;
            continue;
        }
        ++from;
        state.codePoint = (state.codePoint << 6) | (next & 0x3F);
        state.low = 0x80;
        state.high = 0xBF;
        if (--state.pending == 0) {
            if (!(state.atStart && state.codePoint == kByteOrderMark)) {
                to = putCodePoint(state.codePoint, to);
            }
            state.atStart = false;
        }
    }
    return to;
}

}  // namespace

void Utf8Decoder::feed(std::string_view bytes, std::u16string& out) {
    const std::size_t start = out.size();
    out.resize(start + bytes.size() + 2);
    DecodeState state{m_codePoint, m_pending, m_low, m_high, m_atStart};
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* const to = decode(state, from, from + bytes.size(), out.data() + start);
    m_codePoint = state.codePoint;
    m_pending = state.pending;
    m_low = state.low;
    m_high = state.high;
    m_atStart = state.atStart;
    out.resize(static_cast<std::size_t>(to - out.data()));
}

void Utf8Decoder::finish(std::u16string& out) {
    if (m_pending != 0) {
        out.push_back(kReplacement);
        m_pending = 0;
        m_atStart = false;
    }
}

char16_t* decodeUtf8Part(std::string_view bytes, char16_t* out) {
    DecodeState state;
    state.atStart = false;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    out = decode(state, from, from + bytes.size(), out);
    if (state.pending != 0) {
        *out++ = kReplacement;
    }
    return out;
}

std::u16string decodeUtf8(std::string_view bytes) {
    std::u16string text;
    Utf8Decoder decoder;
    decoder.feed(bytes, text);
    decoder.finish(text);
    return text;
}

std::string encodeUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            const std::uint32_t high = unit - 0xD800u;
            const std::uint32_t low = text[++i] - 0xDC00u;
            appendUtf8(0x10000 + (high << 10) + low, out);
        } else if (isSurrogate(unit)) {
            appendUtf8(kReplacement, out);
        } else {
            appendUtf8(unit, out);
        }
    }
    return out;
}

std::u16string toLowerCase(std::u16string_view text) {
    const locale_t locale = lowerCaseLocale();
    std::u16string lower(text);
    for (char16_t& unit : lower) {
        unit = lowerUnit(unit, locale);
    }
    return lower;
}

std::u16string FileNamePart(std::u16string_view text) {
    const std::size_t separator = text.find_last_of(u"\\/");
    if (separator == std::u16string_view::npos) {
        return std::u16string(text);
    }
    return std::u16string(text.substr(separator + 1));
}

}  // namespace wordloom::engine
