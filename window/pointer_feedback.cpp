#include "window/form1_state.h"

namespace wordloom::window {

void Form1::PointerMoved(PointerArea area) {
    platform::MainWindow& window = m_state->ui.Form1;
    try {
        // The hourglass belongs to the running operation; only it may take it away.
        if (window.pointerShape() == platform::PointerHourglass) {
            return;
        }
        window.setPointerShape(area == PointerArea::PushButton ? platform::PointerCustom
                                                               : platform::PointerDefault);
    } catch (...) {
        // Pointer feedback has no report; the shape stays as it was.
    }
}

}  // namespace wordloom::window
