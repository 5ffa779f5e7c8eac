#include "TranscriptGenerator.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace fray::test {

namespace {

constexpr std::array<std::string_view, 10> prompts{
    "add retry + idempotency keys to the stripe webhook handler",
    "explain what `useDeferredValue` does here",
    "why does the checkout test fail on CI but not locally?",
    "bump the dependencies and fix whatever breaks",
    "refactor the queue worker so it can be cancelled",
    "rename Order.total to Order.amountDue everywhere",
    "write a migration that backfills the `region` column",
    "make the build warning-free under -Wpedantic",
    "the dashboard is slow when there are 10k rows, profile it",
    "add a --dry-run flag to the deploy script",
};

// Escaped in JSON: quotes, tabs, non-ASCII, long and short lines.
constexpr std::array<std::string_view, 12> codeLines{
    "import { retry } from \"../lib/retry\";",
    "export async function handle(event: Stripe.Event): Promise<void> {",
    "  const key = `${event.id}:${event.type}`;",
    "  if (await seen.has(key)) return; // already processed",
    "\tfor (let i = 0; i < attempts; i++) {",
    "    console.log('attempt', i, \"of\", attempts);",
    "  }",
    "PASS src/webhooks/stripe.test.ts (4.212 s)",
    "  ✓ retries transient failures (41 ms)",
    "error TS2345: Argument of type 'string' is not assignable to parameter of type 'number'.",
    "drwxr-xr-x  12 dev dev  4096 Jan 31 09:15 node_modules",
    "warning: unused variable `backoff` — prefix it",
};

// Tool inputs by name; the ordinary ones ask for permission in the default mode.
std::string_view toolInput(std::string_view tool) {
    if (tool == "Bash") return R"({"command":"npm test -- webhooks","description":"Run the webhook tests"})";
    if (tool == "Read") return R"({"file_path":"/home/dev/code/orbit-api/src/webhooks/stripe.ts"})";
    if (tool == "Grep") return R"({"pattern":"idempotency","path":"src"})";
    if (tool == "Edit")
        return R"({"file_path":"src/queue/retry.ts","old_string":"attempts = 3","new_string":"attempts = 5"})";
    if (tool == "Task")
        return R"({"description":"Audit retry paths","prompt":"Find every retry loop and report its backoff.","subagent_type":"general-purpose"})";
    if (tool == "TaskOutput") return R"({"task_id":"b7f31c2","block":true,"timeout":600000})";
    if (tool == "AskUserQuestion")
        return R"({"questions":[{"question":"Keep the old endpoint?","header":"Endpoint","options":[{"label":"Keep","description":"Both live for a release"},{"label":"Drop","description":"Remove it now"}],"multiSelect":false}]})";
    if (tool == "ExitPlanMode") return R"({"plan":"1. Add the key column\n2. Backfill\n3. Switch reads"})";
    return "{}";
}

constexpr std::array<std::string_view, 4> ordinaryTools{"Bash", "Read", "Grep", "Edit"};

bool stopReasonsWritten(const std::string& version) {
    // "major.minor.patch"; from 2.1.14 on every line's stop reason is null.
    int major = 0, minor = 0, patch = 0;
    std::sscanf(version.c_str(), "%d.%d.%d", &major, &minor, &patch);
    return std::array{major, minor, patch} < std::array{2, 1, 14};
}

} // namespace

std::string jsonEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string isoTimestamp(Instant t) {
    const auto ms = std::llround(toUnixSeconds(t) * 1000.0);
    const std::time_t whole = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    gmtime_r(&whole, &tm);
    char buf[40];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    std::snprintf(buf + n, sizeof buf - n, ".%03lldZ", static_cast<long long>(ms % 1000));
    return buf;
}

TranscriptGenerator::TranscriptGenerator(std::uint64_t seed, std::string cwd, std::string branch)
    : rng_(seed), cwd_(std::move(cwd)), branch_(std::move(branch)) {
    sessionId_ = id("", 8) + "-" + id("", 4) + "-" + id("", 4) + "-" + id("", 4) + "-" + id("", 12);
}

std::size_t TranscriptGenerator::uniform(std::size_t lo, std::size_t hi) {
    return std::uniform_int_distribution<std::size_t>(lo, hi)(rng_);
}

std::string TranscriptGenerator::id(std::string_view prefix, int len) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out(prefix);
    for (int i = 0; i < len; ++i)
        out += hex[uniform(0, 15)];
    return out;
}

std::string TranscriptGenerator::text(std::size_t approxBytes) {
    std::string out;
    while (out.size() < approxBytes)
        out.append(codeLines[uniform(0, codeLines.size() - 1)]).push_back('\n');
    return out;
}

// The fields every record of the conversation carries, `fields` among them.
std::string TranscriptGenerator::record(std::string_view type, std::string_view fields) {
    clock_ = clock_ + 0.8;
    std::string out = "{\"parentUuid\":\"" + id("", 8) + "-" + id("", 4) +
                      "\",\"isSidechain\":false,\"userType\":\"external\",\"cwd\":\"" + jsonEscape(cwd_) +
                      "\",\"sessionId\":\"" + sessionId_ + "\",\"version\":\"" + version_ +
                      "\",\"gitBranch\":\"" + jsonEscape(branch_) + "\",\"type\":\"" + std::string(type) +
                      "\"";
    if (!fields.empty()) out += "," + std::string(fields);
    out += ",\"uuid\":\"" + id("", 8) + "-" + id("", 4) + "-" + id("", 4) + "\",\"timestamp\":\"" +
           isoTimestamp(clock_) + "\"}";
    return out;
}

std::string TranscriptGenerator::envelope(std::string_view type, std::string_view messageJson,
                                          std::string_view extra) {
    std::string fields = "\"message\":" + std::string(messageJson);
    if (!extra.empty()) fields += "," + std::string(extra);
    return record(type, fields);
}

std::string TranscriptGenerator::userPrompt(Instant at, std::string_view text) {
    if (text.empty()) text = prompts[uniform(0, prompts.size() - 1)];
    lastPromptText_ = std::string(text);
    replyId_.clear();
    clock_ = at - 0.8;
    return envelope("user", "{\"role\":\"user\",\"content\":\"" + jsonEscape(text) + "\"}",
                    "\"permissionMode\":\"" + permissionMode_ + "\"");
}

std::string TranscriptGenerator::commandNoise(Instant at) {
    clock_ = at - 0.8;
    return envelope("user", "{\"role\":\"user\",\"content\":\"  \\n<command-name>/clear</command-name>\\n"
                            "<command-message>clear</command-message>\\n<command-args></command-args>\"}");
}

std::string TranscriptGenerator::slashCommand(std::string_view name) {
    const std::string n = jsonEscape(name);
    return metaLine(
               "Caveat: The messages below were generated by the user while running local commands. DO NOT "
               "respond to these messages.") +
           "\n" +
           envelope("user", "{\"role\":\"user\",\"content\":\"<command-name>" + n +
                                "</command-name>\\n"
                                "<command-message>" +
                                n.substr(1) + "</command-message>\\n<command-args></command-args>\"}") +
           "\n" +
           envelope("user", "{\"role\":\"user\",\"content\":\"<local-command-stdout>" + n +
                                " done</local-command-stdout>\"}");
}

std::string TranscriptGenerator::metaLine(std::string_view text) {
    return envelope("user", "{\"role\":\"user\",\"content\":\"" + jsonEscape(text) + "\"}",
                    "\"isMeta\":true");
}

std::string TranscriptGenerator::compactSummary() {
    return envelope(
        "user",
        "{\"role\":\"user\",\"content\":\"This session is being continued from a previous conversation "
        "that ran out of context. The conversation is summarized below:\\n" +
            jsonEscape(text(600)) + "\"}",
        "\"isVisibleInTranscriptOnly\":true,\"isCompactSummary\":true");
}

std::string TranscriptGenerator::taskNotification() {
    return envelope("user",
                    "{\"role\":\"user\",\"content\":\"<task-notification>\\n<task-id>b7f31c2</task-id>\\n"
                    "<status>completed</status>\\n<summary>Background command \\\"npm run build\\\" "
                    "completed (exit code 0)</summary>\\n</task-notification>\"}");
}

std::string TranscriptGenerator::stopHookFeedback() {
    return metaLine(
        "Stop hook feedback:\n[~/.claude/hooks/check-tests.sh]: 2 tests still fail in src/webhooks");
}

std::string TranscriptGenerator::assistantLine(std::string_view blockJson, bool endsTurn) {
    if (replyId_.empty()) replyId_ = id("msg_01", 22);
    const char* stop = endsTurn && stopReasonsWritten(version_) ? "\"end_turn\"" : "null";
    return envelope(
        "assistant",
        "{\"model\":\"claude-opus-4-5-20251101\",\"id\":\"" + replyId_ +
            "\",\"type\":\"message\",\"role\":\"assistant\",\"content\":[" + std::string(blockJson) +
            "],\"stop_reason\":" + stop +
            ",\"stop_sequence\":null,\"usage\":{\"input_tokens\":4,\"cache_creation_input_tokens\":1721,"
            "\"cache_read_input_tokens\":40322,\"output_tokens\":212,\"service_tier\":\"standard\"}}",
        "\"requestId\":\"" + id("req_011", 20) + "\"");
}

std::string TranscriptGenerator::assistantText(std::string_view text, bool endsTurn) {
    if (text.empty()) text = "Done — the handler retries with backoff.\n\nTests pass.";
    std::string line = assistantLine("{\"type\":\"text\",\"text\":\"" + jsonEscape(text) + "\"}", endsTurn);
    if (endsTurn) replyId_.clear();
    return line;
}

std::string TranscriptGenerator::assistantThinking() {
    return assistantLine("{\"type\":\"thinking\",\"thinking\":\"" + jsonEscape(text(uniform(200, 1200))) +
                         "\",\"signature\":\"" + id("Eq", 120) + "\"}");
}

std::string TranscriptGenerator::toolCall(std::string_view tool) {
    toolId_ = id("toolu_01", 22);
    return assistantLine("{\"type\":\"tool_use\",\"id\":\"" + toolId_ + "\",\"name\":\"" + std::string(tool) +
                         "\",\"input\":" + std::string(toolInput(tool)) + "}");
}

std::string TranscriptGenerator::toolUse(int calls) {
    std::string out;
    for (int i = 0; i < calls; ++i) {
        if (i) out += '\n';
        out += toolCall(ordinaryTools[uniform(0, ordinaryTools.size() - 1)]);
    }
    return out;
}

std::string TranscriptGenerator::toolResult(std::size_t bytes) {
    replyId_.clear(); // the next assistant line is another reply
    // Claude Code stores the output twice: in the message and in toolUseResult.
    std::string out = jsonEscape(text(bytes / 2));
    return envelope("user",
                    "{\"role\":\"user\",\"content\":[{\"tool_use_id\":\"" +
                        (toolId_.empty() ? id("toolu_01", 22) : toolId_) +
                        "\",\"type\":\"tool_result\",\"content\":\"" + out + "\",\"is_error\":false}]}",
                    "\"toolUseResult\":{\"stdout\":\"" + out +
                        "\",\"stderr\":\"\",\"interrupted\":false,"
                        "\"isImage\":false}");
}

std::string TranscriptGenerator::progress(std::string_view kind) {
    std::string data = "{\"type\":\"" + std::string(kind) + "\"";
    if (kind == "bash_progress")
        data += ",\"output\":\"" + jsonEscape(text(120)) +
                "\",\"elapsedTimeSeconds\":" + std::to_string(uniform(1, 200)) +
                ",\"totalLines\":" + std::to_string(uniform(1, 400));
    else if (kind == "hook_progress")
        data += ",\"hookEvent\":\"PreToolUse\",\"hookName\":\"PreToolUse:Bash\",\"command\":\"~/.claude/"
                "hooks/guard.sh\"";
    else if (kind == "agent_progress")
        data +=
            ",\"message\":{\"type\":\"assistant\",\"message\":{\"role\":\"assistant\",\"content\":[{\"type\":"
            "\"tool_use\",\"id\":\"" +
            id("toolu_01", 22) + "\",\"name\":\"Grep\",\"input\":{}}]}}";
    else if (kind == "waiting_for_task")
        data += ",\"taskDescription\":\"npm run build\",\"taskType\":\"local_bash\"";
    data += "}";
    return record("progress", "\"data\":" + data + ",\"toolUseID\":\"" + id("toolu_01", 22) +
                                  "\",\"parentToolUseID\":\"" + toolId_ + "\"");
}

std::string TranscriptGenerator::system(std::string_view subtype) {
    std::string fields = "\"subtype\":\"" + std::string(subtype) + "\"";
    if (subtype == "stop_hook_summary")
        fields +=
            ",\"hookCount\":1,\"hookInfos\":[{\"command\":\"~/.claude/hooks/notify.sh\"}],\"hookErrors\":[],"
            "\"preventedContinuation\":false,\"stopReason\":\"\",\"hasOutput\":false,\"level\":"
            "\"suggestion\"";
    else if (subtype == "turn_duration")
        fields += ",\"durationMs\":" + std::to_string(uniform(2000, 900000)) + ",\"isMeta\":false";
    else if (subtype == "compact_boundary")
        fields +=
            ",\"content\":\"Conversation compacted\",\"isMeta\":false,\"level\":\"info\",\"compactMetadata\":"
            "{\"trigger\":\"manual\",\"preTokens\":151302}";
    else
        fields += ",\"content\":\"<command-name>/mcp</command-name>\",\"level\":\"info\",\"isMeta\":false";
    return record("system", fields);
}

std::string TranscriptGenerator::queueOperation(std::string_view op) {
    clock_ = clock_ + 0.8;
    return "{\"type\":\"queue-operation\",\"operation\":\"" + std::string(op) + "\",\"timestamp\":\"" +
           isoTimestamp(clock_) + "\",\"sessionId\":\"" + sessionId_ + "\"" +
           (op == "enqueue" ? ",\"content\":\"also update the changelog\"" : "") + "}";
}

std::string TranscriptGenerator::fileHistorySnapshot() {
    const std::string msg = id("", 8) + "-" + id("", 4);
    return "{\"type\":\"file-history-snapshot\",\"messageId\":\"" + msg +
           "\",\"snapshot\":{\"messageId\":\"" + msg + "\",\"trackedFileBackups\":{},\"timestamp\":\"" +
           isoTimestamp(clock_) + "\"},\"isSnapshotUpdate\":false}";
}

std::string TranscriptGenerator::summary() {
    // Written with another conversation's leaf, long after this one ended.
    return "{\"type\":\"summary\",\"summary\":\"Stripe webhook retries and idempotency\",\"leafUuid\":\"" +
           id("", 8) + "-" + id("", 4) + "-" + id("", 4) + "\"}";
}

std::string TranscriptGenerator::sidechain() {
    std::string line = toolCall(ordinaryTools[uniform(0, ordinaryTools.size() - 1)]);
    return line.replace(line.find("\"isSidechain\":false"), 19, "\"isSidechain\":true");
}

std::string TranscriptGenerator::lastPrompt(std::string_view t) {
    return "{\"type\":\"last-prompt\",\"lastPrompt\":\"" + jsonEscape(t) + "\",\"sessionId\":\"" +
           sessionId_ + "\"}";
}

std::string TranscriptGenerator::session(int turns, Instant start, std::size_t minResult,
                                         std::size_t maxResult, int minCalls, int maxCalls) {
    std::string out;
    Instant t = start;
    auto add = [&](const std::string& line) { out += line + '\n'; };
    bool queued = false;
    for (int turn = 0; turn < turns; ++turn) {
        if (turn == 0) add(commandNoise(t));
        if (queued) add(queueOperation("dequeue"));
        add(fileHistorySnapshot());
        add(userPrompt(t, prompts[static_cast<std::size_t>(turn) % prompts.size()]));
        add(assistantThinking());
        add(assistantText("Let me look at the handler first."));
        for (auto calls = uniform(static_cast<std::size_t>(minCalls), static_cast<std::size_t>(maxCalls));
             calls > 0;) {
            const std::size_t parallel = std::min<std::size_t>(uniform(1, 2), calls);
            std::vector<std::string> ids;
            for (std::size_t i = 0; i < parallel; ++i) {
                const auto tool = ordinaryTools[uniform(0, ordinaryTools.size() - 1)];
                add(toolCall(tool));
                ids.push_back(toolId_);
                if (tool == "Bash") add(progress("bash_progress"));
            }
            for (const auto& callId : ids) {
                toolId_ = callId;
                add(toolResult(uniform(minResult, maxResult)));
            }
            if (uniform(0, 5) == 0) add(sidechain());
            calls -= parallel;
        }
        queued = uniform(0, 3) == 0;
        if (queued) add(queueOperation("enqueue"));
        add(assistantText({}, true));
        add(system("stop_hook_summary"));
        add(lastPrompt(lastPromptText_));
        t = t + 90.0;
    }
    return out;
}

std::vector<std::string> TranscriptGenerator::smallLines(std::size_t count, Instant start) {
    std::vector<std::string> lines;
    for (Instant t = start; lines.size() < count; t = t + 5.0) {
        switch (uniform(0, 6)) {
        case 0:
            lines.push_back(userPrompt(t));
            break;
        case 1:
            lines.push_back(assistantText());
            break;
        case 2:
            lines.push_back(toolUse(1));
            break;
        case 3:
            lines.push_back(toolResult(uniform(40, 400)));
            break;
        case 4:
            lines.push_back(commandNoise(t));
            break;
        case 5:
            lines.push_back(sidechain());
            break;
        default:
            lines.push_back(lastPrompt(prompts[uniform(0, prompts.size() - 1)]));
            break;
        }
    }
    return lines;
}

std::vector<std::string> TranscriptGenerator::largeMix(std::size_t totalBytes, Instant start) {
    std::vector<std::string> lines;
    std::size_t total = 0;
    for (Instant t = start; total < totalBytes; t = t + 5.0) {
        std::string line;
        switch (uniform(0, 4)) {
        case 0:
            line = userPrompt(t);
            break;
        case 1:
            line = toolUse(1);
            break;
        case 2:
            line = assistantText();
            break;
        default:
            line = toolResult(uniform(50 * 1024, 500 * 1024));
            break;
        }
        total += line.size() + 1;
        lines.push_back(std::move(line));
    }
    return lines;
}

RolloutGenerator::RolloutGenerator(std::uint64_t seed, std::string cwd, std::string cliVersion)
    : rng_(seed), text_(seed * 31 + 7), cwd_(std::move(cwd)), cliVersion_(std::move(cliVersion)) {}

std::size_t RolloutGenerator::uniform(std::size_t lo, std::size_t hi) {
    return std::uniform_int_distribution<std::size_t>(lo, hi)(rng_);
}

std::string RolloutGenerator::line(std::string_view type, std::string_view payload) {
    std::string out = "{\"timestamp\":\"" + isoTimestamp(clock_) + "\",\"type\":\"" + std::string(type) +
                      "\",\"payload\":" + std::string(payload) + "}";
    return out;
}

std::string RolloutGenerator::sessionMeta(std::size_t instructionsBytes) {
    // 0.77 wrote "instructions"; 0.125 and later "base_instructions".
    int minor = 0;
    std::sscanf(cliVersion_.c_str(), "0.%d", &minor);
    const char* key = minor >= 125 ? "base_instructions" : "instructions";
    return line("session_meta", "{\"id\":\"0199a1b2-7c3d-7e4f-8a9b-0c1d2e3f4a5b\",\"timestamp\":\"" +
                                    isoTimestamp(clock_) + "\",\"cwd\":\"" + jsonEscape(cwd_) +
                                    "\",\"originator\":\"codex_cli_rs\",\"cli_version\":\"" + cliVersion_ +
                                    "\",\"" + key + "\":\"" + jsonEscape(text_.text(instructionsBytes)) +
                                    "\",\"git\":{\"branch\":\"main\"}}");
}

std::string RolloutGenerator::turnContext() {
    return line("turn_context",
                "{\"cwd\":\"" + jsonEscape(cwd_) + "\",\"approval_policy\":\"" + approval_ +
                    "\",\"sandbox_policy\":{\"type\":\"workspace-write\",\"network_access\":false},"
                    "\"model\":\"gpt-5.1-codex\",\"effort\":\"medium\",\"summary\":\"auto\"}");
}

std::string RolloutGenerator::userMessage(std::string_view text) {
    const std::string t = jsonEscape(text.empty() ? text_.text(200) : std::string(text));
    return line("response_item",
                "{\"type\":\"message\",\"role\":\"user\",\"content\":[{\"type\":\"input_text\","
                "\"text\":\"" +
                    t + "\"}]}") +
           "\n" + line("event_msg", "{\"type\":\"user_message\",\"message\":\"" + t + "\",\"images\":[]}");
}

std::string RolloutGenerator::taskStarted() {
    return line("event_msg", "{\"type\":\"task_started\",\"model_context_window\":272000}");
}

std::string RolloutGenerator::taskComplete() {
    return line("event_msg", "{\"type\":\"task_complete\",\"last_agent_message\":\"Done.\"}");
}

std::string RolloutGenerator::agentMessage(std::string_view phase) {
    return line("event_msg", "{\"type\":\"agent_message\",\"message\":\"" + jsonEscape(text_.text(400)) +
                                 "\",\"phase\":\"" + std::string(phase) + "\"}");
}

std::string RolloutGenerator::reasoning() {
    return line("response_item",
                "{\"type\":\"reasoning\",\"summary\":[{\"type\":\"summary_text\",\"text\":\"" +
                    jsonEscape(text_.text(300)) + "\"}],\"content\":null,\"encrypted_content\":\"gAAAAABo" +
                    std::string(200, 'Q') + "\"}");
}

std::string RolloutGenerator::functionCall() {
    callId_ = "call_" + std::to_string(++calls_);
    return line(
        "response_item",
        "{\"type\":\"function_call\",\"name\":\"shell_command\",\"arguments\":\"{\\\"command\\\":\\\"rg -n "
        "TODO src\\\",\\\"workdir\\\":\\\"" +
            jsonEscape(cwd_) + "\\\"}\",\"call_id\":\"" + callId_ + "\"}");
}

std::string RolloutGenerator::functionCallOutput(std::size_t bytes) {
    return line("event_msg", "{\"type\":\"exec_command_end\",\"call_id\":\"" + callId_ +
                                 "\",\"exit_code\":0,\"duration\":{\"secs\":0,\"nanos\":212000000}}") +
           "\n" +
           line("response_item", "{\"type\":\"function_call_output\",\"call_id\":\"" + callId_ +
                                     "\",\"output\":\"Exit code: 0\\nOutput:\\n" +
                                     jsonEscape(text_.text(bytes)) + "\"}");
}

std::string RolloutGenerator::customToolCall() {
    callId_ = "call_" + std::to_string(++calls_);
    return line("response_item",
                "{\"type\":\"custom_tool_call\",\"status\":\"completed\",\"call_id\":\"" + callId_ +
                    "\",\"name\":\"apply_patch\",\"input\":\"*** Begin Patch\\n*** Update File: "
                    "src/retry.ts\\n@@\\n-attempts = 3\\n+attempts = 5\\n*** End Patch\"}");
}

std::string RolloutGenerator::customToolCallOutput() {
    return line("event_msg",
                "{\"type\":\"patch_apply_end\",\"call_id\":\"" + callId_ + "\",\"success\":true}") +
           "\n" +
           line("response_item",
                "{\"type\":\"custom_tool_call_output\",\"call_id\":\"" + callId_ +
                    "\",\"output\":\"{\\\"output\\\":\\\"Success. Updated the following files:\\\\nM "
                    "src/retry.ts\\\\n\\\"}\"}");
}

std::string RolloutGenerator::webSearch() {
    return line("response_item",
                "{\"type\":\"web_search_call\",\"status\":\"completed\",\"action\":{\"type\":"
                "\"search\",\"query\":\"stripe idempotency key header\"}}") +
           "\n" +
           line("event_msg", "{\"type\":\"web_search_end\",\"call_id\":\"ws_" + std::to_string(++calls_) +
                                 "\",\"query\":\"stripe idempotency key header\"}");
}

std::string RolloutGenerator::tokenCount() {
    return line("event_msg",
                "{\"type\":\"token_count\",\"info\":{\"total_token_usage\":{\"input_tokens\":48213,"
                "\"cached_input_tokens\":40960,\"output_tokens\":1290,\"total_tokens\":49503}},"
                "\"rate_limits\":{\"primary\":{\"used_percent\":12.0,\"window_minutes\":300}}}");
}

std::string RolloutGenerator::developerMessage() {
    return line("response_item",
                "{\"type\":\"message\",\"role\":\"developer\",\"content\":[{\"type\":\"input_text\","
                "\"text\":\"<permissions instructions>Approval policy is currently " +
                    approval_ + ".</permissions instructions>\"}]}");
}

std::string RolloutGenerator::rollout(std::size_t bytes, int minCalls, int maxCalls, std::size_t minOutput,
                                      std::size_t maxOutput) {
    std::string out = sessionMeta() + "\n" + developerMessage() + "\n";
    while (out.size() < bytes) {
        out += taskStarted() + "\n" + turnContext() + "\n" + userMessage() + "\n";
        for (auto calls = uniform(static_cast<std::size_t>(minCalls), static_cast<std::size_t>(maxCalls));
             calls > 0; --calls) {
            out += reasoning() + "\n" + functionCall() + "\n" +
                   functionCallOutput(uniform(minOutput, maxOutput)) + "\n" + tokenCount() + "\n";
        }
        out += agentMessage("final_answer") + "\n" + tokenCount() + "\n" + taskComplete() + "\n";
    }
    return out;
}

} // namespace fray::test
