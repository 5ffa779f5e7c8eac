#pragma once

#include "platform/ClientWindows.h"
#include "platform/ProcessTable.h"
#include "platform/Tmux.h"
#include "session/SessionInfo.h"

#include <optional>
#include <vector>

// A session whose agent is still running: found by the agent's process in the
// session's folder, brought forward through the window of the terminal it runs in (or
// the tmux pane and the window of the client showing it).
namespace fray::RunningSessions {

enum class Outcome {
    notRunning,     // no live agent process in the session's folder
    broughtForward, // its window was activated
    noWindow,       // it runs, but nowhere that a window shows
};

// Whether the process is the agent's program: by name, or an interpreter (node, python)
// running the agent's script.
bool isAgentProcess(const ProcessInfo& p, Agent agent);

// The session's agent process: one in the session's folder, preferring the one whose
// arguments name `sessionId`, then the outermost (an agent's own helpers run beside it).
std::optional<ProcessInfo> agentProcess(const SessionInfo& session, const std::string& sessionId,
                                        const std::vector<ProcessInfo>& table);

Outcome bringForward(const SessionInfo& session, const std::string& sessionId, ProcessTable& processes,
                     ClientWindows& windows, Tmux& tmux);

} // namespace fray::RunningSessions
