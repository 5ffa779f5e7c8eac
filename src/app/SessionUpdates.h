#pragma once

#include "session/Instant.h"
#include "session/SessionMonitoring.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace fray {

class AppModel;
class Settings;
class SoundOutput;

// The pipeline every delivered list passes through on the main thread: alert cues,
// the tray icon, the show-completed filter, the model, and the --log line.
class SessionUpdates {
  public:
    SessionUpdates(Settings& settings, AppModel& model, SoundOutput& sounds, Clock clock = wallNow);

    bool logging = false;
    std::FILE* logOut = stdout;
    std::function<void(const SessionList&)> syncIcon;

    void apply(const SessionList& list);
    void checkSounds(const SessionList& list);
    void logLine(const SessionList& list);

    // The log line for `list` at `now` (local time stamp), without its newline.
    static std::string formatLogLine(const SessionList& list, Instant now);

    static constexpr double soundDebounce = 6.0;

  private:
    void play(const std::string& cue);

    Settings& settings_;
    AppModel& model_;
    SoundOutput& sounds_;
    Clock clock_;
    std::unordered_map<std::string, SessionStatus> prevStatuses_;
    Instant lastSound_ = distantPast();
};

} // namespace fray
