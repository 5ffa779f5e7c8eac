#pragma once

#include "Agent.h"
#include "Instant.h"
#include "SessionStatus.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fray {

// The tool call of the last assistant turn that has no result yet: the tool's name and a
// one-line summary of its input ("Bash" and "npx prisma migrate deploy").
struct PendingCall {
    std::string tool;
    std::string summary; // at most this many user-perceived characters:
    static constexpr std::size_t summaryCharacters = 120;
    bool operator==(const PendingCall&) const = default;
};

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
    std::optional<PendingCall> pendingCall; // while a call awaits its result

    // The member-wise construction with the six required fields first.
    static SessionInfo make(std::string id, std::string project, std::optional<std::string> branch,
                            std::optional<std::string> cwd, SessionStatus status, std::int64_t combo,
                            Instant stateSince, Instant lastActivity,
                            std::optional<Instant> lastPromptAt = std::nullopt,
                            std::optional<Instant> powerUpAt = std::nullopt, double stamina = 0.5,
                            Agent agent = Agent::claude) {
        return SessionInfo{
            std::move(id), std::move(project), std::move(branch), std::move(cwd), status,  combo,
            stateSince,    lastActivity,       lastPromptAt,      powerUpAt,      stamina, agent,
            std::nullopt};
    }

    bool operator==(const SessionInfo&) const = default;
};

} // namespace fray
