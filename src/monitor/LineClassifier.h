#pragma once

#include "FileState.h"
#include "session/Instant.h"
#include "session/SessionInfo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace fray {

// True when a user line's text is an artefact of a slash command or an injected reminder.
bool isCommandNoise(std::string_view text);

// What one transcript line says, kept apart from applying it so that lines met while
// reading a file backwards can still be applied in file order.
struct LineFacts {
    enum class Effect : std::uint8_t {
        none,           // nothing beyond the envelope (progress, bookkeeping, sidechain, ...)
        prompt,         // the user speaking: a turn begins
        commandNoise,   // a slash command's artefact: clears the combo, the status stays
        aside,          // written for the record only (a compaction summary): changes nothing
        injected,       // fed to the agent without the user (hook feedback, notifications)
        interrupted,    // the user stopped the turn
        toolResult,     //
        toolUse,        // `calls` tool calls
        text,           // assistant text without a tool call
        thinking,       //
        assistantOther, // an assistant message with nothing usable in it
        lastPrompt,     // the "last-prompt" record, `textHash` its text
        turnEnd,        // a system record that closes the turn
    };
    Effect effect = Effect::none;
    bool activity = true;       // the agent or the user did something (not bookkeeping)
    bool hasText = true;        // prompt: carries a string text (else it records no time)
    bool endTurn = false;       // text: its stop reason ends the turn
    bool askUser = false;       // toolUse: a call that always waits for the user
    bool inBackground = false;  // toolUse: every call only waits on other work
    std::int64_t calls = 0;     // toolUse
    PendingCall call;           // toolUse: the latest call of the line
    std::optional<Instant> at;  // prompt: its time as written
    std::uint64_t textHash = 0; // prompt, lastPrompt
    // Valid only until the classifier reads the next line; empty when absent.
    std::string_view cwd, branch, permissionMode, timestamp;

    bool startsTurn() const { return effect == Effect::prompt; }
};

// Applies one line's facts to the state of its file, in file order. `now` stands in for
// a missing prompt time.
void applyLine(const LineFacts& facts, FileState& st, Instant now);

// Classifies transcript lines into a FileState. Holds one reusable JSON parser, so keep
// one classifier per thread and feed it lines in file order.
class LineClassifier {
  public:
    LineClassifier();
    ~LineClassifier();
    LineClassifier(const LineClassifier&) = delete;
    LineClassifier& operator=(const LineClassifier&) = delete;

    // Bytes the JSON parser may read past the end of a line handed to parsePadded.
    static std::size_t padding();
    // Lines longer than this are ignored outright.
    static constexpr std::size_t maxLineBytes = 64u << 20;

    // One line without its terminator. `now` stands in for a missing prompt time.
    void parseLine(std::string_view line, FileState& st, Instant now);
    // As parseLine, for callers that guarantee padding() readable bytes after the line.
    void parsePadded(std::string_view line, FileState& st, Instant now);
    // Reads a line's facts without applying them (padding as for parsePadded). A line
    // that is no JSON object yields no effect but counts as activity.
    void readPadded(std::string_view line, LineFacts& out);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Convenience form on a per-thread classifier.
void parseLine(std::string_view line, FileState& st, Instant now);

} // namespace fray
