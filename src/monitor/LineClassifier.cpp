#include "LineClassifier.h"

#include "session/Timestamp.h"

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

// Parsers keep their largest allocation; drop one that a huge line inflated.
constexpr std::size_t keepCapacity = 1u << 20;

} // namespace

bool isCommandNoise(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    static constexpr std::string_view prefixes[] = {"<local-command", "<command-name",    "<command-message",
                                                    "<command-args",  "<system-reminder", "Caveat:"};
    for (auto p : prefixes)
        if (startsWith(text, p)) return true;
    return false;
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

    static std::string_view blockType(simdjson::dom::element block) {
        std::string_view t;
        if (block["type"].get_string().get(t)) return {};
        return t;
    }

    void classify(const char* data, std::size_t len, FileState& st, Instant now) {
        simdjson::dom::element doc;
        if (parser.parse(reinterpret_cast<const uint8_t*>(data), len, false).get(doc)) return;
        simdjson::dom::object obj;
        if (doc.get_object().get(obj)) return;

        bool sidechain = false;
        if (!obj["isSidechain"].get_bool().get(sidechain) && sidechain) return;

        std::string_view s;
        if (!obj["cwd"].get_string().get(s) && !s.empty()) st.cwd = std::string(s);
        if (!obj["gitBranch"].get_string().get(s) && !s.empty() && s != "HEAD") st.branch = std::string(s);

        std::string_view type;
        if (obj["type"].get_string().get(type)) return;
        if (type == "last-prompt")
            lastPrompt(obj, st, now);
        else if (type == "user")
            user(obj, st, now);
        else if (type == "assistant")
            assistant(obj, st);
    }

    static void lastPrompt(simdjson::dom::object obj, FileState& st, Instant now) {
        std::string_view text;
        if (obj["lastPrompt"].get_string().get(text)) return;
        if (st.lastPromptText && *st.lastPromptText != text && !st.bootstrapping) st.notePrompt(now);
        st.lastPromptText = std::string(text);
    }

    static void user(simdjson::dom::object obj, FileState& st, Instant now) {
        std::optional<LineKind> kind;
        std::optional<std::string_view> text;

        simdjson::dom::object message;
        simdjson::dom::element content;
        if (!obj["message"].get_object().get(message) && !message["content"].get(content)) {
            std::string_view str;
            simdjson::dom::array blocks;
            if (!content.get_string().get(str)) {
                text = str;
                kind = startsWith(str, interruptedPrefix) ? LineKind::interrupted : LineKind::userText;
            } else if (blocksOf(content, blocks)) {
                bool hasToolResult = false;
                std::optional<simdjson::dom::element> firstText;
                for (auto block : blocks) {
                    auto t = blockType(block);
                    if (t == "tool_result") hasToolResult = true;
                    if (t == "text" && !firstText) firstText = block;
                }
                if (hasToolResult) {
                    kind = LineKind::toolResult;
                } else if (firstText) {
                    if (!(*firstText)["text"].get_string().get(str)) {
                        text = str;
                        kind =
                            startsWith(str, interruptedPrefix) ? LineKind::interrupted : LineKind::userText;
                    } else {
                        kind = LineKind::userText;
                    }
                }
            }
        }

        if (obj["toolUseResult"].error() == simdjson::SUCCESS) {
            st.lastKind = LineKind::toolResult;
            return;
        }
        if (!kind) return;
        st.lastKind = *kind;
        if (*kind != LineKind::userText) return;
        st.combo = 0;
        if (!text || isCommandNoise(*text)) return;

        std::optional<Instant> at;
        std::string_view stamp;
        if (!obj["timestamp"].get_string().get(stamp)) at = parseTimestamp(stamp);
        st.notePrompt(at.value_or(now));
    }

    static void assistant(simdjson::dom::object obj, FileState& st) {
        simdjson::dom::object message;
        if (obj["message"].get_object().get(message)) return;
        st.seenAssistant = true;

        std::int64_t toolUses = 0;
        bool hasText = false, hasThinking = false;
        simdjson::dom::element content;
        simdjson::dom::array blocks;
        if (!message["content"].get(content) && blocksOf(content, blocks)) {
            for (auto block : blocks) {
                auto t = blockType(block);
                if (t == "tool_use")
                    ++toolUses;
                else if (t == "text")
                    hasText = true;
                else if (t == "thinking" || t == "redacted_thinking")
                    hasThinking = true;
            }
        }
        if (toolUses >= 1) {
            st.lastKind = LineKind::assistantToolUse;
            st.combo += toolUses;
        } else if (hasText) {
            st.lastKind = LineKind::assistantText;
        } else if (hasThinking) {
            st.lastKind = LineKind::assistantThinking;
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

void LineClassifier::parsePadded(std::string_view line, FileState& st, Instant now) {
    if (line.size() > maxLineBytes) return;
    impl_->classify(line.data(), line.size(), st, now);
    impl_->afterParse();
}

void LineClassifier::parseLine(std::string_view line, FileState& st, Instant now) {
    if (line.size() > maxLineBytes) return;
    auto& buf = impl_->scratch;
    if (buf.size() < line.size() + padding()) buf.resize(line.size() + padding());
    std::memcpy(buf.data(), line.data(), line.size());
    impl_->classify(buf.data(), line.size(), st, now);
    impl_->afterParse();
    if (buf.size() > keepCapacity) std::vector<char>().swap(buf);
}

void parseLine(std::string_view line, FileState& st, Instant now) {
    thread_local LineClassifier classifier;
    classifier.parseLine(line, st, now);
}

} // namespace fray
