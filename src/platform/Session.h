#pragma once

#include <functional>
#include <string>

namespace fray {

// Picks the Qt platform plugin before the application object exists: the X11 one
// whenever an X display is reachable (Wayland sessions go through XWayland), the
// offscreen one when there is no display at all. Returns a one-line notice for the
// user when it had to fall back to offscreen, else an empty string.
std::string chooseWindowSystem();

// False while Qt runs on a platform without real displays (offscreen, minimal): the
// screens it reports then are made up, and nothing should be measured against them.
bool displaysAreReal();

// Calls `onSignal` on the main thread when SIGINT or SIGTERM arrives. Call once,
// after the application object exists.
void onTerminationSignal(std::function<void()> onSignal);

} // namespace fray
