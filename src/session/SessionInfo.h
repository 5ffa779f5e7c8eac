#pragma once

#include "Agent.h"
#include "Instant.h"
#include "SessionStatus.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fray {

// One live agent session as every source reports it; a plain value.
struct SessionInfo {
    std::string id; // unique across sources; for Claude Code the transcript path
    std::string project;
    std::optional<std::string> branch;
    std::optional<std::string> cwd;
    SessionStatus status = SessionStatus::started;
    std::int64_t combo = 0;
    Instant stateSince{};
    Instant lastActivity{};
    std::optional<Instant> lastPromptAt;
    std::optional<Instant> powerUpAt;
    double stamina = 0.5;
    Agent agent = Agent::claude;

    // The member-wise construction with the six required fields first.
    static SessionInfo make(std::string id, std::string project, std::optional<std::string> branch,
                            std::optional<std::string> cwd, SessionStatus status, std::int64_t combo,
                            Instant stateSince, Instant lastActivity,
                            std::optional<Instant> lastPromptAt = std::nullopt,
                            std::optional<Instant> powerUpAt = std::nullopt, double stamina = 0.5,
                            Agent agent = Agent::claude) {
        return SessionInfo{
            std::move(id), std::move(project), std::move(branch), std::move(cwd), status,  combo,
            stateSince,    lastActivity,       lastPromptAt,      powerUpAt,      stamina, agent};
    }

    bool operator==(const SessionInfo&) const = default;
};

} // namespace fray
