#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace wordloom::platform::qt {

// Both sides hold UTF-16 code units; these conversions copy the units unchanged, so a leading
// U+FEFF, an unpaired surrogate and every other code unit survive the round trip
// (QString::fromUtf16 would drop a byte-order mark and replace unpaired surrogates).
QString toQString(std::u16string_view text);
std::u16string toU16String(const QString& text);

}  // namespace wordloom::platform::qt
