#include "IslandModel.h"

#include "platform/UserInfo.h"

#include <QString>

#include <algorithm>

namespace fray {

IslandStatus islandStatus(SessionStatus s) {
    switch (s) {
    case SessionStatus::completed:
        return IslandStatus::completed;
    case SessionStatus::started:
        return IslandStatus::started;
    case SessionStatus::working:
        return IslandStatus::working;
    case SessionStatus::needsAction:
        return IslandStatus::needsAction;
    }
    return IslandStatus::idle;
}

IslandModel IslandModel::from(const SessionList& sessions, bool expanded, std::string p1, PlanUsage plan,
                              std::function<void(const SessionInfo&)> onResume, Instant now) {
    IslandModel m;
    m.stateSince = now;
    m.sessions = sessions;
    m.expanded = expanded;
    m.p1Name = std::move(p1);
    m.plan = std::move(plan);
    m.onResume = std::move(onResume);

    for (const auto& s : sessions)
        if (s.powerUpAt && (!m.powerUpAt || *s.powerUpAt > *m.powerUpAt)) m.powerUpAt = s.powerUpAt;

    // Only sessions with a prompt say anything about the user's pace.
    std::optional<double> best;
    for (const auto& s : sessions)
        if (s.lastPromptAt) best = best ? std::max(*best, s.stamina) : s.stamina;
    m.p1Stamina = best.value_or(0.5);

    if (sessions.empty()) return m;
    const SessionInfo& first = sessions.front();
    m.project = first.project;
    m.branch = first.branch;
    m.combo = first.combo;
    m.stateSince = first.stateSince;
    m.status = islandStatus(first.status);
    return m;
}

std::string playerOneName(const std::string& fullName, const std::string& loginName) {
    std::string full = fullName.substr(0, fullName.find(','));
    std::string pick;
    for (std::size_t i = 0; i < full.size();) {
        std::size_t end = full.find(' ', i);
        if (end == std::string::npos) end = full.size();
        if (end > i) {
            pick = full.substr(i, end - i);
            break;
        }
        i = end + 1;
    }
    if (pick.empty()) pick = loginName;
    if (pick.empty()) return "PLAYER 1";
    return QString::fromStdString(pick).toUpper().toStdString();
}

std::string playerOneName(const UserInfo& user) {
    return playerOneName(user.fullName(), user.loginName());
}

} // namespace fray
