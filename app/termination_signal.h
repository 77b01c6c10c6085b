#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace wordloom::app {

// Turns SIGTERM and SIGINT into a call on the GUI thread, so that a session logout or a
// `kill` closes the window the same way its close button does instead of killing the process
// mid-operation. A signal handler may only write to a pipe; the notifier reads it in the loop.
class TerminationSignal : public QObject {
public:
    explicit TerminationSignal(std::function<void()> onSignal);
    ~TerminationSignal() override;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace wordloom::app
