#pragma once

#include "io/FileAccess.h"
#include "session/SessionInfo.h"

#include <cstdint>
#include <optional>
#include <string>

// The Claude desktop app's own records of the Claude Code sessions it runs: one JSON file
// per session, three folders deep, naming the CLI session it continues.
namespace fray::DesktopSessions {

struct Match {
    std::optional<std::string> bridge; // the id its deep link carries
    std::optional<std::string> title;  // as the app's sidebar shows it
    bool operator==(const Match&) const = default;
};

// Bigger files are not session records, and reading them on the main thread would stall it.
inline constexpr std::uint64_t maxFileSize = 16 << 20;

// The session files' root under the user's config folder.
std::string directory(const std::string& configHome);

// The id the `claude` tool resumes: the last path component of the session id without
// its extension (a transcript's file name without ".jsonl").
std::string cliSessionId(const SessionInfo& session);

// The first session file, in listing order, that records `cli`; absent when none does.
std::optional<Match> find(FileAccess& files, const std::string& dir, const std::string& cli);

// The app's link that opens the session with this bridge id; absent when it makes no URL.
std::optional<std::string> deepLink(const std::string& bridge);

} // namespace fray::DesktopSessions
