// Runs the real binary: errors, --displays, the window system, single instance and --log.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace fray::test;

namespace {

const std::string kBinary = FRAYMARK_BINARY;

struct Invocation {
    TempDir home;
    std::map<std::string, std::string> env = isolatedEnv(home.str());
    ProcessResult operator()(std::vector<std::string> args) { return runProcess(kBinary, args, env); }
};

// What a mode that starts Qt says first when, as in these tests, there is no display.
const std::string noDisplay =
    "fraymark: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); running without windows\n";

} // namespace

// Each option that is not known is named; a missing argument and a folder that cannot be
// made are told at once. (Not trusted for --ax-click is the accessibility test's.)
TEST(CommandLine, UnknownOptionsAndErrors) {
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string out, err;
    } rows[] = {
        {{"--lgo", "--ax-click"},
         2,
         "usage: --ax-click \"<session title>\"\n",
         "fraymark: ignoring unknown option --lgo\n" + noDisplay},
        {{"--render-previews", "/dev/null/x", "--render-film", "/dev/null/x"},
         1,
         "",
         noDisplay + "fraymark: cannot create /dev/null/x for the film: Not a directory\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.args));
        Invocation run;
        auto got = run(r.args);
        EXPECT_EQ(got.exitCode, r.exit);
        EXPECT_EQ(got.out, r.out);
        EXPECT_EQ(got.err, r.err);
    }
}

// A display that cannot be used never aborts: a tool falls back to offscreen, the island
// runs headless, each saying so in one line; a reachable X server wins over Wayland. (A
// dead X display takes the same way for the island as for a tool.)
TEST(CommandLine, WindowSystemChoice) {
    XSession x(XSession::Screens::bare);
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    struct Row {
        const char* name;
        std::map<std::string, std::string> env;
        bool island;
        std::string err, out;
    } rows[] = {
        {"dead X display, tool",
         {{"DISPLAY", ":987"}},
         false,
         "fraymark: cannot reach the X display :987; running without windows\n",
         "pinned: auto — primary\n"},
        {"X and Wayland: X",
         {{"DISPLAY", x.display()}, {"WAYLAND_DISPLAY", "wayland-test"}},
         false,
         "",
         " 1920x1080 at (0,0)  (primary)\n"},
        {"Wayland alone, island",
         {{"WAYLAND_DISPLAY", "wayland-test"}},
         true,
         "fraymark: the island needs an X server (XWayland) and this Wayland session has none; running "
         "headless (log and sounds only)\n",
         "CLD:"},
    };
    Invocation run;
    // A compositor's socket that accepts connections and says nothing.
    const int wayland = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{AF_UNIX, {}};
    (run.home / "run/wayland-test").string().copy(addr.sun_path, sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(wayland, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(wayland, 8), 0);
    const auto plain = run.env;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        run.env = plain;
        run.env.insert(r.env.begin(), r.env.end());
        if (r.island) {
            BackgroundProcess island(kBinary, {"--demo", "--log"}, run.env);
            auto line = island.readLine(std::chrono::seconds(10));
            EXPECT_NE(line.value_or("").find(r.out), std::string::npos) << island.stderrText();
            EXPECT_EQ(island.stop(SIGTERM), 0) << "kept running";
            EXPECT_EQ(island.stderrText(), r.err);
        } else {
            auto got = run({"--displays"});
            EXPECT_EQ(got.exitCode, 0);
            EXPECT_EQ(got.err, r.err);
            EXPECT_NE(got.out.find(r.out), std::string::npos) << got.out;
        }
    }
    close(wayland);
}

// One copy at a time, though diagnostics run beside it; a pin to a display that is not
// there is reported, and the older kind of position kept for a real display.
TEST(CommandLine, SingleInstanceDiagnosticsAndCleanExit) {
    TempDir home;
    const auto prefs = home.write(".config/fraymark/preferences.json",
                                  R"({"displayKey": "ext:1-2-3", "customX": 100, "customY": 50})");
    auto env = isolatedEnv(home.str());
    BackgroundProcess first(kBinary, {"--demo", "--log"}, env);
    auto line = first.readLine(std::chrono::seconds(10));
    ASSERT_TRUE(line) << first.stderrText();
    EXPECT_NE(line->find("] CLD:Quillfeather[feat/fraymark]=started combo=0 stamina=0.50 idle=-1s"),
              std::string::npos)
        << *line;

    auto second = runProcess(kBinary, {"--log"}, env);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.err, "Fraymark is already running (pid " + std::to_string(first.pid()) + ").\n");
    EXPECT_TRUE(second.out.empty());

    auto diag = runProcess(kBinary, {"--displays"}, env);
    EXPECT_EQ(diag.exitCode, 0) << "diagnostic modes never take the lock";
    EXPECT_EQ(diag.out.rfind("pinned: ext:1-2-3\n", 0), 0u) << diag.out;
    EXPECT_NE(diag.out.find("\n  pinned display is not attached — island falls back to primary\n"),
              std::string::npos)
        << diag.out;
    EXPECT_NE(readFile(prefs).find("\"customX\": 100"), std::string::npos)
        << "no real display: the older position waits for one";

    EXPECT_EQ(first.stop(SIGTERM), 0) << first.stderrText();

    // A copy killed outright leaves its lock behind; the next one takes it over.
    BackgroundProcess killed(kBinary, {"--demo", "--log"}, env);
    ASSERT_TRUE(killed.readLine(std::chrono::seconds(10)));
    killed.stop(SIGKILL);
    BackgroundProcess again(kBinary, {"--demo", "--log"}, env);
    EXPECT_TRUE(again.readLine(std::chrono::seconds(10))) << again.stderrText();
    EXPECT_EQ(again.stop(SIGINT), 0);
}
