#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace fray {

// Ordered by urgency: the session list puts the highest first.
enum class SessionStatus : std::int64_t {
    completed = 0,
    started = 1,
    working = 2,
    needsAction = 3,
};

inline std::optional<SessionStatus> sessionStatusFromRaw(std::int64_t raw) {
    if (raw < 0 || raw > 3) return std::nullopt;
    return static_cast<SessionStatus>(raw);
}

inline constexpr std::int64_t rawValue(SessionStatus s) {
    return static_cast<std::int64_t>(s);
}

// Scoped enums compare by underlying value, which is the order wanted here.

// The name scripts see ("needsAction").
inline constexpr std::string_view rawName(SessionStatus s) {
    switch (s) {
    case SessionStatus::completed:
        return "completed";
    case SessionStatus::started:
        return "started";
    case SessionStatus::working:
        return "working";
    case SessionStatus::needsAction:
        return "needsAction";
    }
    return "?";
}

// The word the --log line prints for a status: the waiting one shouts.
inline constexpr std::string_view logWord(SessionStatus s) {
    return s == SessionStatus::needsAction ? "NEEDS-ACTION" : rawName(s);
}

} // namespace fray
