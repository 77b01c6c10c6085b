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
#include "output/row_bytes.h"

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
// sets' results however many letter sets come. Output leaves in large writes. Once the run has
// more than a few letter sets, the bytes of every word it can list are prepared (once), and the
// buffers rows are written into are kept and reused from letter set to letter set.
class BatchRunner {
public:
    BatchRunner(const engine::Dictionary& dictionary, const OutputFormatter& formatter,
                engine::LengthMask lengths, unsigned jobs, std::FILE* out);
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
        const output::WordBytes* words;  // null: the rows are encoded word by word
        output::ByteBuffer output;
        std::exception_ptr failure;
        bool done = false;
    };

    bool preparing(std::size_t nextRows);
    void writeRows(std::u16string_view letterSet, const output::WordBytes* words,
                   const std::vector<std::uint32_t>& found, output::ByteBuffer& output) const;
    void workerLoop();
    void writeOldest(std::unique_lock<std::mutex>& lock);
    void flushBuffer();

    const engine::Dictionary& m_dictionary;
    const OutputFormatter& m_formatter;
    engine::LengthMask m_lengths;
    std::FILE* m_out;
    output::WordBytes m_wordBytes;  // prepared once the run is long enough
    std::size_t m_lettersAdded = 0;
    std::size_t m_directRows = 0;  // rows written before the words were prepared
    bool m_preparing = false;
    output::ByteBuffer m_buffer;                     // output gathered for the next large write
    std::vector<std::uint32_t> m_found;              // scratch of the single-thread path
    std::vector<output::ByteBuffer> m_spareOutputs;  // of written tasks, for the next ones

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
