// Runs the real binary: option precedence, usage text, --displays, single instance.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/Xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
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

const std::string kUsage =
    "Fraymark — Vortan-style Claude Code session HUD\n"
    "  (no args)                 run the island\n"
    "  --demo                    cycle fake statuses to preview the theme\n"
    "  --log                     print detected sessions to stdout every tick\n"
    "  --displays                list attached monitors and the pinned one, then exit\n"
    "  --ax-status               report the Accessibility grant (and prompt if missing)\n"
    "  --ax-click \"<title>\"      precise-focus test: press Claude's sidebar row by title\n"
    "  --render-previews <dir>   write PNG previews of every state and exit\n"
    "  --render-shots <dir>      write marketing stills (fake desktop, placeholder data)\n"
    "  --render-film <dir>       write the demo film's frames + ffconcat list\n";

std::string unavailable(const std::string& option) {
    return "fraymark: " + option + " is not available in this build\n";
}

} // namespace

TEST(CommandLine, PrecedenceAndUsage) {
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string out, err;
    } rows[] = {
        {{"--help"}, 0, kUsage, ""},
        {{"--log", "--demo", "-h"}, 0, kUsage, ""},
        {{"--render-shots", "--ax-status", "--help"}, 0, kUsage, ""},
        {{"--HELP", "--displays", "--ax-status"},
         2,
         "",
         "fraymark: ignoring unknown option --HELP\n" + unavailable("--ax-status")},
        {{"--lgo", "--render-previews", "--log", "--help", "x"},
         0,
         kUsage,
         "fraymark: ignoring unknown option --lgo\nfraymark: ignoring unknown option x\n"},
        {{"--displays", "--ax-click", "x"}, 2, "", unavailable("--ax-click")},
        {{"--render-previews", "out", "--render-film", "out"}, 2, "", unavailable("--render-film")},
        {{"--ax-click"}, 2, "", unavailable("--ax-click")},
        {{"--render-film", "--render-previews", "--render-shots"}, 2, "", unavailable("--render-shots")},
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

TEST(CommandLine, DisplaysReport) {
    {
        SCOPED_TRACE("nothing pinned");
        Invocation run;
        auto got = run({"--displays", "--render-previews"});
        EXPECT_EQ(got.exitCode, 0);
        EXPECT_EQ(got.out.rfind("pinned: auto — primary\n", 0), 0u) << got.out;
        EXPECT_EQ(got.out.find("▸"), std::string::npos);
        EXPECT_EQ(got.out.find("not attached"), std::string::npos);
        EXPECT_NE(got.out.find("  (primary)\n"), std::string::npos) << got.out;
    }
    {
        SCOPED_TRACE("pinned display unplugged");
        Invocation run;
        run.home.write(".config/fraymark/preferences.json",
                       R"({"displayKey": "ext:1-2-3", "customX": 100, "customY": 50})");
        auto got = run({"--displays"});
        EXPECT_NE(
            readFile((run.home / ".config/fraymark/preferences.json").string()).find("\"customX\": 100"),
            std::string::npos)
            << "no real display: the older position waits for one";
        EXPECT_EQ(got.exitCode, 0);
        EXPECT_EQ(got.out.rfind("pinned: ext:1-2-3\n", 0), 0u) << got.out;
        EXPECT_NE(got.out.find("\n  pinned display is not attached — island falls back to primary\n"),
                  std::string::npos)
            << got.out;
    }
}

// A display that cannot be used never aborts: a tool falls back to offscreen, the island
// runs headless, each saying so in one line; a reachable X server wins over Wayland.
TEST(CommandLine, WindowSystemChoice) {
    Xvfb x;
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    const std::string headless = "running headless (log and sounds only)\n";
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
         "pinned: "},
        {"Wayland without Qt's plugin, tool",
         {{"WAYLAND_DISPLAY", "wayland-test"}},
         false,
         "fraymark: cannot use the Wayland display wayland-test (Qt's Wayland plugin is not installed); "
         "running "
         "without windows\n",
         "pinned: "},
        {"X and Wayland: X",
         {{"DISPLAY", x.display()}, {"WAYLAND_DISPLAY", "wayland-test"}},
         false,
         "",
         " 1600x900 at (0,0)  (primary)\n"},
        {"dead X display, island",
         {{"DISPLAY", ":987"}},
         true,
         "fraymark: cannot reach the X display :987; " + headless,
         "CLD:"},
        {"Wayland alone, island",
         {{"WAYLAND_DISPLAY", "wayland-test"}},
         true,
         "fraymark: the island needs an X server (XWayland) and this Wayland session has none; " + headless,
         "CLD:"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Invocation run;
        run.env.insert(r.env.begin(), r.env.end());
        // A compositor's socket that accepts connections and says nothing.
        const int wayland = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{AF_UNIX, {}};
        const std::string socketPath = (run.home / "run/wayland-test").string();
        socketPath.copy(addr.sun_path, sizeof addr.sun_path - 1);
        ASSERT_EQ(bind(wayland, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ASSERT_EQ(listen(wayland, 8), 0);
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
        close(wayland);
    }
}

TEST(CommandLine, RenderPreviews) {
    Invocation run;
    const std::string dir = (run.home / "out/nested").string();
    auto got = run({"--log", "--render-previews", dir, "--demo"});
    EXPECT_EQ(got.exitCode, 0) << got.err;
    std::vector<std::string> written;
    for (auto& e : std::filesystem::directory_iterator(dir))
        written.push_back(e.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written.size(), 19u);
    EXPECT_TRUE(std::binary_search(written.begin(), written.end(), "island-6-expanded.png"));
    EXPECT_TRUE(std::binary_search(written.begin(), written.end(), "island-8-settings.png"));
    EXPECT_EQ(got.out.rfind("wrote " + dir + "/island-1-started.png\n", 0), 0u) << got.out;
    EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 19);
}

TEST(CommandLine, SingleInstanceAndCleanExit) {
    TempDir home;
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

    EXPECT_EQ(first.stop(SIGTERM), 0) << first.stderrText();

    // A copy killed outright leaves its lock behind; the next one takes it over.
    BackgroundProcess killed(kBinary, {"--demo", "--log"}, env);
    ASSERT_TRUE(killed.readLine(std::chrono::seconds(10)));
    killed.stop(SIGKILL);
    BackgroundProcess again(kBinary, {"--demo", "--log"}, env);
    EXPECT_TRUE(again.readLine(std::chrono::seconds(10))) << again.stderrText();
    EXPECT_EQ(again.stop(SIGINT), 0);
}
