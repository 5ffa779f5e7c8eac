#pragma once

#include <functional>

namespace fray {

// For programs without an event loop: blocks SIGINT and SIGTERM, runs `start` (threads
// it starts inherit the block), then waits for one of the two to arrive.
void waitForTerminationSignal(const std::function<void()>& start);

} // namespace fray
