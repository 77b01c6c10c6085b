#include "app/termination_signal.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "output/replacing_file.h"
#include "platform/qt/xlsx_spreadsheet.h"

namespace wordloom::app {
namespace {

int signalSockets[2] = {-1, -1};

extern "C" void writeSignalByte(int) {
    const char byte = 1;
    // Nothing can be reported from a signal handler; a full socket already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

// Qt ends the process with exit(1) when the X connection breaks, and aborts after a fatal
// message: neither unwinds the export under way.
QtMessageHandler previousMessageHandler = nullptr;

void removeUnfinishedExportsOnFatal(QtMsgType type, const QMessageLogContext& context,
                                    const QString& message) {
    if (type == QtFatalMsg) {
        removeUnfinishedExports();
    }
    if (previousMessageHandler != nullptr) {
        previousMessageHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

extern "C" void removeUnfinishedExportsAtExit() {
    removeUnfinishedExports();
}

}  // namespace

TerminationSignal::TerminationSignal(std::function<void()> onSignal)
    : m_onSignal(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        throw std::runtime_error("Cannot set up the handling of termination signals.");
    }
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalSockets[1], bytes, sizeof bytes) > 0) {
        }
        m_onSignal();
    });

    struct sigaction action {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);  // the terminal or the session went away

    [[maybe_unused]] static const bool registered = [] {
        previousMessageHandler = qInstallMessageHandler(removeUnfinishedExportsOnFatal);
        return std::atexit(removeUnfinishedExportsAtExit) == 0;
    }();
}

TerminationSignal::~TerminationSignal() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
}

void removeUnfinishedExports() noexcept {
    output::ReplacingFile::removeUnfinishedFiles();
    platform::qt::XlsxSpreadsheet::removeUnfinishedWorkbooks();
}

}  // namespace wordloom::app
