// The real binary on a real X server with a real window manager: where the island goes,
// how it answers the pointer, what the full-screen test hides, the tray, and what it does
// when displays, compositors and the server itself come and go.
#include "island/IslandView.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <csignal>
#include <pwd.h>
#include <regex>
#include <thread>
#include <unistd.h>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;

namespace {

#define REQUIRE_X(session)                                                                                   \
    if (!(session).ok()) GTEST_SKIP() << "no X server for the desktop tests: " << (session).problem()

WindowGeometry at(int x, int y, int w, int h) {
    return {x, y, w, h, true};
}

void PrintTo(const WindowGeometry& g, std::ostream* os) {
    *os << g.width << "x" << g.height << "+" << g.x << "+" << g.y << (g.mapped ? "" : " (unmapped)");
}

// Fraymark run on the session with a home of its own.
struct Island {
    const XSession& x;
    TempDir home;
    std::unique_ptr<BackgroundProcess> process;

    explicit Island(const XSession& session, const std::string& preferences = "{}") : x(session) {
        home.write(".config/fraymark/preferences.json", preferences);
        process = std::make_unique<BackgroundProcess>(FRAYMARK_BINARY, std::vector<std::string>{},
                                                      x.env(isolatedEnv(home.str())));
    }
    std::optional<WindowGeometry> waitFor(std::function<bool(const WindowGeometry&)> condition,
                                          double s = 5) {
        return x.waitFor("Fraymark", condition, s);
    }
    std::optional<WindowGeometry> waitFor(WindowGeometry g, double s = 5) {
        return waitFor([g](const WindowGeometry& now) { return now == g; }, s);
    }
};

// A window of our own for the island to cover, or to cover the island's display.
struct TestWindow {
    BackgroundProcess process;
    TestWindow(const XSession& x, std::vector<std::string> args)
        : process(FRAYMARK_TEST_WINDOW, std::move(args), x.env({})) {
        process.readLine(5s); // "shown"
        std::this_thread::sleep_for(300ms);
    }
};

// The offscreen rendering of the idle island, to compare with the screen inside the body.
QImage offscreenIsland() {
    static int argc = 1;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const passwd* pw = getpwuid(getuid());
    std::string full = pw && pw->pw_gecos ? pw->pw_gecos : "";
    full = full.substr(0, full.find(','));
    const Instant now = wallNow();
    const IslandModel m =
        IslandModel::from({}, false, playerOneName(full, pw ? pw->pw_name : ""), {}, nullptr, now);
    QImage drawn(512, 128, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter p(&drawn);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    IslandViewState state;
    state.ramp.update(m.p1Stamina, now);
    IslandView::paint(p, QPointF(26, 26), m, std::nullopt, state, now);
    p.end();
    return drawn;
}

} // namespace

// One screen, from start to the server's end: the shape with and without a compositor,
// the picture, hover, click-through, a window manager restart and the tray. Taps, drags
// and the hover delay are the island's and the controller's tests.
TEST(Desktop, OneScreenFromStartToServerLoss) {
    XSession x;
    REQUIRE_X(x);
    x.startTray();
    Island island(x);
    // The panel reaches 26 points above the screen; the island's body starts at the top.
    ASSERT_EQ(island.waitFor(at(704, -26, 512, 128)), at(704, -26, 512, 128));

    // Without a compositor the window is clipped to the island's body; with one it is whole.
    auto boundingShape = [&] {
        const auto info = x.run("xwininfo", {"-shape", "-id", *x.windowId("Fraymark")}).out;
        std::smatch m;
        if (info.find("No window shape defined") != std::string::npos) return std::string("whole");
        std::regex_search(info, m, std::regex("Window shape extents:\\s+(\\d+)x(\\d+)"));
        return m.empty() ? std::string() : m[1].str() + "x" + m[2].str();
    };
    EXPECT_EQ(boundingShape(), "460x76");
    x.startCompositor();
    for (int i = 0; i < 60 && boundingShape() != "whole"; ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(boundingShape(), "whole");

    // Inside the body, away from its antialiased rim (panel 30..482, 30..98), the screen
    // shows what the offscreen renderers draw.
    std::this_thread::sleep_for(500ms);
    const std::string shot = (island.home / "shot.png").string();
    ASSERT_TRUE(x.screenshot(shot, 704, 0, 512, 102));
    const QImage screen(QString::fromStdString(shot)), drawn = offscreenIsland();
    int differing = 0;
    for (int y = 30; y < 98; ++y)
        for (int xx = 30; xx < 482; ++xx) {
            const QColor a = screen.pixelColor(xx, y - 26), b = drawn.pixelColor(xx, y);
            differing += std::abs(a.red() - b.red()) > 8 || std::abs(a.green() - b.green()) > 8 ||
                         std::abs(a.blue() - b.blue()) > 8;
        }
    // Antialiasing differs in a few dozen pixels; a different word alone changes about 190.
    EXPECT_LT(differing, 80) << shot;

    // Hover grows the window to the roster; it shrinks back once the pointer leaves.
    TestWindow below(x, {"below", "600,0,720,300"});
    x.pointer(960, 40);
    ASSERT_EQ(island.waitFor(at(704, -26, 512, 191), 2), at(704, -26, 512, 191));
    x.pointer(960, 700);
    ASSERT_EQ(island.waitFor(at(704, -26, 512, 128), 3), at(704, -26, 512, 128));

    // The transparent margin lets clicks through to the window below; the body does not.
    x.click(715, 60);
    const auto through = below.process.readLine(2s);
    EXPECT_TRUE(through && through->rfind("press ", 0) == 0) << through.value_or("nothing");
    x.click(960, 60);
    EXPECT_EQ(below.process.readLine(500ms), std::nullopt) << "the body took that click";
    // That was a tap on the island: it collapses (the menu bar's height, 2.5 times as wide)
    // once the pointer has left it, and stays so when the window manager is replaced.
    x.pointer(960, 700);
    const auto collapsed = at(904, -26, 112, 76);
    ASSERT_EQ(island.waitFor(collapsed, 3), collapsed);
    x.restartWindowManager();
    EXPECT_EQ(island.waitFor(collapsed, 2), collapsed);

    // The tray icon sits inside the tray host's panel.
    const auto tree = x.run("xwininfo", {"-root", "-tree"}).out;
    EXPECT_TRUE(std::regex_search(
        tree, std::regex("\"panel\": \\(\"panel\" \"trayer\"\\)[^]*\"Fraymark\": \\(\"fraymark\"")))
        << tree;

    // The server goes away: the island ends with an error status rather than hanging.
    x.killServer();
    EXPECT_EQ(island.process->stop(0, 10s), 1) << island.process->stderrText();
}

// Two monitors: A 1280x800 (primary) and B 1920x1080 to its right.
TEST(Desktop, TwoMonitorsPinFullScreenAndPanels) {
    XSession x(XSession::Screens::twoMonitors);
    REQUIRE_X(x);
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

    // Full-screen windows hide it only on its own display.
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
