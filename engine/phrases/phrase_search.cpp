// The phrase search on the calling thread: the lines go through one reused buffer to the sink.

#include "engine/phrases/phrase_search.h"

#include <algorithm>
#include <memory>

#include "engine/phrases/phrase_search_core.h"

namespace wordloom::engine {

namespace {

using namespace phrase_detail;

// The single-threaded output: one reused buffer, handed to the sink whenever it fills.
class SinkOutput final : public LineOutput {
public:
    SinkOutput(PhraseSink& sink, PhraseControl* control, std::size_t bytes)
        : m_buffer(new char[bytes]), m_sink(sink), m_control(control) {
        pos = m_buffer.get();
        end = m_buffer.get() + bytes;
    }

    bool flush() override {
        const auto size = static_cast<std::size_t>(pos - m_buffer.get());
        pos = m_buffer.get();
        if (size != 0) {
            if (!m_sink.write(std::string_view(m_buffer.get(), size))) {
                m_stoppedBySink = true;
                return false;
            }
            delivered += bufferLines;
            if (m_control != nullptr) {
                m_control->delivered.fetch_add(bufferLines, std::memory_order_relaxed);
            }
        }
        bufferLines = 0;
        return !shouldStop();
    }

    bool shouldStop() override {
        if (m_control != nullptr && m_control->stop.load(std::memory_order_relaxed)) {
            m_stoppedBySink = true;
            return true;
        }
        return false;
    }

    std::uint64_t delivered = 0;
    bool stoppedEarly() const { return m_stoppedBySink; }

private:
    std::unique_ptr<char[]> m_buffer;
    PhraseSink& m_sink;
    PhraseControl* m_control;
    bool m_stoppedBySink = false;
};

constexpr std::size_t kSinkBufferBytes = std::size_t{256} << 10;

}  // namespace

PhraseOutcome phrase_detail::runSingle(const Plan& plan, PhraseSink& sink, PhraseControl* control) {
    SinkOutput out(sink, control, std::max(kSinkBufferBytes, 2 * plan.maxLineBytes()));
    if (plan.letterCount == 0) {
        if (!plan.contained.empty() && plan.limit > 0 && plan.containedFit) {
            writeContainedOnly(plan, out);
        }
    } else if (plan.wordsLeft > 0 && plan.limit > 0 && !plan.classes.empty()) {
        BranchRunners runners(plan, out);
        PieceOrder pieces(plan);
        SearchPiece piece;
        while (!out.done && !out.shouldStop() && pieces.next(piece)) {
            runners.run(piece);
        }
    }
    if (!out.stoppedEarly()) {
        out.flush();
    }
    return {out.delivered, out.stoppedEarly()};
}

PhraseOutcome searchPhrase(const PhraseIndex& index, const Phrase& phrase,
                           const PhraseOptions& options, PhraseSink& sink, PhraseControl* control) {
    const Plan plan(index, phrase, options);
    return runSingle(plan, sink, control);
}

}  // namespace wordloom::engine
