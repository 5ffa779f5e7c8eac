#pragma once

#include "session/Instant.h"

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fray::test {

std::string jsonEscape(std::string_view s);
// RFC 3339 in UTC with milliseconds, as Claude Code and Codex write it.
std::string isoTimestamp(Instant t);

// Builds Claude Code transcript lines that look like the real thing: ids, usage blocks,
// escaped multi-line tool output. Deterministic for a seed. Lines carry no newline.
class TranscriptGenerator {
  public:
    explicit TranscriptGenerator(std::uint64_t seed = 1, std::string cwd = "/home/dev/code/orbit-api",
                                 std::string branch = "main");

    std::string userPrompt(Instant at, std::string_view text = {});
    std::string toolUse(int calls = 1);
    std::string toolResult(std::size_t bytes);

    // A transcript of `turns` user turns (command noise, prompt, thinking, tool calls with
    // results of `minResult`..`maxResult` bytes, sidechain lines, an answer, a last-prompt
    // record). Lines end with '\n'.
    std::string session(int turns, Instant start, std::size_t minResult = 50 * 1024,
                        std::size_t maxResult = 500 * 1024);
    // Small lines only (prompts, assistant text, tool calls, short results, noise).
    std::vector<std::string> smallLines(std::size_t count, Instant start);
    // A mix dominated by large tool results, about `totalBytes` long in all.
    std::vector<std::string> largeMix(std::size_t totalBytes, Instant start);

    std::string text(std::size_t approxBytes); // plausible program output, multi-line

  private:
    std::string commandNoise(Instant at);
    std::string assistantText();
    std::string assistantThinking();
    std::string sidechain();
    std::string lastPrompt(std::string_view text);
    std::string id(std::string_view prefix, int len);
    std::string envelope(std::string_view type, std::string_view messageJson, std::string_view extra = {});
    std::size_t uniform(std::size_t lo, std::size_t hi);

    std::mt19937_64 rng_;
    std::string cwd_;
    std::string branch_;
    std::string sessionId_;
    Instant clock_ = fromUnixSeconds(1767225600.0); // 2026-01-01
};

} // namespace fray::test
