#pragma once

#include <QEvent>
#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

namespace wordloom::platform::qt {

// Calls a function for chosen events of one object and lets the object handle them as usual.
// Owned by the watched object, so it lives exactly as long.
class EventHook : public QObject {
    Q_OBJECT
public:
    EventHook(QObject& watched, std::initializer_list<QEvent::Type> types,
              std::function<void(QEvent&)> onEvent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QEvent::Type> m_types;
    std::function<void(QEvent&)> m_onEvent;
};

}  // namespace wordloom::platform::qt
