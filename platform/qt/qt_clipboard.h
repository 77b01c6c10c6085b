#pragma once

#include <QString>

#include "platform/services.h"

namespace wordloom::platform::qt {

// The MIME type under which a text with a numbered clipboard format other than 0 is stored.
QString clipboardMimeType(int format);

// The system clipboard through QGuiApplication::clipboard().
class QtClipboard final : public Clipboard {
public:
    void clear() override;
    void setText(std::u16string_view text, int format) override;
};

}  // namespace wordloom::platform::qt
