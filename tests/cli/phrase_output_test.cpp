// Phrase mode's output stream and the interrupt: whenever Ctrl-C comes, no write waits for a
// reader that reads no more.
#include "cli/phrase_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

namespace wordloom::cli {
namespace {

// A pipe whose buffer is full: a blocking write to it waits until the read end is read.
class FullPipe {
public:
    FullPipe() {
        int ends[2];
        if (pipe(ends) != 0) {
            return;
        }
        m_read = ends[0];
        const int flags = fcntl(ends[1], F_GETFL);
        fcntl(ends[1], F_SETFL, flags | O_NONBLOCK);
        const std::string filler(4096, 'f');
        while (::write(ends[1], filler.data(), filler.size()) > 0) {
        }
        fcntl(ends[1], F_SETFL, flags);
        m_write = fdopen(ends[1], "w");
    }
    ~FullPipe() {
        if (m_write != nullptr) {
            std::fclose(m_write);
        }
        close(m_read);
    }
    FullPipe(const FullPipe&) = delete;
    FullPipe& operator=(const FullPipe&) = delete;

    std::FILE* writeEnd() const { return m_write; }

    // Reads what is there, so that a waiting writer can go on for a while.
    void drain() const {
        const int flags = fcntl(m_read, F_GETFL);
        fcntl(m_read, F_SETFL, flags | O_NONBLOCK);
        char buffer[4096];
        while (read(m_read, buffer, sizeof buffer) > 0) {
        }
        fcntl(m_read, F_SETFL, flags);
    }

private:
    int m_read = -1;
    std::FILE* m_write = nullptr;
};

// Runs `run` (an interrupt and a write) on a thread of its own, where the interrupt stops a search,
// and tells whether its write ended at once, reporting the interrupt. A write that still waits
// after a generous time is freed by reading the pipe, and counts as a failure.
testing::AssertionResult writeEndsWithoutWaiting(
    const FullPipe& output, const std::function<bool(StreamSink&, std::promise<void>&)>& run) {
    std::promise<void> ready;
    std::future<void> readyFuture = ready.get_future();
    std::future<bool> reported = std::async(std::launch::async, [&] {
        PhraseProgress noProgress(stderr, false, false);
        StreamSink sink(output.writeEnd(), noProgress);
        engine::PhraseControl control;
        const InterruptStops stops(control);
        const bool wroteAll = run(sink, ready);
        return !wroteAll && control.stop.load() && interruptArrived();
    });
    readyFuture.wait();
    if (reported.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        while (reported.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            output.drain();
        }
        return testing::AssertionFailure() << "the write waited for the reader";
    }
    if (!reported.get()) {
        return testing::AssertionFailure() << "the write did not report the interrupt";
    }
    return testing::AssertionSuccess();
}

// The interrupt comes between the writer's last look at the flag and its write: here, before
// the write starts at all. The write must not then wait for the reader.
TEST(PhraseOutput, AnInterruptJustBeforeAWriteEndsIt) {
    const FullPipe output;
    ASSERT_NE(output.writeEnd(), nullptr);
    EXPECT_TRUE(writeEndsWithoutWaiting(output, [](StreamSink& sink, std::promise<void>& ready) {
        ready.set_value();
        std::raise(SIGINT);
        return sink.write("the lines found so far\n");
    }));
}

// From another thread, at whatever moment: before the write, or while it waits.
TEST(PhraseOutput, AnInterruptFromAnotherThreadEndsAWaitingWrite) {
    const FullPipe output;
    ASSERT_NE(output.writeEnd(), nullptr);
    std::thread interrupter;
    EXPECT_TRUE(writeEndsWithoutWaiting(output, [&](StreamSink& sink, std::promise<void>& ready) {
        interrupter = std::thread([] { kill(getpid(), SIGINT); });
        ready.set_value();
        return sink.write(std::string(1 << 20, 'x'));
    }));
    interrupter.join();
}

// Without an interrupt every byte arrives in order, however the pipe's reader takes them.
TEST(PhraseOutput, WritesEveryByteToASlowReader) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* const out = fdopen(ends[1], "w");
    ASSERT_NE(out, nullptr);
    std::string lines;
    for (int i = 0; lines.size() < (3u << 20); ++i) {
        lines += "line " + std::to_string(i) + "\n";
    }
    std::future<std::string> received = std::async(std::launch::async, [&] {
        std::string text;
        char buffer[1000];
        ssize_t count = 0;
        while ((count = read(ends[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    });
    {
        PhraseProgress noProgress(stderr, false, false);
        StreamSink sink(out, noProgress);
        engine::PhraseControl control;
        const InterruptStops stops(control);
        EXPECT_TRUE(sink.write(lines));
        EXPECT_NO_THROW(sink.throwIfFailed());
    }
    std::fclose(out);
    EXPECT_TRUE(received.get() == lines);
    close(ends[0]);
}

}  // namespace
}  // namespace wordloom::cli
