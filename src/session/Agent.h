#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace fray {

enum class Agent { claude, codex, hermes, osaurus };

inline constexpr std::array<Agent, 4> allAgents{Agent::claude, Agent::codex, Agent::hermes, Agent::osaurus};

inline constexpr std::string_view rawValue(Agent a) {
    switch (a) {
    case Agent::claude:
        return "claude";
    case Agent::codex:
        return "codex";
    case Agent::hermes:
        return "hermes";
    case Agent::osaurus:
        return "osaurus";
    }
    return "";
}

// Display name in capitals.
inline constexpr std::string_view label(Agent a) {
    switch (a) {
    case Agent::claude:
        return "CLAUDE";
    case Agent::codex:
        return "CODEX";
    case Agent::hermes:
        return "HERMES";
    case Agent::osaurus:
        return "OSAURUS";
    }
    return "";
}

// Three-letter code printed beside a session in the roster and the log line.
inline constexpr std::string_view tag(Agent a) {
    switch (a) {
    case Agent::claude:
        return "CLD";
    case Agent::codex:
        return "CDX";
    case Agent::hermes:
        return "HRM";
    case Agent::osaurus:
        return "OSA";
    }
    return "";
}

inline std::optional<Agent> agentFromRaw(std::string_view raw) {
    for (Agent a : allAgents)
        if (rawValue(a) == raw) return a;
    return std::nullopt;
}

} // namespace fray
