// What a click does, end to end over the fake platform and a temporary home: desktop
// app, precise focus, a running session's window, a resume script, or the error sound;
// and never a write outside the cache folder.
#include "integration/SessionFocus.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;

namespace {

const std::string uuid = "0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f";

const std::string desktopFile =
    "{\"cliSessionId\":\"" + uuid + "\",\"title\":\"Fix the login bug\",\"bridgeSessionIds\":[\"br-1\"]}";

struct World {
    TempDir home;
    Platform p = fake::makePlatform(home.str());
    fake::Sounds& sounds = static_cast<fake::Sounds&>(*p.sounds);
    fake::Work& work = static_cast<fake::Work&>(*p.workspace);
    fake::Apps& apps = static_cast<fake::Apps&>(*p.applications);
    fake::Terminal& terminal = static_cast<fake::Terminal&>(*p.terminal);
    fake::Processes& processes = static_cast<fake::Processes&>(*p.processes);
    fake::Clients& windows = static_cast<fake::Clients&>(*p.clientWindows);
    fake::Access& access = static_cast<fake::Access&>(*p.accessibility);
    std::string project = home.mkdir("work/app").string();
    std::shared_ptr<fake::AXNode> row = fake::AXNode::make("Fix the login bug 2m", true);

    World() {
        sounds.systemAvailable = {"Basso"};
        // The desktop app's tree, reachable once the app runs (pid 900) and access is granted.
        access.app = fake::AXNode::make("Claude");
        std::static_pointer_cast<fake::AXNode>(access.app)->add(fake::AXNode::make())->add(row);
        access.appPids = {900};
    }
    // Words: app (installed), window (it runs), titled (its session file),
    // running (the agent runs under a terminal), precise, trusted, cache-blocked (a file
    // where the cache folder goes), no-terminal.
    void setUp(const std::string& words, Agent agent) {
        auto has = [&](const char* w) {
            return (" " + words + " ").find(" " + std::string(w) + " ") != std::string::npos;
        };
        if (has("app"))
            apps.installed["com.anthropic.claudefordesktop.desktop"] = {
                "/apps/claude.desktop", "Claude", {"claude-desktop"}, "Claude"};
        if (has("window")) windows.windows.push_back({0x900, 900, "claude", "Claude", "Claude"});
        if (has("titled"))
            home.write(".config/Claude/claude-code-sessions/acct/org/local_1.json", desktopFile);
        if (has("running")) {
            const std::string name(rawValue(agent));
            // pid, ppid, name, argv, exe, cwd
            processes.list = {{1, 0, "systemd", {}, "", "/"},
                              {10, 1, "xterm", {"xterm"}, "/usr/bin/xterm", "/"},
                              {11, 10, "bash", {"bash"}, "/usr/bin/bash", project},
                              {12, 11, name, {name}, "", project}};
            windows.windows.push_back({0x10, 10, "xterm", "XTerm", "bash"});
        }
        access.trusted = has("trusted");
        if (has("cache-blocked")) home.write(".cache/fraymark", "a file where the folder should be");
        terminal.works = !has("no-terminal");
    }
    // Everything the click did, in a fixed order.
    std::string effects() const {
        std::string out;
        auto add = [&](const std::string& e) { out += (out.empty() ? "" : "; ") + e; };
        out += std::string(apps.launched.empty() ? "" : "launch");
        for (auto id : windows.activated)
            add(id == 0x900 ? "activate app" : "activate terminal");
        for (auto& u : work.opened)
            add("url " + u);
        if (row->presses) add("press");
        for (auto& s : sounds.played)
            add(s == "system:Basso" ? "basso" : s);
        if (!terminal.scripts.empty()) add("script");
        return out;
    }
};

} // namespace

TEST(SessionFocus, WhatAClickDoes) {
    const std::string uuidFile = uuid + ".jsonl", codexFile = "rollout-2025-01-22T10-30-00-" + uuidFile;
    const std::string link1 = "url claude://claude.ai/code/br-1";
    struct Row {
        const char* name;
        std::string setup;
        Agent agent;
        std::string idFile; // the session id's last component
        std::string expect;
        const char* cwd = "work/app";
    } rows[] = {
        // clang-format off
        // No desktop app: resume in a terminal, or the error sound.
        {"resumes an ended Claude Code session", "", Agent::claude, uuidFile, "script"},
        {"a folder that is gone", "", Agent::claude, uuidFile, "basso", "work/gone"},
        {"a crafted transcript name is never written into a script", "", Agent::claude, "x'$(touch pwned)'.jsonl", "basso"},
        {"Codex resumes by its rollout's UUID", "", Agent::codex, codexFile, "script"},
        {"Hermes cannot be resumed", "", Agent::hermes, "42", "basso"},
        {"a script that cannot be written", "cache-blocked", Agent::claude, uuidFile, "basso"},
        {"no terminal to run it in", "no-terminal", Agent::claude, uuidFile, "basso; script"},
        // A live agent comes forward where it runs; it is never resumed a second time.
        {"a running CLI session's terminal comes forward, not the desktop app", "app running", Agent::claude, uuidFile, "activate terminal"},
        // The desktop app.
        {"deep link, precise focus off", "app titled", Agent::claude, uuidFile, "launch; " + link1},
        {"its open window, not a second copy", "app window titled", Agent::claude, uuidFile, "activate app; " + link1},
        {"precise focus presses the row instead", "app window titled precise trusted", Agent::claude, uuidFile, "activate app; press"},
        {"precise focus without access: the link", "app window titled precise", Agent::claude, uuidFile, "activate app; " + link1},
        {"a CLI session unknown to the app: the app alone", "app", Agent::claude, uuidFile, "launch"},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        World w;
        w.setUp(r.setup, r.agent);
        SessionInfo s;
        s.agent = r.agent;
        s.id = r.agent == Agent::hermes ? "hermes:" + r.idFile : w.home.str() + "/transcripts/" + r.idFile;
        s.cwd = (w.home.path() / r.cwd).string();
        const auto before = TreeSnapshot::of(w.home.path());
        {
            SessionFocus focus(w.p, [&] { return r.setup.find("precise") != std::string::npos; });
            focus.focusSession(s);
            focus.waitForPress();
        }
        EXPECT_EQ(w.effects(), r.expect);

        // The script is the only file a click writes, executable, in the cache folder.
        std::string created;
        if (!w.terminal.scripts.empty()) {
            const auto script = w.home.path() / ".cache/fraymark/resume.sh";
            const std::string command = r.agent == Agent::codex ? "\"$c\" resume '" : "\"$c\" --resume '";
            EXPECT_NE(readFile(script).find(command + uuid + "'"), std::string::npos) << readFile(script);
            struct stat st {};
            EXPECT_EQ(::stat(script.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0755u);
            created = "changed: . (size, mtime)\ncreated: .cache\ncreated: .cache/fraymark\n"
                      "created: .cache/fraymark/resume.sh\n";
        }
        EXPECT_EQ(before.diff(TreeSnapshot::of(w.home.path())), created);
    }
}

// A desktop app whose tree never answers: the click returns at once, and quitting does
// not wait for the search to finish.
TEST(SessionFocus, ThePressNeverHoldsTheClickOrTheQuit) {
    struct Stuck : fake::AXNode {
        std::atomic<bool>* entered;
        std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() override {
            *entered = true;
            std::this_thread::sleep_for(100ms); // every call ends at its timeout
            return std::vector<std::shared_ptr<AccessibleElement>>{std::make_shared<Stuck>(*this)};
        }
    };
    std::atomic<bool> entered{false};
    World w;
    auto stuck = std::make_shared<Stuck>();
    stuck->entered = &entered;
    w.setUp("app window titled precise trusted", Agent::claude);
    w.access.app = stuck;
    SessionInfo s;
    s.id = "/t/" + uuid + ".jsonl";
    s.cwd = w.project;

    auto focus = std::make_unique<SessionFocus>(w.p, [] { return true; });
    auto t0 = std::chrono::steady_clock::now();
    focus->focusSession(s);
    focus->focusSession(s); // a second click while the first press runs
    // Under the 100 ms one child costs: a press made on the caller's thread could not pass.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 90ms);
    for (int i = 0; i < 200 && !entered; ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(entered);
    t0 = std::chrono::steady_clock::now();
    focus.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 400ms);
}
