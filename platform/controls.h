#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace wordloom::platform {

// A check box with states 0 (not ticked), 1 (ticked) and 2 (grey). Setting a different state
// notifies exactly like a user's click; setting the same state notifies nothing.
class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual int state() const = 0;
    virtual void setState(int state) = 0;
    virtual void setStateChangedHandler(std::function<void()> handler) = 0;
};

// The progress bar: a real-valued percentage and a text shown on the bar.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void setValue(double percent) = 0;
    virtual void setText(std::u16string_view text) = 0;
};

// Pointer shapes of the main window.
enum PointerShapeValue : int { PointerDefault = 0, PointerHourglass = 11, PointerCustom = 99 };

// The main window's own services.
class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual int pointerShape() const = 0;
    virtual void setPointerShape(int shape) = 0;
    // Loads a cursor file as the image of shape 99; throws when it is not a valid cursor.
    virtual void setCustomPointerImage(const std::u16string& cursorFile) = 0;
    virtual void setCaption(const std::u16string& caption) = 0;
    virtual void setProgramIcon() = 0;
    // Gives the window, Frame1 and the seven check boxes the button-face colour.
    virtual void useButtonFaceColours() = 0;
    // Ends the program at once, from any depth of nested event loops.
    virtual void endProgram() = 0;
};

// Lets the window repaint and take input inside long loops.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};

}  // namespace wordloom::platform
