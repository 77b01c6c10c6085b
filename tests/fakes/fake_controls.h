#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fail_switch.h"
#include "platform/controls.h"

namespace fakes {

class FakeCheckBox : public wordloom::platform::CheckBox {
public:
    int current = 0;
    std::function<void()> handler;
    FailSwitch fail;

    int state() const override { return current; }
    void setState(int state) override {
        fail.check("setState");
        if (state == current) {
            return;
        }
        current = state;
        if (handler) {
            handler();
        }
    }
    void setStateChangedHandler(std::function<void()> changed) override {
        handler = std::move(changed);
    }
    // A user's click: toggles between 0 and 1 and notifies.
    void click() { setState(current == 1 ? 0 : 1); }
};

class FakeProgressDisplay : public wordloom::platform::ProgressDisplay {
public:
    double value = 0;
    std::u16string text = u"Progress Bar";
    std::vector<double> values;
    std::vector<std::u16string> texts;
    FailSwitch fail;

    void setValue(double percent) override {
        fail.check("setValue");
        value = percent;
        values.push_back(percent);
    }
    void setText(std::u16string_view shown) override {
        fail.check("setText");
        text = shown;
        texts.emplace_back(shown);
    }
};

class FakeMainWindow : public wordloom::platform::MainWindow {
public:
    int shape = 0;
    std::vector<int> shapes;  // every shape set, in order
    std::u16string caption = u"Form1";
    std::u16string customPointerImage;
    bool hasProgramIcon = false;
    bool buttonFaceColours = false;
    bool ended = false;
    FailSwitch fail;

    int pointerShape() const override { return shape; }
    void setPointerShape(int value) override {
        fail.check("setPointerShape");
        shape = value;
        shapes.push_back(value);
    }
    void setCustomPointerImage(const std::u16string& cursorFile) override {
        fail.check("setCustomPointerImage");
        customPointerImage = cursorFile;
    }
    void setCaption(const std::u16string& text) override {
        fail.check("setCaption");
        caption = text;
    }
    void setProgramIcon() override { hasProgramIcon = true; }
    void useButtonFaceColours() override { buttonFaceColours = true; }
    void endProgram() override { ended = true; }
};

// Counts yields and can run a test's action inside one, as a click would arrive there.
class FakeEventPump : public wordloom::platform::EventPump {
public:
    int calls = 0;
    std::function<void(int call)> duringYield;

    void processEvents() override {
        ++calls;
        if (duringYield) {
            duringYield(calls);
        }
    }
};

}  // namespace fakes
