#pragma once

#include "platform/Accessibility.h"

namespace fray {

// Nothing can press another application's rows yet, so access is honestly not granted.
class LinuxAccessibility : public Accessibility {
  public:
    bool isTrusted() const override { return false; }
    void requestAccess() override {}
};

} // namespace fray
