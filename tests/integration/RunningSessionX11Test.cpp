// A click on a live session on a real X server with a real window manager: the agent
// (a small script named `claude`) runs in its project folder under a stand-in terminal,
// or in a tmux pane that a terminal's client shows, and its window becomes the active one.
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
#include <thread>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;

namespace {

const std::string uuid = "0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f";

const std::string tmux = "/usr/bin/tmux";

// Each look at the active window runs xdotool: look every 20 ms, for up to 5 s.
bool activeBecomes(const std::function<bool()>& p) {
    return eventually(p, 5s, 20ms);
}

// The X session, a home whose `claude` waits for its input to close (it ends with the
// terminal or tmux pane it runs in), and stand-in terminals.
struct Desktop {
    XSession x;
    TempDir home;
    std::map<std::string, std::string> env = x.env(isolatedEnv(home.str()));
    std::vector<std::unique_ptr<BackgroundProcess>> terminals;
    std::string tmuxSocket = (home.path() / "tmux.sock").string();

    Desktop() {
        env["TERM"] = "xterm";
        env["QT_QPA_PLATFORM"] = "xcb";
        home.write("bin/claude", "#!/bin/sh\nread -r line\n");
        std::filesystem::permissions(home.path() / "bin/claude", std::filesystem::perms::owner_all);
    }
    ~Desktop() {
        if (std::filesystem::exists(tmuxSocket)) runProcess(tmux, {"-S", tmuxSocket, "kill-server"}, env);
    }
    std::string activeWindowTitle() {
        const std::string name = x.run("xdotool", {"getactivewindow", "getwindowname"}).out;
        return name.substr(0, name.find('\n'));
    }
    // A terminal titled `title` running `program` in `folder`; true once its window shows.
    bool openTerminal(const std::string& title, const std::string& folder, std::vector<std::string> program) {
        std::vector<std::string> args{title, folder};
        args.insert(args.end(), program.begin(), program.end());
        terminals.push_back(std::make_unique<BackgroundProcess>(FAKE_TERMINAL, args, env));
        return terminals.back()->readLine(10s) == "ready" &&
               activeBecomes([&] { return activeWindowTitle() == title; });
    }
    std::string agent() const { return (home.path() / "bin/claude").string(); }
};

SessionInfo sessionIn(const std::filesystem::path& cwd) {
    SessionInfo s;
    s.id = "/transcripts/" + uuid + ".jsonl";
    s.cwd = cwd.string();
    return s;
}

} // namespace

TEST(RunningSessionX11, TheTerminalOfALiveSessionBecomesActive) {
    Desktop d;
    ASSERT_TRUE(d.x.ok()) << d.x.problem();
    const auto projectA = d.home.mkdir("work/project A");
    const auto projectC = d.home.mkdir("work/project C");
    // `; :` keeps the shell between terminal and agent, as an interactive one would be.
    ASSERT_TRUE(d.openTerminal("Term A", projectA.string(), {"/bin/sh", "-c", d.agent() + "; :"}));

    // tmux: the agent in window 0 of session "work", window 1 current; a terminal's
    // client (under `script`, which gives it a terminal device) shows the session.
    ASSERT_TRUE(std::filesystem::exists(tmux)) << "tmux is missing: run scripts/install-deps.sh";
    auto started =
        runProcess(tmux,
                   {"-S", d.tmuxSocket, "new-session", "-d", "-s", "work", "-c", projectC.string(),
                    "/bin/sh -c '" + d.agent() + "; :'", ";", "new-window", "-t", "work", "-c", d.home.str()},
                   d.env);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    ASSERT_TRUE(d.openTerminal(
        "Term C", d.home.str(),
        {"/usr/bin/script", "-qfc", tmux + " -S '" + d.tmuxSocket + "' attach -t work", "/dev/null"}));
    auto currentWindow = [&] {
        return runProcess(tmux,
                          {"-S", d.tmuxSocket, "display-message", "-p", "-t", "work", "#{window_index}"},
                          d.env)
            .out;
    };
    ASSERT_EQ(currentWindow(), "1\n");

    setenv("DISPLAY", d.x.display().c_str(), 1);
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Platform p = systemPlatform();
    p.paths = fake::makePlatform(d.home.str()).paths;
    auto sounds = std::make_shared<fake::Sounds>();
    p.sounds = sounds;
    {
        SessionFocus focus(p, [] { return false; });
        focus.focusSession(sessionIn(projectA));
        EXPECT_TRUE(activeBecomes([&] { return d.activeWindowTitle() == "Term A"; }))
            << d.activeWindowTitle();

        focus.focusSession(sessionIn(projectC));
        EXPECT_TRUE(activeBecomes([&] { return d.activeWindowTitle() == "Term C"; }))
            << d.activeWindowTitle();
        EXPECT_EQ(currentWindow(), "0\n") << "the agent's tmux window is selected";
    }
    EXPECT_TRUE(sounds->played.empty());
    EXPECT_FALSE(std::filesystem::exists(d.home.path() / ".cache/fraymark"))
        << "live sessions are never resumed";
    unsetenv("DISPLAY");
}
