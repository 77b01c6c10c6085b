#pragma once

// The parallel phrase search: the work is cut into pieces (see SearchPiece and PieceOrder),
// numbered in output order. Worker threads take the pieces in turn and write
// their lines into chunks; the calling thread writes the chunks of the piece at the head of the
// output to the sink, then those of the next piece, and so on. A worker whose piece is not at the
// head waits before taking a new chunk once too much is buffered, so memory stays bounded.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/phrases/phrase_search.h"
#include "engine/phrases/phrase_search_core.h"

namespace wordloom::engine::phrase_detail {

inline constexpr std::size_t kChunkBytes = std::size_t{128} << 10;
// Bytes of chunks in use (filled or being filled) beyond which only the head piece may take more.
inline constexpr std::size_t kHeldBytes = std::size_t{8} << 20;
// Chunks the head piece may have waiting for the writer.
inline constexpr std::size_t kHeadQueue = 8;
// Pieces handed out beyond the head: bounds the bookkeeping when the head piece is long and the
// pieces after it write nothing.
inline constexpr std::uint64_t kPiecesAhead = 1024;

struct Chunk {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t capacity = 0;
    std::uint64_t lines = 0;
};

// The chunks of one piece that the writer has not taken yet: chunks[taken] onwards. (A vector
// costs nothing while empty, as most pieces' queues are.)
struct Piece {
    std::vector<Chunk> chunks;
    std::size_t taken = 0;
    bool finished = false;

    std::size_t waiting() const { return chunks.size() - taken; }
    Chunk take() {
        Chunk chunk = std::move(chunks[taken++]);
        if (taken == chunks.size()) {
            chunks.clear();
            taken = 0;
        }
        return chunk;
    }
};

class Pipeline {
public:
    Pipeline(const Plan& plan, PhraseControl* control)
        : m_plan(plan),
          m_control(control),
          m_order(plan),
          m_chunkBytes(std::max(kChunkBytes, 2 * plan.maxLineBytes())) {}

    // ---- Worker side.

    // The next piece to search; false when there is none left or the search is stopping.
    bool nextPiece(std::uint64_t& id, SearchPiece& piece) {
        std::unique_lock lock(m_mutex);
        m_workerWake.wait(lock, [&] { return m_stop || m_nextId - m_head < kPiecesAhead; });
        if (m_control != nullptr && m_control->stop.load(std::memory_order_relaxed)) {
            stopLocked();
        }
        if (m_stop || m_exhausted) {
            return false;
        }
        if (!m_order.next(piece)) {
            m_exhausted = true;
            m_writerWake.notify_one();
            return false;
        }
        id = m_nextId++;
        m_pieces.emplace(id, Piece{});
        return true;
    }

    // A free chunk for piece `id`; waits while the piece is not at the head and the buffers are
    // full, or while it is at the head and the writer has enough of it waiting. False: stop.
    bool acquire(std::uint64_t id, Chunk& chunk) {
        std::unique_lock lock(m_mutex);
        m_workerWake.wait(lock, [&] {
            if (m_stop) {
                return true;
            }
            if (id == m_head) {
                return m_pieces[id].waiting() < kHeadQueue;
            }
            return m_held + m_chunkBytes <= kHeldBytes;
        });
        if (m_stop) {
            return false;
        }
        if (!m_free.empty()) {
            chunk = std::move(m_free.back());
            m_free.pop_back();
        } else {
            chunk.data.reset(new char[m_chunkBytes]);
            chunk.capacity = m_chunkBytes;
        }
        chunk.size = 0;
        chunk.lines = 0;
        m_held += chunk.capacity;
        return true;
    }

    // Queues a filled chunk of piece `id` for the writer; `last` marks the piece finished. A
    // small last chunk is copied to a buffer of its own size, so that finished pieces waiting for
    // their turn hold little memory.
    void submit(std::uint64_t id, Chunk&& chunk, bool last) {
        if (last && chunk.size != 0 && chunk.size < chunk.capacity / 4) {
            Chunk small;
            small.data.reset(new char[chunk.size]);
            std::memcpy(small.data.get(), chunk.data.get(), chunk.size);
            small.size = chunk.size;
            small.capacity = chunk.size;
            small.lines = chunk.lines;
            std::lock_guard lock(m_mutex);
            recycle(std::move(chunk));
            m_held += small.capacity;
            m_pieces[id].chunks.push_back(std::move(small));
        } else {
            std::lock_guard lock(m_mutex);
            if (chunk.size == 0) {
                recycle(std::move(chunk));
            } else {
                m_pieces[id].chunks.push_back(std::move(chunk));
            }
        }
        std::lock_guard lock(m_mutex);
        if (last) {
            m_pieces[id].finished = true;
        }
        m_writerWake.notify_one();
        m_workerWake.notify_all();
    }

    bool stopping() const { return m_stopFlag.load(std::memory_order_relaxed); }

    void fail(std::exception_ptr error) {
        std::lock_guard lock(m_mutex);
        if (!m_error) {
            m_error = std::move(error);
        }
        stopLocked();
    }

    // ---- Writer side (the calling thread).

    PhraseOutcome write(PhraseSink& sink) {
        PhraseOutcome outcome;
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_error || m_stop) {
                outcome.stopped = true;  // a worker failed or saw the control flag
                break;
            }
            if (m_control != nullptr && m_control->stop.load(std::memory_order_relaxed)) {
                outcome.stopped = true;
                break;
            }
            const auto piece = m_pieces.find(m_head);
            if (piece == m_pieces.end()) {
                if (m_exhausted && m_head == m_nextId) {
                    break;  // every piece written
                }
            } else if (piece->second.waiting() != 0) {
                Chunk chunk = piece->second.take();
                lock.unlock();
                std::size_t size = chunk.size;
                std::uint64_t lines = chunk.lines;
                const bool last = outcome.anagrams + lines >= m_plan.limit;
                if (outcome.anagrams + lines > m_plan.limit) {
                    lines = m_plan.limit - outcome.anagrams;
                    size = cutAfterLines(chunk, lines);
                }
                bool more = true;
                try {
                    more = sink.write(std::string_view(chunk.data.get(), size));
                } catch (...) {
                    lock.lock();
                    recycle(std::move(chunk));
                    throw;
                }
                if (more) {
                    outcome.anagrams += lines;
                    if (m_control != nullptr) {
                        m_control->delivered.fetch_add(lines, std::memory_order_relaxed);
                    }
                }
                lock.lock();
                recycle(std::move(chunk));
                m_workerWake.notify_all();
                if (!more) {
                    outcome.stopped = true;
                    break;
                }
                if (last) {
                    break;
                }
                continue;
            } else if (piece->second.finished) {
                m_pieces.erase(piece);
                ++m_head;
                m_workerWake.notify_all();
                continue;
            }
            m_writerWake.wait_for(lock, std::chrono::milliseconds(50));
        }
        stopLocked();
        return outcome;
    }

    void stop() {
        std::lock_guard lock(m_mutex);
        stopLocked();
    }

    std::exception_ptr error() {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    static std::size_t cutAfterLines(const Chunk& chunk, std::uint64_t lines) {
        const char* at = chunk.data.get();
        const char* const end = at + chunk.size;
        for (; lines > 0; --lines) {
            at =
                static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            ++at;
        }
        return static_cast<std::size_t>(at - chunk.data.get());
    }

    void recycle(Chunk&& chunk) {
        m_held -= chunk.capacity;
        if (chunk.capacity == m_chunkBytes) {
            m_free.push_back(std::move(chunk));
        }
    }

    void stopLocked() {
        m_stop = true;
        m_stopFlag.store(true, std::memory_order_relaxed);
        m_workerWake.notify_all();
        m_writerWake.notify_all();
    }

    const Plan& m_plan;
    PhraseControl* m_control;
    std::mutex m_mutex;
    std::condition_variable m_workerWake;
    std::condition_variable m_writerWake;
    PieceOrder m_order;
    bool m_exhausted = false;
    std::uint64_t m_nextId = 0;
    std::uint64_t m_head = 0;
    std::map<std::uint64_t, Piece> m_pieces;
    std::vector<Chunk> m_free;
    std::size_t m_chunkBytes;
    std::size_t m_held = 0;
    bool m_stop = false;
    std::atomic<bool> m_stopFlag{false};
    std::exception_ptr m_error;
};

}  // namespace wordloom::engine::phrase_detail
