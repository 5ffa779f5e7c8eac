#pragma once

namespace fray {

// Trust check and permission prompt for driving other applications' UI.
class Accessibility {
  public:
    virtual ~Accessibility() = default;
    virtual bool isTrusted() const = 0;
    virtual void requestAccess() = 0;
};

} // namespace fray
