#include "output/write_behind.h"

#include <system_error>
#include <utility>

namespace wordloom::output {

WriteBehind::WriteBehind(ReplacingFile& file) : m_file(file) {
    try {
        m_thread = std::thread([this] { writeLoop(); });
    } catch (const std::system_error&) {
        // No thread to spare: write() writes at once.
    }
}

WriteBehind::~WriteBehind() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void WriteBehind::write(rows::ByteBuffer& bytes) {
    if (!m_thread.joinable()) {
        if (!m_thrown) {
            try {
                m_file.write(bytes.view());
            } catch (...) {
                m_thrown = true;
                bytes.clear();
                throw;
            }
        }
        bytes.clear();
        return;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    if (m_failure || m_thrown) {
        bytes.clear();
        throwPendingFailure(lock);
        return;
    }
    std::swap(m_writing, bytes);
    bytes.clear();
    m_busy = true;
    lock.unlock();
    m_changed.notify_all();
}

void WriteBehind::check() {
    if (m_thread.joinable()) {
        std::unique_lock lock(m_mutex);
        throwPendingFailure(lock);
    }
}

void WriteBehind::finish() {
    if (m_thread.joinable()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_busy; });
        throwPendingFailure(lock);
    }
}

void WriteBehind::writeLoop() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_busy || m_closing; });
        if (!m_busy) {
            return;  // closing, nothing left to write
        }
        lock.unlock();
        std::exception_ptr failure;
        try {
            m_file.write(m_writing.view());
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_writing.clear();
        m_failure = failure;
        m_busy = false;
        m_changed.notify_all();
    }
}

void WriteBehind::throwPendingFailure(std::unique_lock<std::mutex>& lock) {
    if (m_failure) {
        const std::exception_ptr failure = std::exchange(m_failure, nullptr);
        m_thrown = true;
        lock.unlock();
        std::rethrow_exception(failure);
    }
}

}  // namespace wordloom::output
