#pragma once

#include <cstddef>
#include <functional>

namespace fray {

// Runs fn(index, worker) once for every index in [0, n): on the calling thread (worker 0)
// and, when `parallel` is set and a thread can be started, also on a helper thread named
// `helperName` (worker 1) that takes indices from the same counter. Returns when all are
// done. For batches of independent file reads large enough to be worth a second core;
// fn must not throw.
void forEachOnTwoThreads(std::size_t n, bool parallel, const char* helperName,
                         const std::function<void(std::size_t index, int worker)>& fn);

} // namespace fray
