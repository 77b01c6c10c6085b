#include "cli/phrase_progress.h"

#include <string>
#include <utility>
#include <system_error>

#include "cli/options.h"

namespace wordloom::cli {

namespace {

// How often the line is redrawn while it shows.
constexpr std::chrono::milliseconds redrawEvery{200};

// Back to the start of the line and erase it to its end.
constexpr char clearLine[] = "\r\x1b[K";

}  // namespace

PhraseProgress::PhraseProgress(std::FILE* err, bool enabled, bool outputIsTerminal,
                               std::chrono::milliseconds delay)
    : m_err(err), m_enabled(enabled), m_outputIsTerminal(outputIsTerminal), m_delay(delay) {}

PhraseProgress::~PhraseProgress() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        clearLocked();
    }
    m_wake.notify_one();
    m_thread.join();
}

void PhraseProgress::start(const engine::PhraseControl& control, std::size_t number,
                           std::size_t total) {
    if (!m_enabled) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_control = &control;
        m_number = number;
        m_total = total;
        m_started = std::chrono::steady_clock::now();
    }
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread(&PhraseProgress::loop, this);
        } catch (const std::system_error&) {
            // No thread to spare: the phrases run without a display.
        }
    }
    m_wake.notify_one();
}

void PhraseProgress::finish() {
    if (!m_enabled) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_control = nullptr;
    clearLocked();
}

void PhraseProgress::beforeOutput() {
    if (!m_enabled || !m_outputIsTerminal) {
        return;
    }
    std::lock_guard lock(m_mutex);
    clearLocked();
}

void PhraseProgress::clearLocked() {
    if (m_shown) {
        std::fputs(clearLine, m_err);
        std::fflush(m_err);
        m_shown = false;
    }
}

void PhraseProgress::loop() {
    std::unique_lock lock(m_mutex);
    while (!m_closing) {
        if (m_control == nullptr) {
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_started + m_delay;
        if (std::chrono::steady_clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        std::string line = clearLine;
        line.append(programName).append(": ");
        line += std::to_string(m_control->delivered.load(std::memory_order_relaxed));
        line += " anagrams so far, phrase " + std::to_string(m_number);
        if (m_total != 0) {
            line += " of " + std::to_string(m_total);
        }
        if (!m_shown || line != m_lastLine) {
            std::fputs(line.c_str(), m_err);
            std::fflush(m_err);
            m_shown = true;
            m_lastLine = std::move(line);
        }
        m_wake.wait_for(lock, redrawEvery);
    }
}

}  // namespace wordloom::cli
