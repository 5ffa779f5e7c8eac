#pragma once

#include "LineKind.h"
#include "io/FileAccess.h"
#include "session/Instant.h"
#include "session/SessionInfo.h"
#include "session/SessionRules.h"
#include "session/SessionStatus.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fray {

// Directory names never used as a project label when a better ancestor exists.
inline constexpr std::array<std::string_view, 15> genericDirs{
    "src", "dist",     "build", "lib",      "app",  "out",   "target",      "bin",
    "pkg", "packages", "cmd",   "internal", "test", "tests", "node_modules"};

bool isGenericDir(std::string_view lowerName);

// What the monitor knows about one watched transcript.
class FileState {
  public:
    explicit FileState(Instant now = wallNow()) : created(now), stateSince(now) {}

    std::uint64_t size = 0;
    Instant mtime = distantPast();
    Instant created;
    std::string leftover;
    bool initialized = false;
    LineKind lastKind = LineKind::none;
    bool seenAssistant = false;
    std::int64_t combo = 0;
    std::optional<std::string> cwd;
    std::optional<std::string> branch;
    std::optional<SessionStatus> lastStatus;
    Instant stateSince;
    // Hash of the text of the latest "last-prompt" record: only compared, never shown.
    std::optional<std::uint64_t> lastPromptHash;
    std::vector<Instant> promptTimes;
    std::optional<Instant> powerUpAt;
    bool bootstrapping = false;

    // Modification time of the latest write that held activity. Bookkeeping records
    // appended to a finished transcript move the file's mtime but not this.
    Instant lastActivity = distantPast();
    // The latest permission mode seen never asks before a tool runs.
    bool neverAsks = false;
    // The tool calls since the last line of another kind (one call per line, parallel
    // calls on consecutive lines): one of them always waits for the user; all of them
    // only wait on sub-agents or background work.
    bool callsAskUser = false;
    std::optional<PendingCall> pendingCall; // the latest call, while the last line is a call
    bool callsInBackground = false;
    // The latest assistant text said that the turn is over.
    bool turnEnded = false;
    // Hash of the prompt that opened the current turn.
    std::optional<std::uint64_t> turnPromptHash;

    std::optional<Instant> lastPromptAt() const {
        if (promptTimes.empty()) return std::nullopt;
        return promptTimes.back();
    }

    std::optional<SessionStatus> derive(Instant now, double needsActionDelay);
    void notePrompt(Instant at);
    double stamina(Instant now) const { return staminaValue(promptTimes, now); }
    void softReset();
    // The repository root above the working directory (looked up through `files`), else
    // its first non-generic name, else the transcript's directory name.
    std::string projectLabel(std::string_view fallbackPath, FileAccess& files) const;

    static constexpr std::size_t maxPromptTimes = 32;
};

} // namespace fray
