#include "SessionRules.h"

#include "Tuning.h"

#include <algorithm>
#include <cmath>

namespace fray {

std::optional<SessionStatus> statusForAge(Activity activity, double idle, double needsActionDelay) {
    if (!(idle <= Tuning::candidateWindow)) return std::nullopt;
    switch (activity) {
    case Activity::toolPending:
        return idle > needsActionDelay ? SessionStatus::needsAction : SessionStatus::working;
    case Activity::busy:
        if (idle <= Tuning::workingStaleOut) return SessionStatus::working;
        [[fallthrough]];
    case Activity::finished:
        if (idle <= Tuning::completedLinger) return SessionStatus::completed;
        return std::nullopt;
    }
    return std::nullopt;
}

double staminaValue(const std::vector<Instant>& promptTimes, Instant now) {
    if (promptTimes.empty()) return 0.5;
    std::size_t n = 0;
    for (Instant t : promptTimes)
        if (secondsBetween(t, now) <= Tuning::velocityWindow) ++n; // future prompts count too
    double velocity = std::min(static_cast<double>(n) / Tuning::velocityFull, 1.0);
    double idle = std::max(0.0, secondsBetween(promptTimes.back(), now));
    double raw = (0.55 + 0.45 * velocity) * std::exp(-idle / Tuning::staminaHalfLife);
    double stepped = std::round(raw * 50.0) / 50.0; // std::round rounds halves away from zero
    return std::max(stepped, Tuning::staminaFloor);
}

} // namespace fray
