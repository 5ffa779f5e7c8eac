// The real binary on real X servers with a real window manager: where the island goes and
// that it draws, the full-screen test, clicks through its margin, the tray, monitors that
// come and go, and what it does when the server itself goes away.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <regex>
#include <thread>

using namespace fray::test;
using namespace std::chrono_literals;

namespace fray::test {
void PrintTo(const WindowGeometry& g, std::ostream* os) {
    *os << g.width << "x" << g.height << "+" << g.x << "+" << g.y << (g.mapped ? "" : " (unmapped)");
}
} // namespace fray::test

namespace {

WindowGeometry at(int x, int y, int w, int h) {
    return {x, y, w, h, true};
}

// A window of our own for the island to cover, or to cover the island's display.
struct TestWindow {
    BackgroundProcess process;
    TestWindow(const XSession& x, std::vector<std::string> args)
        : process(FRAYMARK_TEST_WINDOW, std::move(args), x.env({})) {
        process.readLine(5s); // "shown"
        std::this_thread::sleep_for(300ms);
    }
};

// Fraymark on the session, with a home and preferences of its own.
struct Island {
    const XSession& x;
    TempDir home;
    BackgroundProcess process;
    Island(const XSession& session, const std::string& preferences)
        : x(session), process(FRAYMARK_BINARY, {}, session.env(isolatedEnv(prepared(home, preferences)))) {}
    static std::string prepared(const TempDir& home, const std::string& preferences) {
        home.write(".config/fraymark/preferences.json", preferences);
        return home.str();
    }
    std::optional<WindowGeometry> waitFor(const std::function<bool(const WindowGeometry&)>& c, double s = 5) {
        return x.waitFor("Fraymark", c, s);
    }
    std::optional<WindowGeometry> waitFor(WindowGeometry g, double s = 5) {
        return waitFor([g](const WindowGeometry& now) { return now == g; }, s);
    }
};

} // namespace

// One screen, from start to the server's end. Placement rules, hover, taps and drags are
// the placement, island and controller tests'; here the pieces meet on X.
TEST(Desktop, OneScreenFromStartToServerLoss) {
    XSession x;
    if (!x.ok()) GTEST_SKIP() << "no X server for the desktop tests: " << x.problem();
    x.startTray();
    Island island(x, "{}");
    // The panel reaches 26 points above the screen; the island's body starts at the top.
    const auto idle = at(704, -26, 512, 128);
    ASSERT_EQ(island.waitFor(idle), idle);

    // It draws: inside its body the screen is not the bare desktop (a few colours) but the HUD.
    std::this_thread::sleep_for(500ms);
    const std::string shot = (island.home / "shot.png").string();
    ASSERT_TRUE(x.screenshot(shot, 734, 4, 452, 68));
    EXPECT_GT(std::atoi(x.run("convert", {shot, "-format", "%k", "info:"}).out.c_str()), 200) << shot;

    // The transparent margin lets clicks through to the window below; the body does not.
    TestWindow below(x, {"below", "600,0,720,300"});
    x.click(715, 60);
    const auto through = below.process.readLine(2s);
    EXPECT_TRUE(through && through->rfind("press ", 0) == 0) << through.value_or("nothing");
    x.click(960, 60);
    EXPECT_EQ(below.process.readLine(500ms), std::nullopt) << "the body took that click";

    // The tray icon sits inside the tray host's panel.
    const auto tree = x.run("xwininfo", {"-root", "-tree"}).out;
    EXPECT_TRUE(std::regex_search(
        tree, std::regex("\"panel\": \\(\"panel\" \"trayer\"\\)[^]*\"Fraymark\": \\(\"fraymark\"")))
        << tree;

    // The server goes away: the island ends with an error status rather than hanging.
    x.killServer();
    EXPECT_EQ(island.process.stop(0, 10s), 1) << island.process.stderrText();
}

// Two monitors: A 1280x800 (primary) and B 1920x1080 to its right.
TEST(Desktop, TwoMonitorsPinFullScreenAndPanels) {
    XSession x(XSession::Screens::twoMonitors);
    if (!x.ok()) GTEST_SKIP() << "no X server for the desktop tests: " << x.problem();
    Island island(
        x,
        R"({"displayKey": "name:B", "displayName": "B", "showOverFullscreen": false, "overlapMenuBar": false})");
    // Without a top panel the island keeps 24 points below the top (the menu bar's floor).
    const auto onB = at(1280 + 960 - 256, 24 + 2 - 26, 512, 128), onA = at(384, 24 + 2 - 26, 512, 128);
    ASSERT_EQ(island.waitFor(onB), onB);
    x.unplugB();
    EXPECT_EQ(island.waitFor(onA, 4), onA) << "to the primary while B is away";
    x.plugB();
    EXPECT_EQ(island.waitFor(onB, 4), onB) << "and back when it returns";
    EXPECT_NE(readFile(island.home / ".config/fraymark/preferences.json").find("name:B"), std::string::npos)
        << "the pin is kept";

    // Full-screen windows hide it only on its own display, and it comes back once they go.
    {
        TestWindow other(x, {"other", "fullscreen", "600,400"});
        std::this_thread::sleep_for(800ms);
        EXPECT_EQ(island.waitFor(onB, 1), onB) << "A's window leaves B alone";
        TestWindow covering(x, {"covering", "fullscreen", "2000,500"});
        auto hidden = island.waitFor([](const WindowGeometry& g) { return !g.mapped; }, 3);
        ASSERT_TRUE(hidden);
        EXPECT_FALSE(hidden->mapped);
    }
    EXPECT_EQ(island.waitFor(onB, 3), onB) << "back once it is gone";

    // Each monitor's "menu bar" is the top panel reserved on it.
    x.startTray({"--edge", "top", "--monitor", "1", "--height", "30"});
    EXPECT_EQ(island.waitFor(at(1984, 30 + 2 - 26, 512, 128)), at(1984, 30 + 2 - 26, 512, 128))
        << "under B's panel";
}
