#pragma once

#include "SessionInfo.h"

#include <functional>
#include <vector>

namespace fray {

using SessionList = std::vector<SessionInfo>;

// A session source. The owner sets onUpdate before start(); the callback runs on the
// source's own thread and receives the complete ordered list after every cycle.
class SessionMonitoring {
  public:
    virtual ~SessionMonitoring() = default;
    std::function<void(const SessionList&)> onUpdate;
    virtual void start() = 0;
};

} // namespace fray
