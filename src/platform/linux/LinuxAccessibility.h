#pragma once

#include "platform/Accessibility.h"

#include <mutex>

typedef struct _GDBusConnection GDBusConnection;

namespace fray {

// AT-SPI. "Trusted" means what lets one application drive another on a Linux desktop:
// the accessibility bus answers and toolkit accessibility is switched on, so that
// applications publish their trees. Asking for access switches it on.
//
// Every AT-SPI call gives up after `callTimeoutMs`. The trees' calls stay on one thread:
// the one that first asks for an application.
class LinuxAccessibility : public Accessibility {
  public:
    LinuxAccessibility();
    ~LinuxAccessibility() override;

    bool isTrusted() const override;
    void requestAccess() override;
    std::shared_ptr<AccessibleElement> application(const std::vector<int>& pids) override;

    static constexpr int callTimeoutMs = 800;
    // Press-like action names of the toolkits: Qt says "Press", GTK "click" or "activate".
    static bool isPressAction(const std::string& name);

  private:
    // The session bus, connected on first use; null when there is none. Never starts one.
    GDBusConnection* sessionBus() const;

    mutable std::mutex mutex_;
    mutable GDBusConnection* bus_ = nullptr;
};

} // namespace fray
