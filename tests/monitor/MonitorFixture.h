#pragma once

#include "monitor/SessionMonitor.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"

#include <cmath>

namespace fray::test {

// A fixture home with a controllable clock and a counting, fault-injecting file seam.
struct MonitorFixture {
    TempDir home;
    // Whole seconds, as transcript timestamps are written; near the real time because
    // the files' creation (birth) times are real.
    Instant now = fromUnixSeconds(std::floor(toUnixSeconds(wallNow())));
    std::shared_ptr<FaultyFileAccess> files = std::make_shared<FaultyFileAccess>();
    std::function<std::optional<double>()> delay;
    std::optional<ProviderList> providers = ProviderList{};
    std::unique_ptr<SessionMonitor> monitor;

    SessionMonitor& mon() {
        if (!monitor)
            monitor = std::make_unique<SessionMonitor>(
                SessionMonitor::Config{home.str(), [this] { return now; }, delay, files, providers});
        return *monitor;
    }
    SessionList tick(double advance = 0) {
        now = now + advance;
        return mon().tickNow();
    }
    // Ticks and returns the session of one transcript, or one with the id "missing".
    SessionInfo tickFor(const std::string& id, double advance = 0) {
        for (auto& s : tick(advance))
            if (s.id == id) return s;
        return SessionInfo::make("missing", "", {}, {}, SessionStatus::started, -1, {}, {});
    }
    std::string path(std::string_view rel) const { return (home / ".claude/projects" / rel).string(); }
    // Writes, or appends to, a transcript and dates it `idle` seconds before now.
    std::string write(std::string_view rel, std::string_view content, double idle = 0, bool append = false) {
        const std::string full = ".claude/projects/" + std::string(rel);
        auto p = append ? home.append(full, content) : home.write(full, content);
        setMtime(p, toUnixSeconds(now) - idle);
        return p.string();
    }
};

} // namespace fray::test
