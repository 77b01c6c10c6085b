#include "event_hook.h"

#include <algorithm>

namespace wordloom::platform::qt {

EventHook::EventHook(QObject& watched, std::initializer_list<QEvent::Type> types,
                     std::function<void(QEvent&)> onEvent)
    : QObject(&watched), m_types(types), m_onEvent(std::move(onEvent)) {
    watched.installEventFilter(this);
}

bool EventHook::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (std::find(m_types.begin(), m_types.end(), event->type()) != m_types.end()) {
        m_onEvent(*event);
    }
    return false;
}

}  // namespace wordloom::platform::qt
