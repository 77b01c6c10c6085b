#include "cli/phrase_output.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "cli/batch_runner.h"

namespace wordloom::cli {

namespace {

std::atomic<engine::PhraseControl*> searchUnderway{nullptr};
std::atomic<bool> interrupted{false};
pthread_t writingThread;
// The output descriptor of the StreamSink, and /dev/null opened to take its place.
std::atomic<int> sinkOutput{-1};
std::atomic<int> nullOutput{-1};

extern "C" void stopSearch(int) {
    if (engine::PhraseControl* control = searchUnderway.load()) {
        interrupted.store(true);
        control->stop.store(true);
        // A write that starts after this point, even one the writer has just decided on, goes
        // to /dev/null rather than wait; one already waiting is cut short by the signal.
        if (const int output = sinkOutput.load(); output >= 0) {
            dup2(nullOutput.load(), output);
        }
        if (pthread_equal(pthread_self(), writingThread) == 0) {
            pthread_kill(writingThread, SIGINT);
        }
    } else {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
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
    : m_out(out), m_progress(progress), m_null(open("/dev/null", O_WRONLY | O_CLOEXEC)) {
    if (m_null >= 0) {
        nullOutput.store(m_null);
        sinkOutput.store(fileno(out));
    }
}

StreamSink::~StreamSink() {
    if (m_null >= 0) {
        sinkOutput.store(-1);
        close(m_null);
    }
}

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

// The flag is looked at before every write; an interrupt that comes after that look sends the
// write to /dev/null (see stopSearch).
void StreamSink::writeAll(std::string_view lines) {
    const int descriptor = fileno(m_out);
    while (!lines.empty()) {
        if (interrupted.load()) {
            m_error = EINTR;
            return;
        }
        const ssize_t written = ::write(descriptor, lines.data(), lines.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = errno;
            return;
        }
        lines.remove_prefix(static_cast<std::size_t>(written));
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
