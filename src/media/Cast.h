#pragma once

#include "session/PlanUsage.h"
#include "session/SessionInfo.h"
#include "session/SessionMonitoring.h"

#include <optional>
#include <string>

namespace fray {

// The placeholder people and projects of the demo film and the stills.
namespace Cast {

inline const std::string p1 = "YOU";

// A session whose state began `ago` seconds before `now`; a prompt `promptAgo` seconds
// before `now` is also its power-up.
SessionInfo s(std::string id, std::string project, std::optional<std::string> branch, SessionStatus status,
              std::int64_t combo, double ago, std::optional<double> promptAgo, double stamina, Agent agent,
              Instant now);

// Four sessions, one per agent, the first waiting for the user.
SessionList roster(Instant now);

// 41 % of the five-hour window and 63 % of the week used, fetched three minutes ago.
PlanUsage plan(Instant now);

} // namespace Cast
} // namespace fray
