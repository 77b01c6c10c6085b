#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "output/replacing_file.h"
#include "output/rows/byte_buffer.h"

namespace wordloom::output {

// Writes a ReplacingFile's bytes on a thread of its own, so that the next rows are made while
// the last ones are being copied to the system, which takes about as long as making them. One
// buffer is written while the caller fills the other. Without a thread to spare, each write
// happens at once on the calling thread. The file belongs to the writer until finish() or the
// writer's end.
class WriteBehind {
public:
    explicit WriteBehind(ReplacingFile& file);
    ~WriteBehind();  // waits for the write under way
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Each call below throws the failure of a write that has not been thrown yet, so that the
    // caller reports it once, at the step it is at; afterwards failed() is true and bytes
    // handed over are dropped.

    // Takes the bytes in `bytes` and gives back an empty buffer, once the bytes handed over
    // before are written.
    void write(rows::ByteBuffer& bytes);
    // Only throws a failure.
    void check();
    // Waits until every byte handed over is written.
    void finish();
    // A failure has been thrown: the caller need not make more bytes.
    bool failed() const { return m_thrown; }

private:
    void writeLoop();
    void throwPendingFailure(std::unique_lock<std::mutex>& lock);

    ReplacingFile& m_file;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    rows::ByteBuffer m_writing;  // the bytes the thread writes while m_busy
    bool m_busy = false;
    bool m_closing = false;
    std::exception_ptr m_failure;  // not thrown to the caller yet
    bool m_thrown = false;         // read and written on the caller's thread only
    std::thread m_thread;          // not joinable when the writes happen on the caller's thread
};

}  // namespace wordloom::output
