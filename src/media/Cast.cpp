#include "Cast.h"

namespace fray::Cast {

SessionInfo s(std::string id, std::string project, std::optional<std::string> branch, SessionStatus status,
              std::int64_t combo, double ago, std::optional<double> promptAgo, double stamina, Agent agent,
              Instant now) {
    SessionInfo out;
    out.id = std::move(id);
    out.project = std::move(project);
    out.branch = std::move(branch);
    out.status = status;
    out.combo = combo;
    out.stateSince = out.lastActivity = now - ago;
    if (promptAgo) out.lastPromptAt = out.powerUpAt = now - *promptAgo;
    out.stamina = stamina;
    out.agent = agent;
    return out;
}

SessionList roster(Instant now) {
    using S = SessionStatus;
    return {
        s("a", "orbit-api", "feat/stripe-webhooks", S::needsAction, 23, 34, 210, 0.86, Agent::claude, now),
        s("b", "nova-checkout", "main", S::working, 9, 148, 420, 0.62, Agent::codex, now),
        s("c", "atlas-web", "fix/rate-limit", S::working, 4, 61, 300, 0.70, Agent::hermes, now),
        s("d", "design-system", "main", S::completed, 41, 260, 900, 0.40, Agent::osaurus, now),
    };
}

PlanUsage plan(Instant now) {
    PlanUsage p;
    p.fiveHour = 41;
    p.weekly = 63;
    p.fiveHourResets = now + 8700.0;
    p.weeklyResets = now + 219600.0;
    p.fetchedAt = now - 180.0;
    return p;
}

} // namespace fray::Cast
