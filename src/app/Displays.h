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

// When set (the still renderer does), the i-th choice takes the i-th name; keys stay.
extern std::optional<std::vector<std::string>> nameOverride;

// Attached displays ordered left to right (then bottom to top), with stable keys.
std::vector<Choice> attached(const std::vector<ScreenInfo>& systemScreens);
std::vector<Choice> attached(); // from the platform's display provider

std::optional<ScreenInfo> screenForKey(const std::string& key);
std::optional<std::string> keyFor(const ScreenInfo& screen);

} // namespace fray::Displays
