#include "text.h"

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
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

char16_t lowerUnit(char16_t unit, locale_t locale) {
    if (unit < 0x80) {
        return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 0x20) : unit;
    }
    if (isSurrogate(unit) || locale == static_cast<locale_t>(0)) {
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

void Utf8Decoder::feed(std::string_view bytes, std::u16string& out) {
    const std::size_t start = out.size();
    // Each byte gives at most one code unit, except a byte that completes a four-byte sequence
    // (two units) or follows an unfinished sequence that it breaks (U+FFFD and itself).
    out.resize(start + bytes.size() + 2);
    char16_t* to = out.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = from + bytes.size();

    while (from != end) {
        if (m_pending == 0) {
            // Fast path: runs of ASCII, the bulk of every word list and letter file.
            while (from != end && *from < 0x80) {
                *to++ = static_cast<char16_t>(*from++);
                m_atStart = false;
            }
            if (from == end) {
                break;
            }
            const unsigned char lead = *from++;
            m_low = 0x80;
            m_high = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                m_pending = 1;
                m_codePoint = lead & 0x1F;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                m_pending = 2;
                m_codePoint = lead & 0x0F;
                if (lead == 0xE0) {
                    m_low = 0xA0;  // no overlong forms
                } else if (lead == 0xED) {
                    m_high = 0x9F;  // no surrogates
                }
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                m_pending = 3;
                m_codePoint = lead & 0x07;
                if (lead == 0xF0) {
                    m_low = 0x90;  // no overlong forms
                } else if (lead == 0xF4) {
                    m_high = 0x8F;  // nothing above U+10FFFF
                }
            } else {
                *to++ = kReplacement;  // a stray continuation byte or an impossible lead
                m_atStart = false;
            }
            continue;
        }
        const unsigned char next = *from;
        if (next < m_low || next > m_high) {
            // The sequence breaks here; the byte is examined again as the start of a new one.
            *to++ = kReplacement;
            m_atStart = false;
            m_pending = 0;
            continue;
        }
        ++from;
        m_codePoint = (m_codePoint << 6) | (next & 0x3F);
        m_low = 0x80;
        m_high = 0xBF;
        if (--m_pending == 0) {
            if (!(m_atStart && m_codePoint == kByteOrderMark)) {
                to = putCodePoint(m_codePoint, to);
            }
            m_atStart = false;
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

void Utf8Decoder::finish(std::u16string& out) {
    if (m_pending != 0) {
        out.push_back(kReplacement);
        m_pending = 0;
        m_atStart = false;
    }
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
