// A click on a live session on a real X server with a real window manager: the agent
// (a small script named `claude`) runs in its project folder under a stand-in terminal,
// or in a tmux pane that a terminal's client shows, and that terminal's window becomes the
// active one. Which process and which window in harder cases are the session-finding tests'.
#include "integration/SessionFocus.h"
#include "platform/fake/FakePlatform.h"
#include "support/Eventually.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;

TEST(RunningSessionX11, TheTerminalOfALiveSessionBecomesActive) {
    XSession x;
    ASSERT_TRUE(x.ok()) << x.problem();
    TempDir home;
    auto env = x.env(isolatedEnv(home.str()));
    env["QT_QPA_PLATFORM"] = "xcb";
    env["TERM"] = "xterm";
    // The agent waits for its input to close: it ends with the terminal it runs in.
    const auto agent = home.write("bin/claude", "#!/bin/sh\nread -r line\n");
    std::filesystem::permissions(agent, std::filesystem::perms::owner_all);
    const auto project = home.mkdir("work/project A");

    auto activeWindowTitle = [&] {
        const std::string name = x.run("xdotool", {"getactivewindow", "getwindowname"}).out;
        return name.substr(0, name.find('\n'));
    };
    // Each look at the active window runs xdotool: look every 20 ms, for up to 5 s.
    auto becomesActive = [&](const std::string& title) {
        return eventually([&] { return activeWindowTitle() == title; }, 5s, 20ms);
    };
    std::vector<std::unique_ptr<BackgroundProcess>> terminals;
    auto openTerminal = [&](const std::string& title, const std::string& command) {
        terminals.push_back(std::make_unique<BackgroundProcess>(
            FAKE_TERMINAL, std::vector<std::string>{title, project.string(), "/bin/sh", "-c", command}, env));
        return terminals.back()->readLine(10s) == "ready" && becomesActive(title);
    };
    // `; :` keeps the shell between terminal and agent, as an interactive one would be.
    ASSERT_TRUE(openTerminal("Term A", agent.string() + "; :"));

    // tmux: the agent in window 0 of session "work", window 1 current; a terminal's client
    // (under `script`, which gives it a terminal device) shows the session.
    const std::string tmux = "/usr/bin/tmux", socket = (home.path() / "tmux.sock").string();
    const auto projectC = home.mkdir("work/project C");
    auto tmuxRun = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"-S", socket});
        return runProcess(tmux, args, env);
    };
    struct Ending {
        std::function<void()> run;
        ~Ending() { run(); }
    } killServer{[&] { tmuxRun({"kill-server"}); }};
    const auto started = tmuxRun({"new-session", "-d", "-s", "work", "-c", projectC.string(),
                                  "/bin/sh -c '" + agent.string() + "; :'", ";", "new-window", "-t", "work"});
    ASSERT_EQ(started.exitCode, 0) << started.err;
    ASSERT_TRUE(openTerminal("Term C", "/usr/bin/script -qfc '" + tmux + " -S " + socket +
                                           " attach -t work' /dev/null"));
    auto currentWindow = [&] {
        return tmuxRun({"display-message", "-p", "-t", "work", "#{window_index}"}).out;
    };
    ASSERT_EQ(currentWindow(), "1\n");
    ASSERT_TRUE(openTerminal("Term B", "read -r line")) << "a later terminal has the focus";

    setenv("DISPLAY", x.display().c_str(), 1);
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Platform p = systemPlatform();
    p.paths = fake::makePlatform(home.str()).paths;
    auto sounds = std::make_shared<fake::Sounds>();
    p.sounds = sounds;
    {
        SessionFocus focus(p, [] { return false; });
        SessionInfo s;
        s.id = "/transcripts/0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f.jsonl";
        s.cwd = project.string();
        focus.focusSession(s);
        EXPECT_TRUE(becomesActive("Term A")) << activeWindowTitle();
        s.cwd = projectC.string();
        focus.focusSession(s);
        EXPECT_TRUE(becomesActive("Term C")) << activeWindowTitle();
        EXPECT_EQ(currentWindow(), "0\n") << "the agent's tmux window is selected";
    }
    EXPECT_TRUE(sounds->played.empty());
    EXPECT_FALSE(std::filesystem::exists(home.path() / ".cache/fraymark"))
        << "live sessions are never resumed";
    unsetenv("DISPLAY");
}
