#pragma once

#include "session/Instant.h"
#include "session/SessionMonitoring.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace fray {

class Notifications;
class Settings;

// Desktop notifications from the session list: one per session that waits for the user,
// replaced in place and closed when it stops waiting, with a "Go to session" action; and,
// when switched on, a quiet "K.O." when a session finishes a turn of more than a minute.
class SessionNotifier {
  public:
    SessionNotifier(Settings& settings, Notifications& notifications,
                    std::function<void(const SessionInfo&)> focus, Clock clock = wallNow);

    // Every delivered list, before any filtering; cheap when no status changed.
    void update(const SessionList& list);

    // "orbit-api · feat/stripe-webhooks"
    static std::string title(const SessionInfo& s);
    // "Bash: npx prisma migrate deploy", or what there is.
    static std::string body(const SessionInfo& s);

    static constexpr double longTurn = 60;

  private:
    struct Tracked {
        SessionStatus status = SessionStatus::started;
        std::uint32_t notification = 0; // the shown "waiting" notification, 0 when none
        std::string said;               // its body
        std::optional<Instant> turnStart;
        SessionInfo latest;
    };
    void waiting(Tracked& t);
    void stoppedWaiting(Tracked& t);

    Settings& settings_;
    Notifications& notifications_;
    std::function<void(const SessionInfo&)> focus_;
    Clock clock_;
    std::unordered_map<std::string, Tracked> sessions_;
    std::shared_ptr<void> actionWatch_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace fray
