#include "cli/batch_runner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <system_error>

#include "engine/thread_room.h"

namespace wordloom::cli {

namespace {

// Output is handed to the stream in pieces of about this size.
constexpr std::size_t writeSize = 1 << 20;

// Letter sets in flight per thread: enough to keep every thread busy while the oldest is still
// being matched, few enough that even letter sets of blanks (many rows each) fit in memory.
constexpr std::size_t tasksPerJob = 16;

[[noreturn]] void throwWriteError(int error) {
    throw OutputError("Cannot write the results: " + std::string(std::strerror(error)) + ".");
}

}  // namespace

BatchRunner::BatchRunner(const engine::Dictionary& dictionary, const engine::KeyedSearch& search,
                         const OutputFormatter& formatter, engine::LengthMask lengths,
                         unsigned jobs, std::FILE* out)
    : m_search(search),
      m_formatter(formatter),
      m_lengths(lengths),
      m_out(out),
      // A word's length in letters may differ from its length in code units (a letter of
      // two units, a decomposed accent), and the rows name words by the former.
      m_wordBytes(dictionary.words(), search.unitLengths(lengths.bits()), rows::WordBytes::Later{}),
      m_capacity(tasksPerJob * jobs) {
    m_buffer.room(writeSize + writeSize / 8);  // one block for the whole run
    if (jobs > 1) {
        m_workers.reserve(jobs);
        for (unsigned i = 0; i < jobs && engine::roomForAnotherThread(i); ++i) {
            try {
                m_workers.emplace_back([this] { workerLoop(); });
            } catch (const std::exception&) {
                // No thread or no memory to spare (a process limit, say): run with those that
                // started, or on the calling thread alone. The output is the same either way.
                break;
            }
        }
        m_capacity = tasksPerJob * std::max<std::size_t>(m_workers.size(), 1);
    }
}

BatchRunner::~BatchRunner() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        // Letter sets nobody has started on are dropped; this happens only after a failure.
        m_tasks.erase(m_tasks.begin() + static_cast<std::ptrdiff_t>(m_claimed), m_tasks.end());
    }
    m_workReady.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

void BatchRunner::write(std::string_view text) {
    m_buffer.append(text);
    if (m_buffer.size() >= writeSize) {
        flushBuffer();
    }
}

void BatchRunner::add(std::u16string_view letterSet) {
    if (!m_search.runnable(letterSet)) {
        return;  // lists nothing; no need to hold it
    }
    // The bytes of the words the run can list are made once, on this thread, before the first
    // task is queued, so that every worker sees them complete.
    m_wordBytes.prepareAll();
    if (m_workers.empty()) {
        m_found.clear();
        m_search.find(letterSet, m_lengths, m_found);
        m_formatter.appendRows(m_buffer, letterSet, m_wordBytes, m_found);
        if (m_buffer.size() >= writeSize) {
            flushBuffer();
        }
        return;
    }
    std::unique_lock lock(m_mutex);
    while (m_tasks.size() >= m_capacity) {
        writeOldest(lock);
    }
    Task task{std::u16string(letterSet), {}, {}, false};
    if (!m_spareOutputs.empty()) {
        task.output = std::move(m_spareOutputs.back());
        m_spareOutputs.pop_back();
    }
    m_tasks.push_back(std::move(task));
    lock.unlock();
    m_workReady.notify_one();
}

void BatchRunner::finish() {
    {
        std::unique_lock lock(m_mutex);
        while (!m_tasks.empty()) {
            writeOldest(lock);
        }
    }
    flushBuffer();
    if (std::fflush(m_out) != 0) {
        throwWriteError(errno);
    }
}

void BatchRunner::workerLoop() {
    std::vector<std::uint32_t> found;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_workReady.wait(lock, [this] { return m_claimed < m_tasks.size() || m_closing; });
        if (m_claimed == m_tasks.size()) {
            return;  // closing, and nothing left to match
        }
        // A deque keeps references to its elements while others are added at the back, and
        // the writer removes a task only once it is done.
        Task& task = m_tasks[m_claimed++];
        lock.unlock();
        try {
            found.clear();
            m_search.find(task.letterSet, m_lengths, found);
            m_formatter.appendRows(task.output, task.letterSet, m_wordBytes, found);
        } catch (...) {
            task.failure = std::current_exception();
        }
        lock.lock();
        task.done = true;
        m_taskDone.notify_one();
    }
}

// Waits for the oldest letter set, takes it out of the queue and writes its rows; the lock is
// released meanwhile so that the workers go on.
void BatchRunner::writeOldest(std::unique_lock<std::mutex>& lock) {
    m_taskDone.wait(lock, [this] { return m_tasks.front().done; });
    Task task = std::move(m_tasks.front());
    m_tasks.pop_front();
    --m_claimed;
    lock.unlock();
    if (task.failure) {
        std::rethrow_exception(task.failure);
    }
    write(task.output.view());
    task.output.clear();
    lock.lock();
    m_spareOutputs.push_back(std::move(task.output));
}

void BatchRunner::flushBuffer() {
    if (!m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out) != m_buffer.size()) {
        throwWriteError(errno);
    }
    m_buffer.clear();
}

}  // namespace wordloom::cli
