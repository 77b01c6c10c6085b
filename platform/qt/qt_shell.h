#pragma once

#include "platform/services.h"

namespace wordloom::platform::qt {

// Opens addresses with the desktop's default handler through QDesktopServices.
class QtShell final : public Shell {
public:
    // Throws when the address is not valid or no program takes it.
    void openUrl(const std::u16string& address) override;
};

}  // namespace wordloom::platform::qt
