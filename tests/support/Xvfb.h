#pragma once

#include "XSession.h"

namespace fray::test {

// A bare X server for one test: one 1920x1080 screen, no window manager.
struct Xvfb : XSession {
    Xvfb() : XSession(Screens::bare) {}
};

} // namespace fray::test
