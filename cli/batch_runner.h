#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/output_format.h"
#include "engine/dictionary.h"
#include "engine/length_filter.h"
#include "engine/letters/keyed_search.h"
#include "output/rows/byte_buffer.h"
#include "output/rows/word_bytes.h"

namespace wordloom::cli {

// Thrown when the results cannot be written (a full disk, a closed pipe).
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs letter sets through the matcher on `jobs` threads (fewer when the system refuses more,
// down to the calling thread alone) and writes their rows in the order the letter sets were
// added, exactly as one thread would. At most a fixed number of letter sets per
// thread are in flight at a time, so memory stays bounded by the dictionary and those letter
// sets' results however many letter sets come. Output leaves in large writes. The bytes of every
// word the run can list are prepared once, at its first letter set, and the buffers rows are
// written into are kept and reused from letter set to letter set.
class BatchRunner {
public:
    // `search` finds the words of the dictionary's list; both must outlive the runner.
    BatchRunner(const engine::Dictionary& dictionary, const engine::KeyedSearch& search,
                const OutputFormatter& formatter, engine::LengthMask lengths, unsigned jobs,
                std::FILE* out);
    ~BatchRunner();
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    // Output that precedes or follows the rows, such as a header line.
    void write(std::string_view text);

    // Throws OutputError when earlier results could not be written.
    void add(std::u16string_view letterSet);

    // Writes the rows of every letter set added and flushes the stream.
    void finish();

private:
    struct Task {
        std::u16string letterSet;
        rows::ByteBuffer output;
        std::exception_ptr failure;
        bool done = false;
    };

    void workerLoop();
    void writeOldest(std::unique_lock<std::mutex>& lock);
    void flushBuffer();

    const engine::KeyedSearch& m_search;
    const OutputFormatter& m_formatter;
    engine::LengthMask m_lengths;
    std::FILE* m_out;
    rows::WordBytes m_wordBytes;                   // prepared at the first letter set
    rows::ByteBuffer m_buffer;                     // output gathered for the next large write
    std::vector<std::uint32_t> m_found;            // scratch of the single-thread path
    std::vector<rows::ByteBuffer> m_spareOutputs;  // of written tasks, for the next ones

    std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_workReady;
    std::condition_variable m_taskDone;
    std::deque<Task> m_tasks;   // run order, from the oldest not yet written
    std::size_t m_claimed = 0;  // leading tasks that workers have taken
    bool m_closing = false;
    std::vector<std::thread> m_workers;  // none when one job runs on the caller's thread
};

}  // namespace wordloom::cli
