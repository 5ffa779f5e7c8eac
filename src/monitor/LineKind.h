#pragma once

namespace fray {

// What a classified transcript line was; the latest one drives the status.
enum class LineKind {
    none = 0,
    userText = 1,
    toolResult = 2,
    assistantToolUse = 3,
    assistantText = 4,
    assistantThinking = 5,
    interrupted = 6,
    // A user line the agent gets without the user speaking (hook feedback, a background
    // task's notification): the turn goes on.
    injected = 7,
};

} // namespace fray
