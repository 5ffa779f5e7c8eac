#pragma once

#include <functional>

namespace fray {

// Runs a closure later on the owner's thread. Delayed resets go through it so their
// timing can be tested on a controllable clock; the app supplies a Qt implementation.
class Scheduler {
  public:
    virtual ~Scheduler() = default;
    virtual void after(double seconds, std::function<void()> fn) = 0;
};

} // namespace fray
