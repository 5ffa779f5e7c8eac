#pragma once

#include "Geometry.h"
#include "Observers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray {

// One attached display as the placement logic sees it.
struct ScreenInfo {
    std::string id;     // the platform's handle for the screen (stable while attached)
    std::string name;   // localized display name
    GRect frame;        // global, y-up
    GRect visibleFrame; // frame minus menu bar / panels
    bool hasDisplayNumber = true;
    bool builtIn = false;
    std::uint32_t vendor = 0;              // EDID manufacturer id
    std::uint32_t model = 0;               // EDID product code
    std::uint32_t serial = 0;              // EDID serial number
    double safeAreaTop = 0;                // notch height; 0 without a notch
    std::optional<GRect> auxiliaryTopLeft; // the areas beside a notch
    std::optional<GRect> auxiliaryTopRight;

    bool operator==(const ScreenInfo&) const = default;
};

class DisplayProvider {
  public:
    virtual ~DisplayProvider() = default;
    // In the system's order: the first is the primary display (the one with the menu bar).
    virtual std::vector<ScreenInfo> screens() const = 0;

    // Calls `fn` on the main thread whenever a display is added or removed, or its frame or
    // visible frame changes; until the returned handle is dropped.
    [[nodiscard]] std::shared_ptr<void> observeChanges(std::function<void()> fn) {
        return observers_.add(std::move(fn));
    }

  protected:
    void notifyChanged() { observers_.notify(); }

  private:
    Observers<> observers_;
};

} // namespace fray
