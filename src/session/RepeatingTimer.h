#pragma once

#include <functional>
#include <memory>

namespace fray {

// A repeating timer on the owner's thread; destroying the handle stops it. The app
// supplies a Qt main-thread implementation, tests a manual one.
class RepeatingTimer {
  public:
    virtual ~RepeatingTimer() = default;
};

using TimerFactory =
    std::function<std::unique_ptr<RepeatingTimer>(double intervalSeconds, std::function<void()> fire)>;

} // namespace fray
