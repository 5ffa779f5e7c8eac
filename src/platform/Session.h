#pragma once

#include <functional>
#include <string>

namespace fray {

// What the process wants a display for: the resident island, or a tool that ends after
// its work (--displays, the renderers).
enum class WindowUse { island, tool };

// Picks the Qt platform plugin before the application object exists, checking first that
// the display answers (Qt aborts the process when it does not): the X11 one whenever an
// X server is reachable (Wayland sessions go through XWayland); for a tool, a Wayland
// compositor that answers when Qt has the plugin for it; else the offscreen one, where
// the island runs headless. Returns a one-line notice for the user when it had to fall
// back to offscreen, else an empty string. QT_QPA_PLATFORM, when set, is left alone.
std::string chooseWindowSystem(WindowUse use);

// False while Qt runs on a platform without real displays (offscreen, minimal): the
// screens it reports then are made up, and nothing should be measured against them.
bool displaysAreReal();

// Calls `onSignal` on the main thread when SIGINT or SIGTERM arrives. Call once,
// after the application object exists.
void onTerminationSignal(std::function<void()> onSignal);

} // namespace fray
