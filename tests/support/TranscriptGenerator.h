#pragma once

#include "session/Instant.h"

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fray::test {

// RFC 3339 in UTC with milliseconds, as Claude Code and Codex write it.
std::string isoTimestamp(Instant t);

// Builds Claude Code transcript lines shaped as recent versions write them: one content
// block per assistant line, progress and system records, the permission mode on prompts,
// tool output stored twice, ids and usage blocks. Deterministic for a seed. Lines carry
// no newline; a call that makes several lines joins them with '\n'.
class TranscriptGenerator {
  public:
    explicit TranscriptGenerator(std::uint64_t seed = 1, std::string cwd = "/home/dev/code/orbit-api",
                                 std::string branch = "main");

    // Versions before 2.1.14 end a turn's last text with stop reason "end_turn"; later
    // ones write null everywhere.
    void setVersion(std::string version) { version_ = std::move(version); }
    // Written on the prompt lines: "default", "bypassPermissions", "dontAsk", "plan", ...
    void setPermissionMode(std::string mode) { permissionMode_ = std::move(mode); }
    // The time of the next line; each line after it is 0.8 s later.
    void setClock(Instant t) { clock_ = t - 0.8; }

    // One step of a turn, its lines joined with '\n':
    // - "prompt [TEXT]", "thinking", "text [TEXT]", "end [TEXT]" (the turn's last text);
    // - "call [TOOL]" (else an ordinary tool), "result [BYTES]" (the latest call's result);
    // - "progress KIND" (bash_progress, hook_progress), "system SUBTYPE" (stop_hook_summary,
    //   turn_duration, compact_boundary, local_command);
    // - user lines the user did not type: "meta TEXT", "feedback", "compact",
    //   "noise", "caveat", "slash NAME" (a command with its caveat and output);
    // - bookkeeping: "snapshot", "summary", "sidechain", "queue OP", "last-prompt [TEXT]";
    // - "mode MODE" writes nothing: the permission mode of the prompts that follow.
    std::string line(std::string_view step);
    std::string script(const std::vector<std::string_view>& steps);

    std::string userPrompt(Instant at, std::string_view text = {});
    std::string toolUse(int calls = 1); // `calls` ordinary calls of one reply
    std::string toolCall(std::string_view tool);
    std::string toolResult(std::size_t bytes); // a line of about `bytes` bytes
    std::string assistantText(std::string_view text = {}, bool endsTurn = false);

    // A transcript of `turns` user turns, each of `minCalls`..`maxCalls` calls with results
    // of `minResult`..`maxResult` bytes, as a recent version writes them (snapshot,
    // prompt, thinking, text, calls with progress and results, sidechain lines, the last
    // text, a stop-hook summary, the last-prompt record; now and then a message queued
    // for the next turn). Lines end with '\n'.
    std::string session(int turns, Instant start, std::size_t minResult = 10 * 1024,
                        std::size_t maxResult = 180 * 1024, int minCalls = 1, int maxCalls = 4);

    std::string text(std::size_t approxBytes); // plausible program output, multi-line

  private:
    std::string id(std::string_view prefix, int len);
    std::string record(std::string_view type, std::string_view fields);
    std::string userLine(std::string_view contentJson, std::string_view extra = {});
    std::string assistantLine(std::string_view blockJson, bool endsTurn = false);
    std::size_t uniform(std::size_t lo, std::size_t hi);

    std::mt19937_64 rng_;
    std::string cwd_;
    std::string branch_;
    std::string sessionId_;
    std::string version_ = "2.1.30";
    std::string permissionMode_ = "default";
    std::string toolId_;  // the latest call
    std::string replyId_; // the message id shared by one reply's lines
    std::string lastPromptText_;
    Instant clock_ = fromUnixSeconds(1767225600.0); // 2026-01-01
};

// Builds Codex rollout lines as the CLI 0.135 writes them: the session's
// metadata first, then per turn its context, the user's message, reasoning, tool calls
// with their outputs and end events, token counts and the agent's messages.
class RolloutGenerator {
  public:
    explicit RolloutGenerator(std::uint64_t seed = 1, std::string cwd = "/home/dev/code/svc");

    // The time written on the lines that follow.
    void setClock(Instant t) { clock_ = t; }
    // approval: "on-request", "never", "untrusted", "on-failure".
    void setApprovalPolicy(std::string approval) { approval_ = std::move(approval); }

    // One step, its lines joined with '\n': "meta", "context" (the turn's, with the approval
    // policy), "started", "complete", "tokens", "reasoning", "prompt [TEXT]", "message [PHASE]"
    // (the agent's), "call" (a shell command), "output [BYTES]" (its end event and output),
    // "patch", "patch-output", "search" (a web search and its end event), "developer".
    std::string line(std::string_view step);
    std::string script(const std::vector<std::string_view>& steps);

    std::string sessionMeta(std::size_t instructionsBytes = 6000);
    std::string userMessage(std::string_view text = {}); // the input item and the event
    std::string agentMessage(std::string_view phase = "commentary");
    std::string functionCall();
    std::string functionCallOutput(std::size_t bytes);

    // A rollout of about `bytes` bytes: turns of `minCalls`..`maxCalls` calls with outputs
    // of `minOutput`..`maxOutput` bytes, every turn complete. Lines end with '\n'.
    std::string rollout(std::size_t bytes, int minCalls = 1, int maxCalls = 5, std::size_t minOutput = 500,
                        std::size_t maxOutput = 20500);

  private:
    std::string item(std::string_view type, std::string_view payload);
    std::size_t uniform(std::size_t lo, std::size_t hi);

    std::mt19937_64 rng_;
    TranscriptGenerator text_;
    std::string cwd_;
    std::string approval_ = "on-request";
    std::string callId_;
    int calls_ = 0;
    Instant clock_ = fromUnixSeconds(1767225600.0);
};

} // namespace fray::test
