#pragma once

#include <QString>
#include <string>
#include <string_view>

// UTF-16 text conversions for the system-service adapters. Both sides are UTF-16, so the code
// units are copied as they are (QString::fromUtf16 would drop a leading byte-order mark).
namespace wordloom::platform::qt {

inline QString qStringFromU16(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

inline std::u16string u16FromQString(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace wordloom::platform::qt
