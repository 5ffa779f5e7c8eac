#include "DemoMonitor.h"

namespace fray {

namespace {
SessionInfo fake(const char* id, const char* project, const char* branch, SessionStatus status,
                 std::int64_t combo, double secondsAgo, Instant now) {
    return SessionInfo::make(id, project, std::string(branch), std::nullopt, status, combo, now - secondsAgo,
                             now);
}
} // namespace

DemoMonitor::DemoMonitor(TimerFactory timers, Clock clock)
    : timers_(std::move(timers)), clock_(std::move(clock)) {}

DemoMonitor::~DemoMonitor() = default;

void DemoMonitor::start() {
    // The timer dies with the monitor, so its handler never outlives it.
    timer_ = timers_(1.0, [this] { step(); });
    step();
}

SessionList DemoMonitor::script(std::int64_t p, Instant now) {
    using S = SessionStatus;
    auto A = [&](S s, std::int64_t combo, double ago) {
        return fake("a", "Quillfeather", "feat/fraymark", s, combo, ago, now);
    };
    auto B = [&](S s, std::int64_t combo, double ago) {
        return fake("b", "docs-site", "master", s, combo, ago, now);
    };
    const double pd = static_cast<double>(p);
    if (p <= 5) return {A(S::started, 0, pd)};
    if (p <= 19) return {A(S::working, 3 * p - 15, pd - 6), B(S::working, 4, 30)};
    if (p <= 29) return {A(S::needsAction, 41, pd - 20), B(S::working, 9, 44)};
    if (p <= 37) return {A(S::working, p + 11, pd - 30), B(S::completed, 12, 20)};
    return {A(S::completed, 52, pd - 38)};
}

void DemoMonitor::step() {
    ++t_;
    const std::int64_t p = t_ % loopLength;
    SessionList list = script(p, clock_());
    if (onUpdate) onUpdate(list);
}

} // namespace fray
