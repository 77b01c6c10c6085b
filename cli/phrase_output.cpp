#include "cli/phrase_output.h"

#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>

#include "cli/batch_runner.h"

namespace wordloom::cli {

namespace {

std::atomic<engine::PhraseControl*> searchUnderway{nullptr};
std::atomic<bool> interrupted{false};
pthread_t writingThread;

extern "C" void stopSearch(int) {
    if (engine::PhraseControl* control = searchUnderway.load()) {
        interrupted.store(true);
        control->stop.store(true);
        if (pthread_equal(pthread_self(), writingThread) == 0) {
            pthread_kill(writingThread, SIGINT);
        }
    } else {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

// Holds the interrupt back on the calling thread while alive; `open()` is the signal mask that
// lets it through.
class InterruptHeldBack {
public:
    InterruptHeldBack() {
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        pthread_sigmask(SIG_BLOCK, &interrupt, &m_previous);
        m_open = m_previous;
        sigdelset(&m_open, SIGINT);
    }
    ~InterruptHeldBack() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    InterruptHeldBack(const InterruptHeldBack&) = delete;
    InterruptHeldBack& operator=(const InterruptHeldBack&) = delete;

    const sigset_t* open() const { return &m_open; }

private:
    sigset_t m_previous;
    sigset_t m_open;
};

bool mayWaitForReader(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        return true;
    }
    return S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || isatty(descriptor) != 0;
}

}  // namespace

InterruptStops::InterruptStops(engine::PhraseControl& control) {
    writingThread = pthread_self();
    interrupted.store(false);
    searchUnderway.store(&control);
    struct sigaction stop {};
    stop.sa_handler = stopSearch;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = 0;  // no SA_RESTART: a blocked write returns (EINTR) instead of waiting on
    sigaction(SIGINT, &stop, &m_previous);
    if (m_previous.sa_handler == SIG_IGN) {
        sigaction(SIGINT, &m_previous, nullptr);  // a background job of a shell keeps ignoring it
    }
}

InterruptStops::~InterruptStops() {
    sigaction(SIGINT, &m_previous, nullptr);
    searchUnderway.store(nullptr);
}

bool interruptArrived() {
    return interrupted.load();
}

StreamSink::StreamSink(std::FILE* out, PhraseProgress& progress)
    : m_out(out), m_progress(progress), m_mayWait(mayWaitForReader(fileno(out))) {}

// Written directly rather than through the stream's buffer, so that a write cut short by an
// interrupt is not carried on (the stream would go on waiting for the reader).
bool StreamSink::write(std::string_view lines) {
    m_progress.beforeOutput();
    if (std::fflush(m_out) != 0) {
        m_error = errno != 0 ? errno : EIO;
    } else {
        writeAll(lines);
    }
    m_progress.afterOutput();
    return m_error == 0;
}

// The interrupt is let through only while waiting for the output to take more, never between
// the check of the flag and a write: one that comes at any moment, even just before a write, is
// then seen before that write. A write itself does not wait: where the output may wait for its
// reader, it gets no more than PIPE_BUF bytes, which a pipe that has room takes whole.
void StreamSink::writeAll(std::string_view lines) {
    const InterruptHeldBack heldBack;
    const int descriptor = fileno(m_out);
    while (!lines.empty()) {
        if (interrupted.load()) {
            m_error = EINTR;
            return;
        }
        if (m_mayWait) {
            pollfd output{descriptor, POLLOUT, 0};
            if (ppoll(&output, 1, nullptr, heldBack.open()) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                m_error = errno;
                return;
            }
        }
        // Pieces end at multiples of PIPE_BUF in the stream, so that each fills up the pipe's
        // part-filled page rather than taking a page of its own.
        const std::size_t size =
            m_mayWait ? std::min(lines.size(), PIPE_BUF - m_streamOffset % PIPE_BUF) : lines.size();
        const ssize_t written = ::write(descriptor, lines.data(), size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = errno;
            return;
        }
        lines.remove_prefix(static_cast<std::size_t>(written));
        m_streamOffset += static_cast<std::size_t>(written);
    }
}

void StreamSink::flush(bool afterInterrupt) {
    pollfd output{fileno(m_out), POLLOUT, 0};
    if (afterInterrupt && (poll(&output, 1, 0) != 1 || (output.revents & POLLOUT) == 0)) {
        return;
    }
    if (m_error == 0 && std::fflush(m_out) != 0) {
        m_error = errno != 0 ? errno : EIO;
    }
}

void StreamSink::throwIfFailed() const {
    if (m_error != 0) {
        throw OutputError(std::string("cannot write the results: ") + std::strerror(m_error));
    }
}

}  // namespace wordloom::cli
