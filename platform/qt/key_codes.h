#pragma once

namespace wordloom::platform::qt {

// The Windows virtual-key code of a Qt key (Qt::Key_Delete gives 46), as the key-down handlers
// of the window expect them; 0 for keys without one.
int windowsKeyCode(int qtKey);

}  // namespace wordloom::platform::qt
