// The real binary on a real X server with a real window manager: where the island goes,
// the full-screen test, clicks through its margin, the tray, and what it does when the
// server itself goes away.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
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

} // namespace

// One screen, from start to the server's end. Placement rules, hover, taps and drags are
// the placement, island and controller tests'; here the pieces meet on X.
TEST(Desktop, OneScreenFromStartToServerLoss) {
    XSession x;
    if (!x.ok()) GTEST_SKIP() << "no X server for the desktop tests: " << x.problem();
    x.startTray();
    TempDir home;
    home.write(".config/fraymark/preferences.json", R"({"showOverFullscreen": false})");
    BackgroundProcess island(FRAYMARK_BINARY, {}, x.env(isolatedEnv(home.str())));
    auto waitFor = [&](WindowGeometry g, double s = 5) {
        return x.waitFor(
            "Fraymark", [g](const WindowGeometry& now) { return now == g; }, s);
    };
    // The panel reaches 26 points above the screen; the island's body starts at the top.
    const auto idle = at(704, -26, 512, 128);
    ASSERT_EQ(waitFor(idle), idle);

    // A full-screen window hides it, and it comes back once that window is gone.
    {
        TestWindow covering(x, {"covering", "fullscreen", "960,500"});
        auto hidden = x.waitFor(
            "Fraymark", [](const WindowGeometry& g) { return !g.mapped; }, 3);
        ASSERT_TRUE(hidden);
        EXPECT_FALSE(hidden->mapped);
    }
    EXPECT_EQ(waitFor(idle, 3), idle);

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
    EXPECT_EQ(island.stop(0, 10s), 1) << island.stderrText();
}
