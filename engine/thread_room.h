#pragma once

#include <cstddef>

namespace wordloom::engine {

// Whether the process can still hold one more worker thread, `started` being already running:
// the new thread's stack, and for it and every thread before it a malloc arena and working
// memory, with room to spare for the calling thread. Under an address-space limit
// (`ulimit -v`) a thread that starts without that room fails later in ways nothing can catch
// (glibc aborts when it cannot register a thread-local destructor), so a pool stops starting
// threads here instead and runs with those it has.
bool roomForAnotherThread(std::size_t started);

}  // namespace wordloom::engine
