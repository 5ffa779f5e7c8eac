#pragma once

#include "Observers.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fray {

struct Notification {
    enum class Urgency : std::uint8_t { low = 0, normal = 1, critical = 2 };
    std::string title;
    std::string body;
    Urgency urgency = Urgency::normal;
    std::vector<std::pair<std::string, std::string>> actions; // key, label
};

// Desktop notifications. Nothing here blocks: calls are answered later on the main thread,
// and without a notification service nothing shows and nothing fails.
class Notifications {
  public:
    virtual ~Notifications() = default;
    // Shows `n`, in place of notification `replaces` when that is not 0; `shown` receives the
    // id the service gave it (0 when none answered).
    virtual void notify(const Notification& n, std::uint32_t replaces,
                        std::function<void(std::uint32_t id)> shown) = 0;
    virtual void close(std::uint32_t id) = 0;

    // Calls `fn` on the main thread with the notification's id and the action's key when the
    // user picks one; until the handle is dropped.
    [[nodiscard]] std::shared_ptr<void> onAction(std::function<void(std::uint32_t, const std::string&)> fn) {
        return actions_.add(std::move(fn));
    }

  protected:
    void actionInvoked(std::uint32_t id, const std::string& key) { actions_.notify(id, key); }

  private:
    Observers<std::uint32_t, const std::string&> actions_;
};

} // namespace fray
