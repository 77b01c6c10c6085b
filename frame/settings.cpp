#include "frame/settings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "engine/text.h"

namespace wordloom::frame {

namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::size_t skipDigits(std::u16string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    return at;
}

// True when `number` (already stripped of surrounding blanks) is a plain decimal number.
bool isDecimalNumber(std::u16string_view number) {
    std::size_t at = 0;
    if (at < number.size() && (number[at] == u'+' || number[at] == u'-')) {
        ++at;
    }
    const std::size_t integerEnd = skipDigits(number, at);
    bool hasDigits = integerEnd > at;
    at = integerEnd;
    if (at < number.size() && number[at] == u'.') {
        const std::size_t fractionEnd = skipDigits(number, at + 1);
        hasDigits = hasDigits || fractionEnd > at + 1;
        at = fractionEnd;
    }
    if (!hasDigits) {
        return false;
    }
    if (at < number.size() && (number[at] == u'e' || number[at] == u'E')) {
        ++at;
        if (at < number.size() && (number[at] == u'+' || number[at] == u'-')) {
            ++at;
        }
        const std::size_t exponentEnd = skipDigits(number, at);
        if (exponentEnd == at) {
            return false;
        }
        at = exponentEnd;
    }
    return at == number.size();
}

// For a number too large or too small for a double: whether its magnitude is at least 1, taken
// from the position of its first significant digit and its exponent.
bool hasIntegerMagnitude(std::string_view number) {
    long long order = 0;  // digits before the point, counted from the first non-zero digit
    bool significant = false;
    bool afterPoint = false;
    std::size_t at = 0;
    for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
        const char c = number[at];
        if (c == '.') {
            afterPoint = true;
        } else if (c >= '1' && c <= '9' && !significant) {
            significant = true;
            order += afterPoint ? 0 : 1;
        } else if (c >= '0' && c <= '9') {
            if (significant && !afterPoint) {
                ++order;
            } else if (!significant && afterPoint) {
                --order;
            }
        }
    }
    long long exponent = 0;
    if (at < number.size()) {
        const char* first = number.data() + at + 1;
        if (*first == '+') {
            ++first;
        }
        // An exponent too long for long long saturates the order either way.
        if (std::from_chars(first, number.data() + number.size(), exponent).ec != std::errc()) {
            exponent = number[at + 1] == '-' ? std::numeric_limits<int>::min()
                                             : std::numeric_limits<int>::max();
        }
    }
    return significant && order + exponent > 0;
}

double roundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) {
        return below;
    }
    if (fraction > 0.5) {
        return below + 1;
    }
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

}  // namespace

std::u16string ReadSetting(platform::SettingsStore& store, std::u16string_view application,
                           std::u16string_view section, std::u16string_view key,
                           std::u16string_view defaultValue) {
    auto stored = store.read(application, section, key);
    return stored ? std::move(*stored) : std::u16string(defaultValue);
}

void WriteSetting(platform::SettingsStore& store, std::u16string_view application,
                  std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    store.write(application, section, key, value);
}

std::int16_t settingToInteger(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    std::u16string_view number = text.substr(first, last - first);
    if (!isDecimalNumber(number)) {
        throw std::invalid_argument("The stored setting '" + engine::encodeUtf8(text) +
                                    "' is not a number.");
    }
    if (number.front() == u'+') {
        number.remove_prefix(1);  // std::from_chars takes no plus sign
    }
    // Only ASCII is left, so each code unit narrows to its character.
    const std::string ascii(number.begin(), number.end());
    double value = 0;
    // The grammar check above leaves nothing for from_chars to stop short of.
    const std::errc error = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value).ec;
    const bool tooLarge = error == std::errc::result_out_of_range && hasIntegerMagnitude(ascii);
    if (error == std::errc::result_out_of_range && !tooLarge) {
        value = 0;  // a magnitude below the smallest double rounds to zero
    }
    const double rounded = roundHalfToEven(value);
    if (tooLarge || rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        throw std::out_of_range("The stored setting '" + engine::encodeUtf8(text) +
                                "' is outside the range -32768 to 32767.");
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace wordloom::frame
