// The controller over a fake platform: the shape, layout on display changes, the
// full-screen test and drags across displays.
#include "app/IslandWindow.h"
#include "app/AppDelegate.h"
#include "island/RootView.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace fray;

namespace {

ScreenInfo screen(std::string name, double x, double w, double h) {
    ScreenInfo s;
    s.id = s.name = std::move(name);
    s.frame = {x, 0, w, h};
    s.visibleFrame = {x, 0, w, h - 30};
    return s;
}

struct Desk {
    test::TempDir home;
    Platform platform = fake::makePlatform(home.str());
    fake::Displays& displays = static_cast<fake::Displays&>(*platform.displays);
    fake::Windows& windows = static_cast<fake::Windows&>(*platform.windows);
    Settings settings{std::make_shared<PreferencesStore>()};
    std::unique_ptr<AppDelegate> app;

    Desk() {
        displays.list = {screen("A", 0, 1920, 1080), screen("B", 1920, 1280, 800)};
        app = std::make_unique<AppDelegate>(true, false, settings, platform);
        app->applicationDidFinishLaunching();
        settle();
    }
    static void settle() { QCoreApplication::processEvents(); }
    RootView& view() { return app->island()->view(); }
    GRect frame() { return windows.frames[&view()]; }
};

} // namespace

// Without a compositor the window is clipped to the body (its transparent pixels would be
// black); a display change lays it out again at once and again once the displays have
// settled.
TEST(IslandWindow, ShapeAndLayoutOnChanges) {
    Desk d;
    EXPECT_FALSE(d.windows.shapes[&d.view()].has_value()) << "a compositor shows it whole";
    d.windows.composited = false;
    d.windows.change(WindowSystem::Change::compositor);
    EXPECT_TRUE(d.windows.shapes[&d.view()].has_value());
    Desk::settle();
    const int before = d.windows.frameSets;
    d.displays.set({screen("A", 0, 2560, 1440)});
    EXPECT_EQ(d.windows.frameSets, before + 1);
    QTest::qWait(int(AppDelegate::displaySettleDelay * 1000) + 150);
    EXPECT_EQ(d.windows.frameSets, before + 2);
    EXPECT_EQ(d.frame().x, (2560 - 512) / 2);
}

TEST(IslandWindow, FullScreenWindowsOfOthersOnItsDisplayHideIt) {
    Desk d;
    d.settings.setShowOverFullscreen(false);
    Desk::settle();
    auto full = [](GRect bounds) { return WindowInfo{bounds, true, true, true, false}; };
    const GRect onA{0, 0, 1920, 1080};
    struct Row {
        const char* name;
        WindowInfo window;
        bool hidden;
    } rows[] = {
        {"FullScreenOnItsDisplay", full(onA), true},
        {"OnAnotherDesktop", {onA, true, false, true, false}, false},
        {"ADock", {onA, true, true, false, false}, false},
        {"MaximisedNotFullScreen", {onA, false, true, true, false}, false},
    };
    for (const auto& r : rows) {
        d.windows.list = std::vector<WindowInfo>{r.window};
        d.windows.change(WindowSystem::Change::windows);
        EXPECT_EQ(d.view().isVisible(), !r.hidden) << r.name;
    }
}

TEST(IslandWindow, DragsRepinToTheDisplayUnderThePointer) {
    Desk d;
    const GRect start = d.frame();
    d.windows.where = {900, 1060};
    d.app->island()->dragMoved(); // anchors here
    d.windows.where = {2100, 700};
    d.app->island()->dragMoved();
    EXPECT_EQ(d.settings.displayKey(), "name:B");
    EXPECT_EQ(d.settings.displayName(), "B");
    // 1200 right and 360 down from where the drag began (the island's top at 1080), and
    // kept relative to B's top-left corner (B is 800 tall).
    EXPECT_EQ(d.settings.customSpot(), (GPoint{start.x + 1200 - 1920, 800 - (1080 - 360)}));
    EXPECT_TRUE(d.app->model().suppressClick);
    d.app->island()->dragEnded();
    d.app->resetPosition();
    EXPECT_EQ(d.settings.customSpot(), std::nullopt);
}
