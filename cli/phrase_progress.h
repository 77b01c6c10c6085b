#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "cli/options.h"
#include "engine/phrases/phrase_search.h"

namespace wordloom::cli {

// Whether phrase mode shows its progress line on `err`: never when it is no terminal; with
// ProgressChoice::Auto, not either while the results go to a terminal, or through a pipe to a
// program (a pager, head) on the terminal of `err`, where the line would mix with them.
bool showsProgress(ProgressChoice choice, std::FILE* out, std::FILE* err);

// The one-line progress display of phrase mode on a terminal: once a phrase has run for a while,
// "wordloom-unscramble: N anagrams so far, phrase i of n" on standard error, redrawn a few times
// a second from a thread of its own and cleared when the phrase ends. Disabled (when standard
// error is no terminal) it does nothing and starts no thread.
class PhraseProgress {
public:
    PhraseProgress(std::FILE* err, bool enabled, bool outputIsTerminal,
                   std::chrono::milliseconds delay = std::chrono::seconds(1));
    ~PhraseProgress();
    PhraseProgress(const PhraseProgress&) = delete;
    PhraseProgress& operator=(const PhraseProgress&) = delete;

    // A phrase starts: `number` counts from 1; `total` is 0 while the number of phrases is not
    // known (they are still being read). `control` must outlive the matching finish().
    void start(const engine::PhraseControl& control, std::size_t number, std::size_t total);

    // The phrase has ended: the line, if shown, is cleared.
    void finish();

    // Lines are about to be written, and have been. When they go to the same terminal, the
    // display steps aside before and stays away until they are out (it comes back at its next
    // redraw), so that it never ends up inside the results.
    void beforeOutput();
    void afterOutput();

    // The display is on and the results go to a terminal too (--progress): they must reach it
    // as whole lines before the display comes back.
    bool sharesTerminal() const { return m_enabled && m_outputIsTerminal; }

private:
    void loop();
    void clearLocked();

    std::FILE* m_err;
    const bool m_enabled;
    const bool m_outputIsTerminal;
    const std::chrono::milliseconds m_delay;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    const engine::PhraseControl* m_control = nullptr;  // null: no phrase runs
    std::size_t m_number = 0;
    std::size_t m_total = 0;
    std::chrono::steady_clock::time_point m_started;
    bool m_shown = false;
    bool m_writing = false;  // results are on their way to the shared terminal
    std::string m_lastLine;  // as last drawn, so that an unchanged line is not drawn again
    bool m_closing = false;
    std::thread m_thread;
};

}  // namespace wordloom::cli
