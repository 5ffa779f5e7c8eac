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

std::string assistantMessage(std::string_view id, std::string_view contentJson) {
    return "{\"id\":\"" + std::string(id) +
           "\",\"type\":\"message\",\"role\":\"assistant\",\"model\":\"claude-sonnet-4-5-20250929\","
           "\"content\":" +
           std::string(contentJson) +
           ",\"stop_reason\":null,\"stop_sequence\":null,\"usage\":{\"input_tokens\":4,\"cache_creation_"
           "input_"
           "tokens\":1721,\"cache_read_input_tokens\":40322,\"output_tokens\":212,\"service_tier\":"
           "\"standard\"}}";
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

std::string TranscriptGenerator::envelope(std::string_view type, std::string_view messageJson,
                                          std::string_view extra) {
    clock_ = clock_ + 0.8;
    std::string out = "{\"parentUuid\":\"" + id("", 8) + "-" + id("", 4) +
                      "\",\"isSidechain\":false,\"userType\":\"external\",\"cwd\":\"" + jsonEscape(cwd_) +
                      "\",\"sessionId\":\"" + sessionId_ + "\",\"version\":\"2.0.31\",\"gitBranch\":\"" +
                      jsonEscape(branch_) + "\",\"type\":\"" + std::string(type) + "\",\"message\":";
    out += messageJson;
    if (!extra.empty()) out += "," + std::string(extra);
    out += ",\"uuid\":\"" + id("", 8) + "-" + id("", 4) + "-" + id("", 4) + "\",\"timestamp\":\"" +
           isoTimestamp(clock_) + "\"}";
    return out;
}

std::string TranscriptGenerator::userPrompt(Instant at, std::string_view text) {
    if (text.empty()) text = prompts[uniform(0, prompts.size() - 1)];
    clock_ = at - 0.8;
    return envelope("user", "{\"role\":\"user\",\"content\":\"" + jsonEscape(text) + "\"}");
}

std::string TranscriptGenerator::commandNoise(Instant at) {
    clock_ = at - 0.8;
    return envelope("user", "{\"role\":\"user\",\"content\":\"  \\n<command-name>/clear</command-name>\\n"
                            "<command-message>clear</command-message>\\n<command-args></command-args>\"}");
}

std::string TranscriptGenerator::assistantText() {
    const char* text =
        R"([{"type":"text","text":"Done — the handler retries with backoff.\n\nTests pass."}])";
    return envelope("assistant", assistantMessage(id("msg_01", 22), text),
                    "\"requestId\":\"" + id("req_011", 20) + "\"");
}

std::string TranscriptGenerator::assistantThinking() {
    return envelope("assistant",
                    assistantMessage(id("msg_01", 22), "[{\"type\":\"thinking\",\"thinking\":\"" +
                                                           jsonEscape(text(uniform(200, 1200))) +
                                                           "\",\"signature\":\"" + id("Eq", 120) + "\"}]"));
}

std::string TranscriptGenerator::toolUse(int calls) {
    static constexpr std::array<std::string_view, 4> tools{
        R"("name":"Bash","input":{"command":"npm test -- webhooks","description":"Run the webhook tests"})",
        R"("name":"Read","input":{"file_path":"/home/dev/code/orbit-api/src/webhooks/stripe.ts"})",
        R"("name":"Grep","input":{"pattern":"idempotency","path":"src"})",
        R"("name":"Edit","input":{"file_path":"src/queue/retry.ts","old_string":"attempts = 3","new_string":"attempts = 5"})",
    };
    std::string content = "[";
    for (int i = 0; i < calls; ++i) {
        if (i) content += ',';
        content += "{\"type\":\"tool_use\",\"id\":\"" + id("toolu_01", 22) + "\"," +
                   std::string(tools[uniform(0, tools.size() - 1)]) + "}";
    }
    return envelope("assistant", assistantMessage(id("msg_01", 22), content + "]"));
}

std::string TranscriptGenerator::toolResult(std::size_t bytes) {
    // Claude Code stores the output twice: in the message and in toolUseResult.
    std::string out = jsonEscape(text(bytes / 2));
    return envelope("user",
                    "{\"role\":\"user\",\"content\":[{\"tool_use_id\":\"" + id("toolu_01", 22) +
                        "\",\"type\":\"tool_result\",\"content\":\"" + out + "\",\"is_error\":false}]}",
                    "\"toolUseResult\":{\"stdout\":\"" + out + "\",\"stderr\":\"\",\"interrupted\":false}");
}

std::string TranscriptGenerator::sidechain() {
    std::string line = toolUse(1);
    return line.replace(line.find("\"isSidechain\":false"), 19, "\"isSidechain\":true");
}

std::string TranscriptGenerator::lastPrompt(std::string_view t) {
    return "{\"type\":\"last-prompt\",\"lastPrompt\":\"" + jsonEscape(t) + "\",\"sessionId\":\"" +
           sessionId_ + "\"}";
}

std::string TranscriptGenerator::session(int turns, Instant start, std::size_t minResult,
                                         std::size_t maxResult) {
    std::string out;
    Instant t = start;
    auto add = [&](const std::string& line) { out += line + '\n'; };
    for (int turn = 0; turn < turns; ++turn) {
        if (turn == 0) add(commandNoise(t));
        add(userPrompt(t));
        add(assistantThinking());
        for (auto calls = uniform(1, 4); calls > 0; --calls) {
            add(toolUse(static_cast<int>(uniform(1, 2))));
            add(toolResult(uniform(minResult, maxResult)));
            if (uniform(0, 5) == 0) add(sidechain());
        }
        add(assistantText());
        add(lastPrompt(prompts[static_cast<std::size_t>(turn) % prompts.size()]));
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

} // namespace fray::test
