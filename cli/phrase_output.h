#pragma once

#include <signal.h>

#include <cstdio>
#include <string_view>

#include "cli/phrase_progress.h"
#include "engine/phrases/phrase_search.h"

namespace wordloom::cli {

// Where phrase mode's lines go, and what an interrupt (Ctrl-C) does meanwhile. The lines are
// written on the thread that runs the search. An interrupt during a search stops it through its
// control flag, so that the progress line is cleared before the tool ends by the signal; a write
// waiting for a reader that reads no more ends at once too.

// While alive, on the thread that creates it: an interrupt stops the search of `control` (and
// makes interruptArrived() true) instead of ending the tool. Outside its life an interrupt ends
// the tool at once, as usual; where the shell has the interrupt ignored, it stays ignored.
class InterruptStops {
public:
    explicit InterruptStops(engine::PhraseControl& control);
    ~InterruptStops();
    InterruptStops(const InterruptStops&) = delete;
    InterruptStops& operator=(const InterruptStops&) = delete;

private:
    struct sigaction m_previous {};
};

// An interrupt has stopped the last search (since the last InterruptStops was made).
bool interruptArrived();

// Writes the search's lines to the output stream, on the thread that made the InterruptStops;
// remembers why a write failed. After an interrupt, whenever it came, no write waits for the
// output: the write ends, failed with EINTR, and the output is /dev/null from then on (one
// StreamSink at a time).
class StreamSink final : public engine::PhraseSink {
public:
    StreamSink(std::FILE* out, PhraseProgress& progress);
    ~StreamSink() override;
    StreamSink(const StreamSink&) = delete;
    StreamSink& operator=(const StreamSink&) = delete;

    bool write(std::string_view lines) override;

    // Makes the lines so far leave the process, so that each phrase's lines are out before
    // the next phrase runs (a reader waiting on a pipe sees them). After an interrupt only
    // where the output takes them now: a reader that reads no more must not hold the tool up.
    void flush(bool afterInterrupt);

    // Throws an OutputError when a write failed.
    void throwIfFailed() const;

private:
    void writeAll(std::string_view lines);

    std::FILE* m_out;
    PhraseProgress& m_progress;
    int m_null;  // /dev/null, which takes the output's place after an interrupt
    int m_error = 0;
};

}  // namespace wordloom::cli
