#include "window/form1.h"

#include "window/form1_state.h"

namespace wordloom::window {

Form1::Form1(Form1Controls controls) : m_state(std::make_unique<State>(std::move(controls))) {
    // Installed before Form_Load restores the boxes, so a restored tick is stored straight back.
    installWordLengthStores(m_state->ui.Check, m_state->ui.settings);
}

Form1::~Form1() = default;

std::shared_ptr<const engine::Dictionary> Form1::dictionary() const {
    return m_state->dictionary;
}

}  // namespace wordloom::window
