#pragma once

#include "session/Instant.h"
#include "session/RepeatingTimer.h"
#include "session/SessionMonitoring.h"

#include <cstdint>

namespace fray {

// A scripted source: one or two fake sessions walking through every status in a
// 46-second loop, one step a second on the main thread.
class DemoMonitor : public SessionMonitoring {
  public:
    DemoMonitor(TimerFactory timers, Clock clock = wallNow);
    ~DemoMonitor() override;

    // Starts the 1 s timer and delivers the first list at once, inside this call.
    void start() override;

    // The list of script position p (0…45) at `now`.
    static SessionList script(std::int64_t p, Instant now);
    static constexpr std::int64_t loopLength = 46;

  private:
    void step();

    TimerFactory timers_;
    Clock clock_;
    std::unique_ptr<RepeatingTimer> timer_;
    std::int64_t t_ = 0;
};

} // namespace fray
