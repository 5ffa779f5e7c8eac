#pragma once

#include "platform/Accessibility.h"

#include <mutex>

typedef struct _GDBusConnection GDBusConnection;

namespace fray {

class AtspiLoop;

// AT-SPI. "Trusted" means what lets one application drive another on a Linux desktop:
// the accessibility bus answers and toolkit accessibility is switched on, so that
// applications publish their trees. Asking for access switches it on.
//
// Every AT-SPI call gives up after `callTimeoutMs`. libatspi is not thread-safe and its
// connection must keep being read (or the bus queues every event for it), so it lives
// on a thread of its own running its own event loop; element calls are handed to it.
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
    // On the loop's thread.
    static std::shared_ptr<AccessibleElement> applicationHere(const std::vector<int>& pids,
                                                              const std::shared_ptr<AtspiLoop>& loop);

    mutable std::mutex mutex_;
    mutable GDBusConnection* bus_ = nullptr;
    std::shared_ptr<AtspiLoop> loop_; // started by the first application() call
};

} // namespace fray
