#pragma once

#include "platform/DisplayProvider.h"

#include <optional>
#include <string>
#include <vector>

namespace fray::Displays {

struct Choice {
    std::string key; // stable across reconnection
    std::string name;
    ScreenInfo screen;
};

// Names staged for pictures: when set, the i-th choice takes the i-th name; keys stay.
using NameOverride = std::optional<std::vector<std::string>>;

// Attached displays ordered left to right (then bottom to top), with stable keys.
std::vector<Choice> attached(const std::vector<ScreenInfo>& systemScreens,
                             const NameOverride& nameOverride = {});

} // namespace fray::Displays
