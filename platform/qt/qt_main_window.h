#pragma once

#include <QCursor>
#include <optional>

#include "form1_widget.h"
#include "platform/controls.h"

namespace wordloom::platform::qt {

// Form1's own services: pointer shapes over the whole window, caption, icon, colours and the end
// of the program.
class QtMainWindow final : public MainWindow {
public:
    explicit QtMainWindow(Form1Widget& window) : m_window(window) {}

    int pointerShape() const override { return m_shape; }
    // 0 arrow, 11 busy, 99 the custom image (a pointing hand when none was loaded); throws
    // std::out_of_range for other shapes.
    void setPointerShape(int shape) override;
    void setCustomPointerImage(const std::u16string& cursorFile) override;
    void setCaption(const std::u16string& caption) override;
    void setProgramIcon() override;
    void useButtonFaceColours() override;
    // Before the event loop has started (start-up failed) this only marks the program ended, and
    // the caller returns instead of showing the window. Afterwards it ends the process at once,
    // from whatever nested loop or long operation it is called: the settings are already stored.
    void endProgram() override;

    bool ended() const { return m_ended; }

private:
    void applyPointer();

    Form1Widget& m_window;
    int m_shape = PointerDefault;
    std::optional<QCursor> m_customPointer;
    bool m_ended = false;
};

}  // namespace wordloom::platform::qt
