#include "SessionUpdates.h"

#include "session/UnicodeText.h"

#include "model/AppModel.h"
#include "model/Settings.h"
#include "platform/SoundOutput.h"

#include <cmath>
#include <ctime>

namespace fray {

SessionUpdates::SessionUpdates(Settings& settings, AppModel& model, SoundOutput& sounds, Clock clock)
    : settings_(settings), model_(model), sounds_(sounds), clock_(std::move(clock)) {}

void SessionUpdates::apply(const SessionList& list) {
    checkSounds(list);
    if (syncIcon) syncIcon(list); // the icon counts completed sessions even when they are hidden
    SessionList visible;
    if (settings_.showCompleted()) {
        visible = list;
    } else {
        for (const auto& s : list)
            if (s.status != SessionStatus::completed) visible.push_back(s);
    }
    if (visible != model_.sessions()) model_.setSessions(std::move(visible));
    if (logging) logLine(list);
}

void SessionUpdates::checkSounds(const SessionList& list) {
    std::optional<std::string> cue;
    for (const auto& s : list) {
        auto it = prevStatuses_.find(s.id);
        if (it == prevStatuses_.end()) continue; // first sight: nothing to announce
        const SessionStatus prev = it->second;
        if (s.status == SessionStatus::needsAction && prev != SessionStatus::needsAction &&
            settings_.soundNeedsAction())
            cue = "your-move";
        if (s.status == SessionStatus::completed && prev != SessionStatus::completed && settings_.soundKO() &&
            !cue)
            cue = "ko";
    }
    prevStatuses_.clear();
    for (const auto& s : list)
        prevStatuses_[s.id] = s.status;

    if (!cue) return;
    const Instant now = clock_();
    if (secondsBetween(lastSound_, now) > soundDebounce) {
        lastSound_ = now;
        play(*cue);
    }
}

void SessionUpdates::play(const std::string& cue) {
    if (sounds_.hasCue(cue)) {
        sounds_.playCue(cue);
        return;
    }
    sounds_.playSystemSound(cue == "your-move" ? "Sosumi" : "Hero");
}

std::string SessionUpdates::formatLogLine(const SessionList& list, Instant now) {
    std::time_t whole = static_cast<std::time_t>(std::floor(toUnixSeconds(now)));
    std::tm local{};
    localtime_r(&whole, &local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::string out = std::string("[") + stamp + "] ";
    if (list.empty()) return out + "no active sessions";

    bool first = true;
    for (const auto& s : list) {
        if (!first) out += " | ";
        first = false;
        long long idle = -1;
        if (s.lastPromptAt) idle = static_cast<long long>(std::trunc(secondsBetween(*s.lastPromptAt, now)));
        bool powerUp = false;
        if (s.powerUpAt) {
            double e = secondsBetween(*s.powerUpAt, now);
            powerUp = e >= 0 && e <= 1.5;
        }
        char tail[96];
        std::snprintf(tail, sizeof tail, " combo=%lld stamina=%.2f idle=%llds%s",
                      static_cast<long long>(s.combo), s.stamina, idle, powerUp ? " POWER-UP!" : "");
        out += std::string(tag(s.agent)) + ":" + UnicodeText::terminalSafe(s.project) + "[" +
               (s.branch ? UnicodeText::terminalSafe(*s.branch) : std::string("-")) +
               "]=" + std::string(logWord(s.status)) + tail;
    }
    return out;
}

void SessionUpdates::logLine(const SessionList& list) {
    std::string line = formatLogLine(list, clock_()) + "\n";
    std::fwrite(line.data(), 1, line.size(), logOut);
    std::fflush(logOut);
}

} // namespace fray
