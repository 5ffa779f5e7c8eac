#pragma once

#include "island/IslandModel.h"

#include <optional>
#include <string>

namespace fray::test {

inline Instant frameNow() {
    return fromUnixSeconds(1767225600.0);
}

// A session whose state began `ago` seconds before `now`.
inline SessionInfo session(std::string id, SessionStatus status, std::int64_t combo = 0, double ago = 10,
                           Instant now = frameNow()) {
    SessionInfo s;
    s.id = std::move(id);
    s.project = "pixel-forge";
    s.status = status;
    s.combo = combo;
    s.stateSince = now - ago;
    s.lastActivity = now;
    return s;
}

// `n` working sessions, the i-th with combo i, begun 20 + i seconds ago.
inline SessionList fighters(int n) {
    SessionList list;
    for (int i = 0; i < n; ++i)
        list.push_back(session(std::to_string(i), SessionStatus::working, i, 20.0 + i));
    return list;
}

// Plan usage read from the cache `ago` seconds before frameNow().
inline PlanUsage fetched(double ago, std::optional<std::int64_t> fiveHour,
                         std::optional<std::int64_t> weekly) {
    PlanUsage p;
    p.fetchedAt = frameNow() - ago;
    p.fiveHour = fiveHour;
    p.weekly = weekly;
    return p;
}

inline IslandModel modelOf(const SessionList& sessions, Instant now = frameNow(), bool expanded = false,
                           PlanUsage plan = {}) {
    return IslandModel::from(sessions, expanded, "YOU", std::move(plan), nullptr, now);
}

// A model with player 1 in `status` since `ago` seconds.
inline IslandModel modelIn(IslandStatus status, double ago = 10, Instant now = frameNow()) {
    if (status == IslandStatus::idle) return modelOf({}, now);
    SessionStatus s = status == IslandStatus::started       ? SessionStatus::started
                      : status == IslandStatus::working     ? SessionStatus::working
                      : status == IslandStatus::needsAction ? SessionStatus::needsAction
                                                            : SessionStatus::completed;
    return modelOf({session("a", s, 3, ago, now)}, now);
}

} // namespace fray::test
