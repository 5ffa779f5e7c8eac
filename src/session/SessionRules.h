#pragma once

#include "Instant.h"
#include "SessionStatus.h"

#include <optional>
#include <vector>

namespace fray {

// Where a session's last recorded activity leaves it, before its age is counted.
enum class Activity {
    toolPending, // a tool call awaits its result
    busy,        // mid-turn: a prompt, a tool result, thinking, an unfinished reply
    finished,    // the turn ended
};

// The one rule every source applies to a session idle for `idle` seconds: a pending tool
// call waits for the user after the needs-action delay; a busy session counts as working
// for 480 s and as completed until 720 s; a finished one lingers 720 s. Absent means the
// session is no longer shown (also past the 2700-second candidate window).
std::optional<SessionStatus> statusForAge(Activity activity, double idle, double needsActionDelay);

// Stamina in [0.02, 1] from the pace of the user's prompts (ascending times).
double staminaValue(const std::vector<Instant>& promptTimes, Instant now);

} // namespace fray
