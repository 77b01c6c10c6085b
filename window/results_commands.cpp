// The result-list commands belong to the output layer; Form1 hands their clicks over.

#include "window/form1_state.h"

namespace wordloom::window {

void Form1::PushButton5_Click() {
    m_state->output.PushButton5_Click();
}
void Form1::PushButton7_Click() {
    m_state->output.PushButton7_Click();
}
void Form1::PushButton8_Click() {
    m_state->output.PushButton8_Click();
}
void Form1::PushButton13_Click() {
    m_state->output.PushButton13_Click();
}

}  // namespace wordloom::window
