#pragma once

#include "session/AgentProvider.h"

#include <string>

namespace fray::AgentRegistry {

// The providers whose stores exist under `home`, in the order Codex, Hermes, Osaurus.
ProviderList available(const std::string& home);

} // namespace fray::AgentRegistry
