#pragma once

#include <optional>
#include <string>
#include <string_view>

// The small shell script that resumes a session in a terminal window.
namespace fray::ResumeScript {

enum class Shell { zsh, bash };

// What the script runs: `claude --resume ID` or `codex resume ID`.
struct Command {
    std::string tool; // "claude", "codex"
    std::string verb; // "--resume", "resume"
    std::string id;
};

// Ids go into the script unquoted-safe only if they are made of what real ids are made
// of; anything else (a crafted file name with a quote or "$(...)") is refused.
bool isSafeId(std::string_view id);

// A Codex rollout's session UUID: the last 36 characters of its file name without the
// extension ("rollout-2025-01-22T10-30-00-<uuid>.jsonl"); absent when they are not one.
std::optional<std::string> codexSessionId(std::string_view rolloutPath);

// The path as one single-quoted shell word, whatever bytes it holds.
std::string singleQuoted(std::string_view text);

// The script: eight lines, no line feed after the last. `command.id` must be safe.
std::string text(Shell shell, const Command& command, std::string_view cwd);

} // namespace fray::ResumeScript
