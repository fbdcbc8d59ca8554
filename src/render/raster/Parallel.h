#pragma once
// Spreading a large pixel job over a few long-lived helper threads. Starting a
// thread per job would cost more than the job on some systems, so the helpers
// are started once, on first use, and wait for work until the process ends.

#include <functional>

namespace raster {

// Calls work(part) for every part in [0, parts), on the calling thread and up
// to helpers() other threads, and returns when all calls have returned. Parts
// must touch disjoint output. While another thread's job is running, the call
// does all parts itself, so it never waits for a stranger's work.
void RunParts(int parts, const std::function<void(int part)>& work);

// How many threads RunParts may use at once, the caller's included.
int PartThreads();

}  // namespace raster
