#include "SessionNotifier.h"

#include "model/Settings.h"
#include "platform/Notifications.h"

#include <cmath>
#include <unordered_set>

namespace fray {

SessionNotifier::SessionNotifier(Settings& settings, Notifications& notifications,
                                 std::function<void(const SessionInfo&)> focus, Clock clock)
    : settings_(settings), notifications_(notifications), focus_(std::move(focus)), clock_(std::move(clock)) {
    actionWatch_ = notifications_.onAction([this](std::uint32_t id, const std::string&) {
        for (auto& [key, t] : sessions_)
            if (t.notification == id && id != 0) {
                if (focus_) focus_(t.latest);
                return;
            }
    });
}

std::string SessionNotifier::title(const SessionInfo& s) {
    return s.branch && !s.branch->empty() ? s.project + " · " + *s.branch : s.project;
}

std::string SessionNotifier::body(const SessionInfo& s) {
    if (!s.pendingCall) return "Waiting for you";
    if (s.pendingCall->summary.empty()) return s.pendingCall->tool;
    return s.pendingCall->tool + ": " + s.pendingCall->summary;
}

void SessionNotifier::waiting(Tracked& t) {
    if (!settings_.notifyNeedsAction()) return;
    t.said = body(t.latest);
    Notification n{title(t.latest), t.said, Notification::Urgency::normal, {{"default", "Go to session"}}};
    const std::string id = t.latest.id;
    std::weak_ptr<bool> alive = alive_;
    notifications_.notify(n, t.notification, [this, alive, id](std::uint32_t shown) {
        if (alive.expired()) return;
        auto it = sessions_.find(id);
        // Stopped waiting before the service answered: take it down at once.
        if (it == sessions_.end() || it->second.status != SessionStatus::needsAction) {
            notifications_.close(shown);
            return;
        }
        it->second.notification = shown;
    });
}

void SessionNotifier::stoppedWaiting(Tracked& t) {
    if (t.notification) notifications_.close(t.notification);
    t.notification = 0;
}

void SessionNotifier::update(const SessionList& list) {
    const Instant now = clock_();
    std::unordered_set<std::string> seen;
    for (const SessionInfo& s : list) {
        seen.insert(s.id);
        auto [it, fresh] = sessions_.try_emplace(s.id);
        Tracked& t = it->second;
        const SessionStatus before = fresh ? SessionStatus::started : t.status;
        t.latest = s;
        if (!fresh && before == s.status) {
            // Still waiting, but on another call: the notification says so in place.
            if (s.status == SessionStatus::needsAction && t.notification && body(s) != t.said) waiting(t);
            continue; // otherwise nothing to say: no work on a quiet tick
        }
        t.status = s.status;
        if (s.status != SessionStatus::completed && !t.turnStart)
            t.turnStart = s.lastPromptAt ? *s.lastPromptAt : now;
        if (s.status == SessionStatus::needsAction) {
            waiting(t);
            continue;
        }
        if (before == SessionStatus::needsAction) stoppedWaiting(t);
        if (s.status == SessionStatus::completed) {
            const bool long_ = t.turnStart && secondsBetween(*t.turnStart, now) > longTurn;
            if (!fresh && long_ && settings_.notifyCompleted()) {
                const double minutes = std::floor(secondsBetween(*t.turnStart, now) / 60);
                notifications_.notify({title(s),
                                       "K.O. — the turn took " + std::to_string(int(minutes)) + " min",
                                       Notification::Urgency::low,
                                       {{"default", "Go to session"}}},
                                      0, nullptr);
            }
            t.turnStart.reset();
        }
    }
    // Sessions gone from the list stop waiting too.
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (seen.contains(it->first)) {
            ++it;
            continue;
        }
        stoppedWaiting(it->second);
        it = sessions_.erase(it);
    }
}

} // namespace fray
