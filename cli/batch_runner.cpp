#include "cli/batch_runner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <system_error>

#include "engine/run_core.h"
#include "engine/thread_room.h"

namespace wordloom::cli {

namespace {

// Output is handed to the stream in pieces of about this size.
constexpr std::size_t writeSize = 1 << 20;

// The bytes of the words a run can list are prepared (about a millisecond for the bundled
// dictionary) once the run has more letter sets than this, or on one thread once its rows so far
// pass directRows; before that, rows are encoded word by word, which costs a run of a few letter
// sets less.
constexpr std::size_t directLetterSets = 16;
constexpr std::size_t directRows = 16384;

// Letter sets in flight per thread: enough to keep every thread busy while the oldest is still
// being matched, few enough that even letter sets of blanks (many rows each) fit in memory.
constexpr std::size_t tasksPerJob = 16;

[[noreturn]] void throwWriteError(int error) {
    throw OutputError("Cannot write the results: " + std::string(std::strerror(error)) + ".");
}

}  // namespace

BatchRunner::BatchRunner(const engine::Dictionary& dictionary, const OutputFormatter& formatter,
                         engine::LengthMask lengths, unsigned jobs, std::FILE* out)
    : m_dictionary(dictionary),
      m_formatter(formatter),
      m_lengths(lengths),
      m_out(out),
      m_wordBytes(dictionary.words(), lengths.bits(), output::WordBytes::Later{}),
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
    if (!engine::isRunnableLetterSet(letterSet)) {
        return;  // lists nothing; no need to hold it
    }
    ++m_lettersAdded;
    if (m_workers.empty()) {
        m_found.clear();
        engine::unscrambleLetterSet(m_dictionary, letterSet, m_lengths, m_found);
        const output::WordBytes* words = nullptr;
        if (preparing(m_found.size())) {
            m_wordBytes.prepareNamed(m_found);  // only this thread writes the slots
            words = &m_wordBytes;
        }
        writeRows(letterSet, words, m_found, m_buffer);
        if (m_buffer.size() >= writeSize) {
            flushBuffer();
        }
        return;
    }
    const output::WordBytes* words = nullptr;
    if (preparing(0)) {
        // Made on this thread before the task is queued, so a worker sees them complete;
        // tasks queued earlier carry no pointer.
        m_wordBytes.prepareAll();
        words = &m_wordBytes;
    }
    std::unique_lock lock(m_mutex);
    while (m_tasks.size() >= m_capacity) {
        writeOldest(lock);
    }
    Task task{std::u16string(letterSet), words, {}, {}, false};
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

// Whether rows are written from prepared bytes: from the moment the run is long enough for them
// (see directLetterSets; `nextRows` are the rows about to be written).
bool BatchRunner::preparing(std::size_t nextRows) {
    if (!m_preparing) {
        m_directRows += nextRows;
        m_preparing = m_lettersAdded > directLetterSets || m_directRows > directRows;
    }
    return m_preparing;
}

void BatchRunner::writeRows(std::u16string_view letterSet, const output::WordBytes* words,
                            const std::vector<std::uint32_t>& found,
                            output::ByteBuffer& output) const {
    if (words != nullptr) {
        m_formatter.appendRows(output, letterSet, *words, found);
    } else {
        m_formatter.appendRowsByWord(output, letterSet, m_dictionary.words(), found);
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
            engine::unscrambleLetterSet(m_dictionary, task.letterSet, m_lengths, found);
            writeRows(task.letterSet, task.words, found, task.output);
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
