// The parallel phrase search: worker threads search the pieces of the pipeline, the calling
// thread writes their lines in order.

#include <thread>

#include "engine/phrases/phrase_pipeline.h"
#include "engine/phrases/phrase_search.h"
#include "engine/phrases/phrase_search_core.h"
#include "engine/thread_room.h"

namespace wordloom::engine {
namespace {

using namespace phrase_detail;

// A worker's output: chunks of the pipeline, one piece at a time.
class ChunkOutput final : public LineOutput {
public:
    ChunkOutput(Pipeline& pipeline, PhraseControl* control)
        : m_pipeline(pipeline), m_control(control) {}

    bool start(std::uint64_t piece) {
        m_piece = piece;
        lines = 0;
        bufferLines = 0;
        done = false;
        return take();
    }

    void finish() { hand(true); }

    bool flush() override {
        hand(false);
        return take() && !shouldStop();
    }

    bool shouldStop() override {
        return m_pipeline.stopping() ||
               (m_control != nullptr && m_control->stop.load(std::memory_order_relaxed));
    }

private:
    bool take() {
        if (!m_pipeline.acquire(m_piece, m_chunk)) {
            pos = end = nullptr;
            return false;
        }
        pos = m_chunk.data.get();
        end = pos + m_chunk.capacity;
        return true;
    }

    void hand(bool last) {
        if (m_chunk.data) {
            m_chunk.size = static_cast<std::size_t>(pos - m_chunk.data.get());
            m_chunk.lines = bufferLines;
        }
        bufferLines = 0;
        m_pipeline.submit(m_piece, std::move(m_chunk), last);
        m_chunk = Chunk{};
        pos = end = nullptr;
    }

    Pipeline& m_pipeline;
    PhraseControl* m_control;
    std::uint64_t m_piece = 0;
    Chunk m_chunk;
};

void work(Pipeline& pipeline, const Plan& plan, PhraseControl* control) {
    try {
        ChunkOutput out(pipeline, control);
        BranchRunners runners(plan, out);
        std::uint64_t id = 0;
        SearchPiece piece;
        while (pipeline.nextPiece(id, piece)) {
            if (out.start(id)) {
                runners.run(piece);
            }
            out.finish();
        }
    } catch (...) {
        pipeline.fail(std::current_exception());
    }
}

}  // namespace

PhraseOutcome searchPhraseParallel(const PhraseIndex& index, const Phrase& phrase,
                                   const PhraseOptions& options, PhraseSink& sink, unsigned jobs,
                                   PhraseControl* control) {
    const Plan plan(index, phrase, options);
    if (jobs <= 1 || plan.letterCount == 0 || plan.classes.empty() || plan.wordsLeft == 0 ||
        plan.limit == 0) {
        return runSingle(plan, sink, control);
    }
    Pipeline pipeline(plan, control);
    std::vector<std::thread> workers;
    struct JoinAll {
        Pipeline& pipeline;
        std::vector<std::thread>& workers;
        ~JoinAll() {
            pipeline.stop();
            for (std::thread& worker : workers) {
                worker.join();
            }
        }
    } joinAll{pipeline, workers};
    for (unsigned j = 0; j < jobs && roomForAnotherThread(j); ++j) {
        try {
            workers.emplace_back(work, std::ref(pipeline), std::cref(plan), control);
        } catch (const std::exception&) {
            break;  // no more threads or memory to give: go on with those started
        }
    }
    if (workers.empty()) {
        return runSingle(plan, sink, control);
    }
    const PhraseOutcome outcome = pipeline.write(sink);
    if (const std::exception_ptr error = pipeline.error()) {
        std::rethrow_exception(error);
    }
    return outcome;
}

}  // namespace wordloom::engine
