// Finding a live session's agent and the window it shows in, over fake process trees,
// windows and tmux servers.
#include "integration/RunningSessions.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

using namespace fray;
using RunningSessions::Outcome;

namespace {

const std::string id = "0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f";

ProcessInfo proc(int pid, int ppid, std::string name, std::vector<std::string> argv = {},
                 std::string cwd = {}, std::string exe = {}) {
    return ProcessInfo{pid, ppid, std::move(name), std::move(argv), std::move(exe), std::move(cwd)};
}

// init(1) → terminal(10, owns window 0x100) → bash(11) → ...
std::vector<ProcessInfo> terminalWith(std::vector<ProcessInfo> below) {
    std::vector<ProcessInfo> all{proc(1, 0, "systemd"), proc(10, 1, "xfce4-terminal"), proc(11, 10, "bash")};
    all.insert(all.end(), below.begin(), below.end());
    return all;
}

struct World {
    fake::Processes processes;
    fake::Clients windows;
    fake::TmuxServers tmux;
    SessionInfo session;
    World() {
        session.id = "/h/.claude/projects/-srv-app/" + id + ".jsonl";
        session.cwd = "/srv/app";
        windows.windows = {{0x100, 10, "xfce4-terminal", "Xfce4-terminal", "~"},
                           {0x200, 20, "xterm", "XTerm", "other"}};
    }
    Outcome run() { return RunningSessions::bringForward(session, id, processes, windows, tmux); }
};

} // namespace

TEST(RunningSessions, WhichProcessIsTheAgent) {
    struct Row {
        const char* name;
        ProcessInfo agent; // run by the terminal's shell
        Agent kind;
        bool found;
    } rows[] = {
        // clang-format off
        {"claude by name", proc(12, 11, "claude", {"claude"}, "/srv/app"), Agent::claude, true},
        {"node running the CLI script",
         proc(12, 11, "node", {"node", "/usr/lib/node_modules/@anthropic-ai/claude-code/cli.js"}, "/srv/app"), Agent::claude, true},
        {"the native build: argv[0] says claude", proc(12, 11, "2.0.14", {"claude", "--resume", id}, "/srv/app"), Agent::claude, true},
        {"the folder with a trailing slash", proc(12, 11, "claude", {"claude"}, "/srv/app/"), Agent::claude, true},
        {"a folder that only starts alike", proc(12, 11, "claude", {"claude"}, "/srv/app2"), Agent::claude, false},
        {"an editor is no agent", proc(12, 11, "vim", {"vim", "claude"}, "/srv/app"), Agent::claude, false},
        {"claude is not a Codex session's agent", proc(12, 11, "claude", {"claude"}, "/srv/app"), Agent::codex, false},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        World w;
        w.processes.list = terminalWith({r.agent});
        w.session.agent = r.kind;
        EXPECT_EQ(w.run(), r.found ? Outcome::broughtForward : Outcome::notRunning);
        EXPECT_EQ(w.windows.activated,
                  r.found ? std::vector<std::uint32_t>{0x100} : std::vector<std::uint32_t>{});
    }
}

TEST(RunningSessions, WhichProcessAndWhichWindow) {
    World w;
    // Two agents in one folder: the one resuming this session wins.
    w.processes.list = terminalWith({proc(12, 11, "claude", {"claude"}, "/srv/app"), proc(20, 1, "xterm"),
                                     proc(21, 20, "claude", {"claude", "--resume", id}, "/srv/app")});
    EXPECT_EQ(w.run(), Outcome::broughtForward);
    // A terminal with many windows: the one titled with the project.
    w.windows.windows.push_back({0x101, 10, "xfce4-terminal", "Xfce4-terminal", "claude — app"});
    w.processes.list.resize(4);
    EXPECT_EQ(w.run(), Outcome::broughtForward);
    EXPECT_EQ(w.windows.activated, (std::vector<std::uint32_t>{0x200, 0x101}));

    // Running under no window (ssh, a service), or with parents that loop: never resumed.
    w.processes.list = {proc(1, 0, "systemd"), proc(5, 1, "sshd"),
                        proc(7, 5, "claude", {"claude"}, "/srv/app")};
    EXPECT_EQ(w.run(), Outcome::noWindow);
    w.processes.list = {proc(7, 8, "claude", {"claude"}, "/srv/app"), proc(8, 7, "bash")};
    EXPECT_EQ(w.run(), Outcome::noWindow);
}

TEST(RunningSessions, InsideTmux) {
    // tmux server(50) → bash(51) → claude(52); clients are `tmux attach` in terminals.
    const std::vector<ProcessInfo> table{
        proc(1, 0, "systemd"),
        proc(50, 1, "tmux: server", {"tmux"}, "/", "/usr/bin/tmux"),
        proc(51, 50, "bash"),
        proc(52, 51, "claude", {"claude"}, "/srv/app"),
        proc(10, 1, "xfce4-terminal"),
        proc(11, 10, "bash"),
        proc(60, 11, "tmux: client", {"tmux", "attach"}, "/", "/usr/bin/tmux"),
    };
    const std::string sock = "/tmp/tmux-1000/default", select = "select " + sock + " %7";
    struct Row {
        const char* name;
        std::vector<TmuxClient> clients;
        Outcome outcome;
        std::vector<std::string> calls;
        std::vector<std::uint32_t> activated;
    } rows[] = {
        // clang-format off
        {"the only client shows another session: switched over", {{60, "/dev/pts/3", "play"}}, Outcome::broughtForward,
         {select, "switch " + sock + " /dev/pts/3 %7"}, {0x100}},
        {"no client attached: the pane is selected, nothing to show", {}, Outcome::noWindow, {select}, {}},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        World w;
        w.processes.list = table;
        w.processes.env[52]["TMUX"] = sock + ",50,0";
        w.tmux.paneList[sock] = {{40, "%1", "play"}, {51, "%7", "work"}};
        w.tmux.clientList[sock] = r.clients;
        EXPECT_EQ(w.run(), r.outcome);
        EXPECT_EQ(w.tmux.calls, r.calls);
        EXPECT_EQ(w.windows.activated, r.activated);
    }
}
