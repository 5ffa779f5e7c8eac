#include "JsonOutput.h"

#include "session/UnicodeText.h"

#include <cmath>
#include <cstdio>

namespace fray::JsonOutput {

namespace {

std::string number(double v) {
    if (!std::isfinite(v)) return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string optionalText(const std::optional<std::string>& s) {
    return s ? quoted(*s) : "null";
}

// Transcripts and rollouts are files; the SQLite stores' sessions have none.
std::optional<std::string> transcriptPath(const SessionInfo& s) {
    if (s.agent == Agent::claude || s.agent == Agent::codex) return s.id;
    return std::nullopt;
}

std::optional<SessionStatus> topStatus(const SessionList& list) {
    std::optional<SessionStatus> top;
    for (const auto& s : list)
        if (!top || s.status > *top) top = s.status;
    return top;
}

const char* barWord(SessionStatus s) {
    switch (s) {
    case SessionStatus::needsAction:
        return "YOUR MOVE";
    case SessionStatus::working:
        return "FIGHTING";
    case SessionStatus::started:
        return "READY";
    case SessionStatus::completed:
        return "K.O.";
    }
    return "";
}

std::string pendingText(const SessionInfo& s) {
    if (!s.pendingCall) return "";
    return " — " + s.pendingCall->tool +
           (s.pendingCall->summary.empty() ? "" : ": " + s.pendingCall->summary);
}

} // namespace

std::string quoted(std::string_view text) {
    return UnicodeText::jsonString(text);
}

std::string session(const SessionInfo& s, Instant now) {
    std::string idle = "null";
    if (s.lastPromptAt)
        idle = std::to_string(std::llround(std::max(0.0, secondsBetween(*s.lastPromptAt, now))));
    std::string pending = "null";
    if (s.pendingCall)
        pending = "{\"tool\": " + quoted(s.pendingCall->tool) +
                  ", \"summary\": " + quoted(s.pendingCall->summary) + "}";
    return "{\"agent\": " + quoted(rawValue(s.agent)) + ", \"project\": " + quoted(s.project) +
           ", \"branch\": " + optionalText(s.branch) + ", \"status\": " + quoted(rawName(s.status)) +
           ", \"combo\": " + std::to_string(s.combo) + ", \"stamina\": " + number(s.stamina) +
           ", \"idleSeconds\": " + idle + ", \"pendingCall\": " + pending +
           ", \"transcript\": " + optionalText(transcriptPath(s)) + "}";
}

std::string document(const SessionList& list, Instant now, bool pretty) {
    std::string out = pretty ? "{\n  \"sessions\": [" : "{\"sessions\": [";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ",";
        out += pretty ? "\n    " : (i ? " " : "");
        out += session(list[i], now);
    }
    out += pretty ? (list.empty() ? "]\n}" : "\n  ]\n}") : "]}";
    return out;
}

std::string waybar(const SessionList& list, const PlanUsage& plan, Instant now) {
    const auto top = topStatus(list);
    std::string text = std::to_string(list.size());
    if (top) text += std::string(" ") + barWord(*top);
    std::string tooltip;
    for (const auto& s : list) {
        if (!tooltip.empty()) tooltip += "\n";
        tooltip += std::string(tag(s.agent)) + " " + s.project + (s.branch ? " [" + *s.branch + "]" : "") +
                   " " + barWord(s.status) + pendingText(s);
    }
    if (tooltip.empty()) tooltip = "No fighters";
    std::string out = "{\"text\": " + quoted(text) + ", \"tooltip\": " + quoted(tooltip) +
                      ", \"class\": " + quoted(top ? std::string(rawName(*top)) : "idle");
    if (plan.fiveHour && plan.isUsable(now)) out += ", \"percentage\": " + std::to_string(*plan.fiveHour);
    return out + "}";
}

std::string changeKey(const SessionList& list) {
    std::string key;
    for (const auto& s : list) {
        SessionInfo still = s;
        still.stamina = 0;
        still.lastPromptAt.reset();
        key += session(still, Instant{}) + "\n";
    }
    return key;
}

std::string error(std::string_view message) {
    return "{\"error\": " + quoted(message) + "}";
}

} // namespace fray::JsonOutput
