#include "RunningSessions.h"

#include "session/PathText.h"

#include <algorithm>
#include <map>
#include <set>

namespace fray::RunningSessions {

namespace {

using Table = std::map<int, const ProcessInfo*>;

std::string_view trimmedDir(std::string_view d) {
    while (d.size() > 1 && d.back() == '/')
        d.remove_suffix(1);
    return d;
}

bool isInterpreter(std::string_view name) {
    return name == "node" || name == "nodejs" || name == "bun" || name == "deno" ||
           name.rfind("python", 0) == 0;
}

// The process and its ancestors, nearest first. Stops at a cycle or a missing parent.
std::vector<const ProcessInfo*> lineage(int pid, const Table& byPid) {
    std::vector<const ProcessInfo*> out;
    std::set<int> seen;
    for (auto it = byPid.find(pid); it != byPid.end() && seen.insert(pid).second; it = byPid.find(pid)) {
        out.push_back(it->second);
        pid = it->second->ppid;
    }
    return out;
}

bool isTmuxServer(const ProcessInfo& p) {
    return PathText::lastComponent(p.exe) == "tmux" || p.name.rfind("tmux", 0) == 0;
}

// Of a process's windows, the one whose title names the project (one terminal process
// often owns many windows), else its first.
std::optional<ClientWindow> windowOf(int pid, const std::vector<ClientWindow>& windows,
                                     std::string_view project) {
    std::optional<ClientWindow> first;
    for (const auto& w : windows) {
        if (w.pid != pid) continue;
        if (!project.empty() && w.title.find(project) != std::string::npos) return w;
        if (!first) first = w;
    }
    return first;
}

// The first window owned by the process or one of its ancestors.
std::optional<ClientWindow> windowAbove(int pid, const Table& byPid, const std::vector<ClientWindow>& windows,
                                        std::string_view project) {
    for (const ProcessInfo* p : lineage(pid, byPid))
        if (auto w = windowOf(p->pid, windows, project)) return w;
    return std::nullopt;
}

Outcome throughTmux(const ProcessInfo& agent, const std::vector<const ProcessInfo*>& line, const Table& byPid,
                    ProcessTable& processes, ClientWindows& windows, Tmux& tmux, std::string_view project) {
    // $TMUX is "socket,server pid,session index" in every process a pane starts.
    std::string socket = processes.environment(agent.pid, "TMUX").value_or("");
    socket = socket.substr(0, socket.find(','));
    std::optional<TmuxPane> pane;
    for (const auto& p : tmux.panes(socket))
        if (std::any_of(line.begin(), line.end(), [&](const ProcessInfo* a) { return a->pid == p.pid; }))
            pane = p;
    if (!pane) return Outcome::noWindow;
    tmux.selectPane(socket, pane->id);

    const auto clients = tmux.clients(socket);
    auto showing = std::find_if(clients.begin(), clients.end(),
                                [&](const TmuxClient& c) { return c.session == pane->session; });
    std::optional<TmuxClient> client;
    if (showing != clients.end()) {
        client = *showing;
    } else if (!clients.empty() && tmux.switchClient(socket, clients.front().tty, pane->id)) {
        client = clients.front();
    }
    if (!client) return Outcome::noWindow;
    const auto all = windows.list();
    auto w = windowAbove(client->pid, byPid, all, project);
    return w && windows.activate(w->id) ? Outcome::broughtForward : Outcome::noWindow;
}

} // namespace

bool isAgentProcess(const ProcessInfo& p, Agent agent) {
    const std::string_view name = rawValue(agent);
    if (p.name == name) return true;
    if (p.argv.empty()) return false;
    const std::string_view program = PathText::lastComponent(p.argv[0]);
    if (program == name) return true;
    if (!isInterpreter(program) && !isInterpreter(p.name)) return false;
    // The script: the first argument that is not an option, e.g. ".../@anthropic-ai/claude-code/cli.js".
    for (std::size_t i = 1; i < p.argv.size(); ++i) {
        const std::string& a = p.argv[i];
        if (a.empty() || a[0] == '-') continue;
        return PathText::lastComponent(a) == name || a.find("/" + std::string(name)) != std::string::npos;
    }
    return false;
}

std::optional<ProcessInfo> agentProcess(const SessionInfo& session, const std::string& sessionId,
                                        const std::vector<ProcessInfo>& table) {
    if (!session.cwd) return std::nullopt;
    const std::string_view dir = trimmedDir(*session.cwd);
    std::vector<const ProcessInfo*> found;
    for (const auto& p : table)
        if (!p.cwd.empty() && trimmedDir(p.cwd) == dir && isAgentProcess(p, session.agent))
            found.push_back(&p);
    if (found.empty()) return std::nullopt;
    for (const ProcessInfo* p : found)
        if (!sessionId.empty() && std::find(p->argv.begin(), p->argv.end(), sessionId) != p->argv.end())
            return *p;
    for (const ProcessInfo* p : found)
        if (std::none_of(found.begin(), found.end(), [&](const ProcessInfo* q) { return q->pid == p->ppid; }))
            return *p;
    return *found.front();
}

Outcome bringForward(const SessionInfo& session, const std::string& sessionId, ProcessTable& processes,
                     ClientWindows& windows, Tmux& tmux) {
    const auto table = processes.snapshot();
    const auto agent = agentProcess(session, sessionId, table);
    if (!agent) return Outcome::notRunning;
    Table byPid;
    for (const auto& p : table)
        byPid[p.pid] = &p;
    const std::string project(PathText::lastComponent(*session.cwd));
    const auto line = lineage(agent->pid, byPid);
    const auto all = windows.list();
    for (const ProcessInfo* p : line) {
        if (isTmuxServer(*p)) return throughTmux(*agent, line, byPid, processes, windows, tmux, project);
        if (auto w = windowOf(p->pid, all, project))
            return windows.activate(w->id) ? Outcome::broughtForward : Outcome::noWindow;
    }
    return Outcome::noWindow;
}

} // namespace fray::RunningSessions
