#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fray {

// A top-level window the window manager manages.
struct ClientWindow {
    std::uint32_t id = 0;
    int pid = 0;            // the owner's process id as the window states it; 0 when unknown
    std::string wmInstance; // the two halves of WM_CLASS
    std::string wmClass;
    std::string title;
    bool operator==(const ClientWindow&) const = default;
};

// The desktop's application windows, and bringing one of them to the front.
class ClientWindows {
  public:
    virtual ~ClientWindows() = default;
    // Every managed window, oldest first; empty without a window manager or a display.
    virtual std::vector<ClientWindow> list() = 0;
    // Asks the window manager to show, raise and focus the window (switching desktops
    // when it is on another one); false when the request could not be sent.
    virtual bool activate(std::uint32_t id) = 0;
};

} // namespace fray
