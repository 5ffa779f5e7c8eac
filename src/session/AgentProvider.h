#pragma once

#include "Instant.h"
#include "SessionInfo.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray {

// One other agent's store, read synchronously on the monitor's thread. poll() never
// throws and never reports errors: a store it cannot read yields an empty list.
class AgentProvider {
  public:
    virtual ~AgentProvider() = default;
    virtual Agent agent() const = 0;
    virtual bool isAvailable() const = 0;
    virtual std::vector<SessionInfo> poll(Instant now, double needsActionDelay) = 0;
};

using ProviderList = std::vector<std::shared_ptr<AgentProvider>>;

// Last path component of a directory path; absent for absent or empty input.
std::optional<std::string> lastComponentName(const std::optional<std::string>& path);

// A session title fit to stand as a project label: absent when absent, empty or blank,
// so that the agent's name stands in rather than nothing.
std::optional<std::string> titleLabel(std::optional<std::string> title);

} // namespace fray
