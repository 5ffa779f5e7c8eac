#pragma once

#include <functional>
#include <memory>

namespace fray {

// Runs a closure later on the main thread. The model's delayed resets go through it
// so their timing can be tested on a controllable clock.
class Scheduler {
  public:
    virtual ~Scheduler() = default;
    virtual void after(double seconds, std::function<void()> fn) = 0;
};

// QTimer-based, main thread.
std::shared_ptr<Scheduler> mainThreadScheduler();

} // namespace fray
