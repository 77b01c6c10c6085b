#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace wordloom::app {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that a session logout or a
// `kill` closes the window the same way its close button does instead of killing the process
// mid-operation. A signal handler may only write to a pipe; the notifier reads it in the loop.
//
// Closing the window ends the process at once, also in the middle of an export, so nothing of the
// export unwinds: removeUnfinishedExports() must run just before, on the GUI thread. The same
// clean-up runs when the process exits without unwinding otherwise (Qt's exit when the X
// connection breaks, a fatal message).
class TerminationSignal : public QObject {
public:
    explicit TerminationSignal(std::function<void()> onSignal);
    ~TerminationSignal() override;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

// Removes what a running export has made and not finished: the text export's temporary file
// beside the chosen file, and a workbook file the spreadsheet export reserved. The user's own
// files are left as they are. For the exits that do not unwind the export.
void removeUnfinishedExports() noexcept;

}  // namespace wordloom::app
