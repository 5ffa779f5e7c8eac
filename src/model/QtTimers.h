#pragma once

#include "session/RepeatingTimer.h"
#include "session/Scheduler.h"

#include <memory>

namespace fray {

// Repeating QTimers on the calling (main) thread, in the precise timer type so blink
// rhythms stay steady.
TimerFactory qtTimerFactory();

// One-shot QTimers on the main thread.
std::shared_ptr<Scheduler> mainThreadScheduler();

} // namespace fray
