#include "LineClassifier.h"

#include "session/Timestamp.h"
#include "session/UnicodeText.h"

#include <simdjson.h>

#include <cstring>
#include <vector>

namespace fray {

namespace {

constexpr std::string_view interruptedPrefix = "[Request interrupted";

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

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

// The tool and the input field that says what it does: the command of a shell, the file
// of a read or an edit, the pattern of a search, else the first text the input holds.
PendingCall pendingCall(std::string_view tool, simdjson::simdjson_result<simdjson::dom::element> input) {
    static constexpr std::pair<std::string_view, std::string_view> fields[] = {
        {"Bash", "command"},        {"Read", "file_path"},
        {"Edit", "file_path"},      {"Write", "file_path"},
        {"MultiEdit", "file_path"}, {"Grep", "pattern"},
        {"Glob", "pattern"},        {"NotebookEdit", "notebook_path"}};
    std::string_view text;
    simdjson::dom::object object;
    if (!input.get_object().get(object)) {
        bool found = false;
        for (const auto& [name, field] : fields)
            if (name == tool) found = !object[field].get_string().get(text);
        if (!found)
            for (auto field : object)
                if (!field.value.get_string().get(text)) break;
    }
    return {UnicodeText::oneLine(tool, 40), UnicodeText::oneLine(text, PendingCall::summaryCharacters)};
}

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
        st.pendingCall = f.call;
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

    static std::string_view stringOf(simdjson::dom::element value) {
        std::string_view s;
        if (value.get_string().get(s)) return {};
        return s;
    }

    static bool isTrue(simdjson::dom::element value) {
        bool b = false;
        return !value.get_bool().get(b) && b;
    }

    // The top-level fields the classifier reads, gathered in one pass over the line's keys
    // rather than one search per key; the first of a repeated key counts.
    struct Fields {
        std::string_view type, cwd, branch, permissionMode, timestamp, subtype;
        std::optional<std::string_view> lastPrompt;
        std::optional<simdjson::dom::object> message;
        bool hasType = false, toolUseResult = false;
        bool sidechain = false, meta = false, compactSummary = false, transcriptOnly = false;
    };

    static Fields fieldsOf(simdjson::dom::object obj) {
        Fields f;
        std::uint32_t seen = 0;
        auto first = [&](int bit) {
            const bool fresh = !(seen & (1u << bit));
            seen |= 1u << bit;
            return fresh;
        };
        for (auto field : obj) {
            const std::string_view k = field.key;
            const simdjson::dom::element v = field.value;
            if (k == "type") {
                if (first(0)) f.hasType = !v.get_string().get(f.type);
            } else if (k == "cwd") {
                if (first(1)) f.cwd = stringOf(v);
            } else if (k == "gitBranch") {
                if (first(2)) f.branch = stringOf(v);
            } else if (k == "timestamp") {
                if (first(3)) f.timestamp = stringOf(v);
            } else if (k == "message") {
                simdjson::dom::object m;
                if (first(4) && !v.get_object().get(m)) f.message = m;
            } else if (k == "isSidechain") {
                if (first(5)) f.sidechain = isTrue(v);
            } else if (k == "permissionMode") {
                if (first(6)) f.permissionMode = stringOf(v);
            } else if (k == "toolUseResult") {
                f.toolUseResult = true;
            } else if (k == "isMeta") {
                if (first(7)) f.meta = isTrue(v);
            } else if (k == "isCompactSummary") {
                if (first(8)) f.compactSummary = isTrue(v);
            } else if (k == "isVisibleInTranscriptOnly") {
                if (first(9)) f.transcriptOnly = isTrue(v);
            } else if (k == "subtype") {
                if (first(10)) f.subtype = stringOf(v);
            } else if (k == "lastPrompt") {
                std::string_view text;
                if (first(11) && !v.get_string().get(text)) f.lastPrompt = text;
            }
        }
        return f;
    }

    void read(const char* data, std::size_t len, LineFacts& f) {
        f = LineFacts{};
        simdjson::dom::element doc;
        if (parser.parse(reinterpret_cast<const uint8_t*>(data), len, false).get(doc)) return;
        simdjson::dom::object obj;
        if (doc.get_object().get(obj)) return;
        const Fields t = fieldsOf(obj);

        // A sub-agent's line is its work, nothing of the session's own state.
        if (t.sidechain) return;

        f.cwd = t.cwd;
        f.branch = t.branch;
        f.permissionMode = t.permissionMode;
        f.timestamp = t.timestamp;

        if (!t.hasType) return;
        if (t.type == "last-prompt") {
            f.activity = false;
            if (!t.lastPrompt) return;
            f.effect = LineFacts::Effect::lastPrompt;
            f.textHash = textHash(*t.lastPrompt);
        } else if (t.type == "user") {
            user(t, f);
        } else if (t.type == "assistant") {
            assistant(t, f);
        } else if (t.type == "system") {
            if (t.subtype == "turn_duration" || t.subtype == "stop_hook_summary")
                f.effect = LineFacts::Effect::turnEnd;
        } else if (t.type == "summary" || t.type == "file-history-snapshot") {
            f.activity = false;
        }
    }

    static void user(const Fields& t, LineFacts& f) {
        using E = LineFacts::Effect;
        std::optional<E> kind;
        std::optional<std::string_view> text;

        simdjson::dom::element content;
        if (t.message && !(*t.message)["content"].get(content)) {
            std::string_view str;
            simdjson::dom::array blocks;
            if (!content.get_string().get(str)) {
                text = str;
            } else if (blocksOf(content, blocks)) {
                bool hasToolResult = false;
                std::optional<simdjson::dom::element> firstText;
                for (auto block : blocks) {
                    std::string_view type;
                    if (block["type"].get_string().get(type)) continue;
                    if (type == "tool_result") hasToolResult = true;
                    if (type == "text" && !firstText) firstText = block;
                }
                if (hasToolResult)
                    kind = E::toolResult;
                else if (firstText && !(*firstText)["text"].get_string().get(str))
                    text = str;
                else if (firstText)
                    kind = E::prompt; // a text block without text: the user, but no prompt time
            }
        }

        if (t.toolUseResult) {
            f.effect = E::toolResult;
            return;
        }
        if (text) {
            if (startsWith(*text, interruptedPrefix))
                kind = E::interrupted;
            else if (isCommandNoise(*text))
                kind = E::commandNoise;
            else if (t.compactSummary || t.transcriptOnly)
                kind = E::aside;
            else if (t.meta || isInjected(*text))
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

    static void assistant(const Fields& t, LineFacts& f) {
        using E = LineFacts::Effect;
        if (!t.message) return;
        f.effect = E::assistantOther;

        simdjson::dom::element content;
        std::string_view stopReason;
        bool hasContent = false;
        for (auto field : *t.message) {
            if (field.key == "content" && !hasContent) {
                content = field.value;
                hasContent = true;
            } else if (field.key == "stop_reason" && stopReason.empty()) {
                stopReason = stringOf(field.value);
            }
        }
        std::int64_t toolUses = 0;
        bool hasText = false, hasThinking = false, anyAsks = false, allBackground = true;
        simdjson::dom::array blocks;
        if (hasContent && blocksOf(content, blocks)) {
            for (auto block : blocks) {
                std::string_view type;
                if (block["type"].get_string().get(type)) continue;
                if (type == "tool_use") {
                    ++toolUses;
                    std::string_view name;
                    if (block["name"].get_string().get(name)) name = {};
                    f.call = pendingCall(name, block["input"]);
                    anyAsks = anyAsks || asksUser(name);
                    allBackground = allBackground && waitsInBackground(name);
                } else if (type == "text") {
                    hasText = true;
                } else if (type == "thinking" || type == "redacted_thinking") {
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
            f.endTurn = stopReason == "end_turn";
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

std::size_t LineClassifier::padding() {
    return simdjson::SIMDJSON_PADDING;
}

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
