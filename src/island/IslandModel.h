#pragma once

#include "session/PlanUsage.h"
#include "session/SessionMonitoring.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace fray {

class UserInfo;

// What the island shows for player 1; `idle` means there is no session at all.
enum class IslandStatus { idle, started, working, needsAction, completed };

IslandStatus islandStatus(SessionStatus s);

// The snapshot every island view draws from.
struct IslandModel {
    IslandStatus status = IslandStatus::idle;
    std::string project;
    std::optional<std::string> branch;
    std::int64_t combo = 0;
    Instant stateSince{}; // `from` sets it to its `now` when there is no session
    SessionList sessions;
    bool expanded = false;
    std::string p1Name = "PLAYER 1";
    std::optional<Instant> powerUpAt;
    double p1Stamina = 0.5;
    PlanUsage plan;
    std::function<void(const SessionInfo&)> onResume;

    // Player 1 is the first session: the source's order decides who fights.
    static IslandModel from(const SessionList& sessions, bool expanded, std::string p1, PlanUsage plan,
                            std::function<void(const SessionInfo&)> onResume, Instant now);
};

// The name on player 1's side: the first word of the full name (a passwd "gecos" field
// is cut at its first comma), else the login name, else "PLAYER 1"; in capitals.
std::string playerOneName(const std::string& fullName, const std::string& loginName);
std::string playerOneName(const UserInfo& user);

} // namespace fray
