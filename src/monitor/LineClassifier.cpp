#include "LineClassifier.h"

#include "Timestamp.h"

#include <simdjson.h>

#include <cstring>
#include <vector>

namespace fray {

namespace {

constexpr std::string_view interruptedPrefix = "[Request interrupted";

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Prompt texts are only ever compared, so a hash stands for them.
std::uint64_t textHash(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : trimmed(text)) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Text the agent gets fed within a turn although the user typed nothing.
bool isInjected(std::string_view text) {
    text = trimmed(text);
    return startsWith(text, "<task-notification>") || startsWith(text, "Stop hook feedback:");
}

// Tools that put a question to the user whatever the permission mode, and tools that
// only wait on a sub-agent or background work and never ask anything.
bool asksUser(std::string_view tool) {
    return tool == "AskUserQuestion" || tool == "ExitPlanMode";
}
bool waitsInBackground(std::string_view tool) {
    return tool == "Task" || tool == "TaskOutput";
}

// Parsers keep their largest allocation; drop one that a huge line inflated.
constexpr std::size_t keepCapacity = 1u << 20;

} // namespace

bool isCommandNoise(std::string_view text) {
    text = trimmed(text);
    static constexpr std::string_view prefixes[] = {"<local-command", "<command-name",    "<command-message",
                                                    "<command-args",  "<system-reminder", "Caveat:"};
    for (auto p : prefixes)
        if (startsWith(text, p)) return true;
    return false;
}

void applyLine(const LineFacts& f, FileState& st, Instant now) {
    using E = LineFacts::Effect;
    if (!f.cwd.empty()) st.cwd = std::string(f.cwd);
    if (!f.branch.empty() && f.branch != "HEAD") st.branch = std::string(f.branch);
    if (!f.permissionMode.empty())
        st.neverAsks = f.permissionMode == "bypassPermissions" || f.permissionMode == "dontAsk";

    switch (f.effect) {
    case E::none:
    case E::aside:
        break;
    case E::prompt:
        st.lastKind = LineKind::userText;
        st.combo = 0;
        if (!f.hasText) break;
        st.turnPromptHash = f.textHash;
        st.notePrompt(f.at.value_or(now));
        break;
    case E::commandNoise:
        st.combo = 0;
        break;
    case E::injected:
        st.lastKind = LineKind::injected;
        break;
    case E::interrupted:
        st.lastKind = LineKind::interrupted;
        break;
    case E::toolResult:
        st.lastKind = LineKind::toolResult;
        break;
    case E::toolUse:
        if (st.lastKind != LineKind::assistantToolUse) { // a new run of calls
            st.callsAskUser = false;
            st.callsInBackground = true;
        }
        st.callsAskUser = st.callsAskUser || f.askUser;
        st.callsInBackground = st.callsInBackground && f.inBackground;
        st.lastKind = LineKind::assistantToolUse;
        st.combo += f.calls;
        st.seenAssistant = true;
        break;
    case E::text:
        st.lastKind = LineKind::assistantText;
        st.turnEnded = f.endTurn;
        st.seenAssistant = true;
        break;
    case E::thinking:
        st.lastKind = LineKind::assistantThinking;
        st.seenAssistant = true;
        break;
    case E::assistantOther:
        st.seenAssistant = true;
        break;
    case E::lastPrompt:
        // Recent versions write the record after the reply: repeating the prompt that
        // opened the turn, it is no new prompt.
        if (st.lastPromptHash && *st.lastPromptHash != f.textHash && !st.bootstrapping &&
            st.turnPromptHash != f.textHash)
            st.notePrompt(now);
        st.lastPromptHash = f.textHash;
        break;
    case E::turnEnd:
        if (st.lastKind == LineKind::assistantText) st.turnEnded = true;
        break;
    }
}

struct LineClassifier::Impl {
    simdjson::dom::parser parser;
    std::vector<char> scratch;

    // An array of content blocks counts only when every element is an object.
    static bool blocksOf(simdjson::dom::element content, simdjson::dom::array& out) {
        if (content.get_array().get(out)) return false;
        for (auto el : out)
            if (!el.is_object()) return false;
        return true;
    }

    static std::string_view stringAt(simdjson::dom::object obj, std::string_view key) {
        std::string_view s;
        if (obj[key].get_string().get(s)) return {};
        return s;
    }

    static bool isTrue(simdjson::dom::object obj, std::string_view key) {
        bool b = false;
        return !obj[key].get_bool().get(b) && b;
    }

    void read(const char* data, std::size_t len, LineFacts& f) {
        f = LineFacts{};
        simdjson::dom::element doc;
        if (parser.parse(reinterpret_cast<const uint8_t*>(data), len, false).get(doc)) return;
        simdjson::dom::object obj;
        if (doc.get_object().get(obj)) return;

        // A sub-agent's line is its work, nothing of the session's own state.
        if (isTrue(obj, "isSidechain")) return;

        f.cwd = stringAt(obj, "cwd");
        f.branch = stringAt(obj, "gitBranch");
        f.permissionMode = stringAt(obj, "permissionMode");
        f.timestamp = stringAt(obj, "timestamp");

        std::string_view type;
        if (obj["type"].get_string().get(type)) return;
        if (type == "last-prompt") {
            f.activity = false;
            lastPrompt(obj, f);
        } else if (type == "user") {
            user(obj, f);
        } else if (type == "assistant") {
            assistant(obj, f);
        } else if (type == "system") {
            const auto subtype = stringAt(obj, "subtype");
            if (subtype == "turn_duration" || subtype == "stop_hook_summary")
                f.effect = LineFacts::Effect::turnEnd;
        } else if (type == "summary" || type == "file-history-snapshot") {
            f.activity = false;
        }
    }

    static void lastPrompt(simdjson::dom::object obj, LineFacts& f) {
        std::string_view text;
        if (obj["lastPrompt"].get_string().get(text)) return;
        f.effect = LineFacts::Effect::lastPrompt;
        f.textHash = textHash(text);
    }

    static void user(simdjson::dom::object obj, LineFacts& f) {
        using E = LineFacts::Effect;
        std::optional<E> kind;
        std::optional<std::string_view> text;

        simdjson::dom::object message;
        simdjson::dom::element content;
        if (!obj["message"].get_object().get(message) && !message["content"].get(content)) {
            std::string_view str;
            simdjson::dom::array blocks;
            if (!content.get_string().get(str)) {
                text = str;
            } else if (blocksOf(content, blocks)) {
                bool hasToolResult = false;
                std::optional<simdjson::dom::element> firstText;
                for (auto block : blocks) {
                    std::string_view t;
                    if (block["type"].get_string().get(t)) continue;
                    if (t == "tool_result") hasToolResult = true;
                    if (t == "text" && !firstText) firstText = block;
                }
                if (hasToolResult)
                    kind = E::toolResult;
                else if (firstText && !(*firstText)["text"].get_string().get(str))
                    text = str;
                else if (firstText)
                    kind = E::prompt; // a text block without text: the user, but no prompt time
            }
        }

        if (obj["toolUseResult"].error() == simdjson::SUCCESS) {
            f.effect = E::toolResult;
            return;
        }
        if (text) {
            if (startsWith(*text, interruptedPrefix))
                kind = E::interrupted;
            else if (isCommandNoise(*text))
                kind = E::commandNoise;
            else if (isTrue(obj, "isCompactSummary") || isTrue(obj, "isVisibleInTranscriptOnly"))
                kind = E::aside;
            else if (isTrue(obj, "isMeta") || isInjected(*text))
                kind = E::injected;
            else
                kind = E::prompt;
        }
        if (!kind) return;
        f.effect = *kind;
        if (*kind != E::prompt) return;
        f.hasText = text.has_value();
        if (!text) return;
        f.textHash = textHash(*text);
        if (!f.timestamp.empty()) f.at = parseTimestamp(f.timestamp);
    }

    static void assistant(simdjson::dom::object obj, LineFacts& f) {
        using E = LineFacts::Effect;
        simdjson::dom::object message;
        if (obj["message"].get_object().get(message)) return;
        f.effect = E::assistantOther;

        std::int64_t toolUses = 0;
        bool hasText = false, hasThinking = false, anyAsks = false, allBackground = true;
        simdjson::dom::element content;
        simdjson::dom::array blocks;
        if (!message["content"].get(content) && blocksOf(content, blocks)) {
            for (auto block : blocks) {
                std::string_view t;
                if (block["type"].get_string().get(t)) continue;
                if (t == "tool_use") {
                    ++toolUses;
                    std::string_view name;
                    if (block["name"].get_string().get(name)) name = {};
                    anyAsks = anyAsks || asksUser(name);
                    allBackground = allBackground && waitsInBackground(name);
                } else if (t == "text") {
                    hasText = true;
                } else if (t == "thinking" || t == "redacted_thinking") {
                    hasThinking = true;
                }
            }
        }
        if (toolUses >= 1) {
            f.effect = E::toolUse;
            f.calls = toolUses;
            f.askUser = anyAsks;
            f.inBackground = allBackground;
        } else if (hasText) {
            f.effect = E::text;
            f.endTurn = stringAt(message, "stop_reason") == "end_turn";
        } else if (hasThinking) {
            f.effect = E::thinking;
        }
    }

    void afterParse() {
        if (parser.capacity() > keepCapacity) parser = simdjson::dom::parser{};
    }
};

LineClassifier::LineClassifier() : impl_(std::make_unique<Impl>()) {}
LineClassifier::~LineClassifier() = default;

std::size_t LineClassifier::padding() { return simdjson::SIMDJSON_PADDING; }

void LineClassifier::readPadded(std::string_view line, LineFacts& out) {
    if (line.size() > maxLineBytes) {
        out = LineFacts{};
        return;
    }
    impl_->read(line.data(), line.size(), out);
}

void LineClassifier::parsePadded(std::string_view line, FileState& st, Instant now) {
    LineFacts f;
    readPadded(line, f);
    applyLine(f, st, now);
    impl_->afterParse();
}

void LineClassifier::parseLine(std::string_view line, FileState& st, Instant now) {
    if (line.size() > maxLineBytes) return;
    auto& buf = impl_->scratch;
    if (buf.size() < line.size() + padding()) buf.resize(line.size() + padding());
    std::memcpy(buf.data(), line.data(), line.size());
    parsePadded(std::string_view(buf.data(), line.size()), st, now);
    if (buf.size() > keepCapacity) std::vector<char>().swap(buf);
}

void parseLine(std::string_view line, FileState& st, Instant now) {
    thread_local LineClassifier classifier;
    classifier.parseLine(line, st, now);
}

} // namespace fray
