#pragma once

#include "monitor/RepeatingTimer.h"

namespace fray {

// Repeating QTimers on the calling (main) thread, in the precise timer type so blink
// rhythms stay steady.
TimerFactory qtTimerFactory();

} // namespace fray
