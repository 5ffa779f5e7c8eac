#pragma once

#include "platform/ClientWindows.h"

namespace fray {

// The X server's managed windows through EWMH. Each call opens its own short-lived
// connection to $DISPLAY, so it needs neither Qt's connection nor its event loop.
class LinuxClientWindows : public ClientWindows {
  public:
    std::vector<ClientWindow> list() override;
    bool activate(std::uint32_t id) override;
};

} // namespace fray
