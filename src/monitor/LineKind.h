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
};

} // namespace fray
