#include "island/RootView.h"
#include "Fixtures.h"
#include "model/AppModel.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "support/ManualTime.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::session;

// A root view over an in-memory settings store and a model on a manual clock.
struct Rig {
    std::shared_ptr<test::ManualTime> time = std::make_shared<test::ManualTime>(test::frameNow());
    AppModel model{time};
    Settings settings{std::make_shared<PreferencesStore>()};
    RootView view{model, settings, std::make_shared<fake::User>("Ada Lovelace", "lovelace"), time->clock()};

    int dragChanges = 0, dragEnds = 0, settingsOpened = 0;
    std::vector<std::string> resumed;

    Rig() {
        view.resize(int(IslandLayout::panelWidth), 400);
        model.dragChanged = [this] {
            ++dragChanges;
            model.noteDrag(); // as the controller does
        };
        model.dragEnded = [this] {
            ++dragEnds;
            model.clearDragSoon();
        };
        model.openSettings = [this] { ++settingsOpened; };
        model.resumeSession = [this](const SessionInfo& s) { resumed.push_back(s.id); };
    }

    QPointF body() { return view.islandRect(time->now()).center(); }

    void send(QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
              QPointF global) {
        QMouseEvent e(type, pos, pos, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&view, &e);
    }
    void move(QPointF pos, bool held = false, std::optional<QPointF> global = std::nullopt) {
        send(QEvent::MouseMove, pos, Qt::NoButton, held ? Qt::LeftButton : Qt::NoButton,
             global.value_or(pos + QPointF(500, 0)));
    }
    void press(QPointF pos) {
        send(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, pos + QPointF(500, 0));
    }
    void release(QPointF pos) {
        send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, pos + QPointF(500, 0));
    }
    void tap(QPointF pos) {
        press(pos);
        release(pos);
    }
};

TEST(RootView, ViewModelAndBodyPerMode) {
    Rig r;
    const PlanUsage plan = test::fetched(60, std::nullopt, 44);
    r.model.setPlan(plan);
    r.model.setSessions({session("a", SessionStatus::working)});
    IslandModel open = r.view.islandModel(r.time->now());
    EXPECT_EQ(open.p1Name, "ADA");
    EXPECT_EQ(open.plan, plan);
    EXPECT_TRUE(open.onResume);
    r.model.setNotchLocal(QRectF(137.5, 0, 185, 32));
    EXPECT_DOUBLE_EQ(r.view.islandRect(r.time->now()).height(), 76 + 32);
    r.settings.setCollapsed(true);
    IslandModel bar = r.view.islandModel(r.time->now());
    EXPECT_EQ(bar.plan, PlanUsage{}) << "the collapsed bar gets no plan";
    EXPECT_FALSE(bar.onResume);
    EXPECT_EQ(r.view.islandRect(r.time->now()).size(), QSizeF(r.model.collapsedW(), r.model.collapsedH()));
}

TEST(RootView, HoverFollowsThePointerOverTheBody) {
    Rig r;
    r.move(r.body());
    EXPECT_TRUE(r.model.hovered());
    EXPECT_EQ(r.view.mode(), IslandMode::expanded);
    // Leaving waits 0.35 s, and coming back within it cancels the wait, so the island does
    // not close under a pointer that strays over the transparent margin.
    r.move(QPointF(5, 5));
    r.time->advance(0.2);
    r.move(r.body());
    r.move(QPointF(5, 5));
    r.time->advance(0.3);
    EXPECT_TRUE(r.model.hovered());
    r.time->advance(0.06);
    EXPECT_FALSE(r.model.hovered());
    r.move(r.body());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&r.view, &leave);
    r.time->advance(0.4);
    EXPECT_FALSE(r.model.hovered()) << "leaving the panel leaves the island";
    r.settings.setCollapsed(true);
    ASSERT_EQ(r.view.mode(), IslandMode::collapsed);
    r.move(r.body());
    EXPECT_EQ(r.view.mode(), IslandMode::expanded) << "hovering opens the collapsed bar too";
    EXPECT_TRUE(r.view.islandModel(r.time->now()).expanded);
}

TEST(RootView, TapFlipsTheIslandAndADragMovesItInstead) {
    // The threshold is measured on the screen: the widget position stays put as the panel follows.
    // Widget events carry whole points, so 3 is the last distance that is still a tap.
    for (auto [distance, moves, drags] : {std::tuple{3.0, 1, 0}, {4.0, 1, 1}, {30.0, 3, 3}}) {
        SCOPED_TRACE(distance);
        Rig r;
        const QPointF start = r.body();
        r.tap(QPointF(3, 3));
        EXPECT_FALSE(r.settings.collapsed()) << "a click beside the island is not a tap on it";
        r.press(start);
        for (int i = 1; i <= moves; ++i)
            r.move(start, true, start + QPointF(500 + distance * i / moves, 0));
        r.release(start);
        EXPECT_EQ(r.dragChanges, drags) << "every move of a drag is reported";
        EXPECT_EQ(r.dragEnds, drags ? 1 : 0);
        EXPECT_EQ(r.settings.collapsed(), drags == 0) << "only a tap flips the island";
        if (drags == 0) {
            r.tap(r.body());
            EXPECT_FALSE(r.settings.collapsed()) << "a tap on the collapsed bar opens it again";
            continue;
        }
        r.tap(start);
        EXPECT_FALSE(r.settings.collapsed()) << "a tap right after a drag is ignored";
    }
}

TEST(RootView, RosterRowClickResumesThatSession) {
    Rig r;
    r.model.setSessions({session("a", SessionStatus::needsAction), session("b", SessionStatus::working),
                         session("c", SessionStatus::completed)});
    r.move(r.body());
    ASSERT_EQ(r.view.mode(), IslandMode::expanded);
    const Instant now = r.time->now();
    auto rows =
        IslandView::rows(r.view.islandRect(now).topLeft(), r.view.islandModel(now), std::nullopt, now);
    ASSERT_EQ(rows.size(), 3u);
    r.tap(rows[1].rect.center());
    EXPECT_EQ(r.resumed, std::vector<std::string>{"b"});
    EXPECT_FALSE(r.settings.collapsed()) << "the row takes the click, not the island";

    r.model.noteDrag();
    r.tap(rows[2].rect.center());
    EXPECT_EQ(r.resumed.size(), 1u) << "no resume while clicks are suppressed";
    // A drag that starts before the last one's clear is due voids that clear.
    r.model.clearDragSoon();
    r.time->advance(0.1);
    r.model.noteDrag();
    r.time->advance(0.2);
    r.tap(rows[2].rect.center());
    EXPECT_EQ(r.resumed.size(), 1u);
    r.model.clearDragSoon();
    r.time->advance(0.26);
    r.tap(rows[2].rect.center());
    EXPECT_EQ(r.resumed, (std::vector<std::string>{"b", "c"}));
}

TEST(RootView, ContextMenuFollowsTheStateAndActs) {
    Rig r;
    int quits = 0;
    r.view.onQuit = [&] { ++quits; };
    auto titles = [&] {
        std::vector<std::string> out;
        for (const auto& item : r.view.contextMenuItems())
            out.push_back(item.title.toStdString());
        return out;
    };
    EXPECT_EQ(titles(), (std::vector<std::string>{"Collapse Island", "Options…", "", "Quit Fraymark"}));
    r.settings.setCollapsed(true);
    r.settings.setCustomSpot(GPoint{40, 12});
    EXPECT_EQ(titles(),
              (std::vector<std::string>{"Expand Island", "Reset Position", "Options…", "", "Quit Fraymark"}));
    auto items = r.view.contextMenuItems();
    for (int i : {0, 1, 2, 4})
        items[std::size_t(i)].action();
    EXPECT_FALSE(r.settings.collapsed());
    EXPECT_FALSE(r.settings.customSpot());
    EXPECT_EQ(r.settingsOpened, 1);
    EXPECT_EQ(quits, 1);
    r.model.openSettings = nullptr;
    r.view.contextMenuItems()[1].action(); // "Options…" without a handler does nothing
}

TEST(RootView, RedrawsOnlyWhileSomethingAnimates) {
    const std::optional<SessionStatus> nobody;
    const std::optional<double> settled;
    for (auto [name, status, collapsed, within] :
         {std::tuple{"idle island is settled", nobody, false, settled},
          {"knocked out: the round timer's next second", SessionStatus::completed, false, 0.75},
          {"collapsed \"K.O.\" is settled", SessionStatus::completed, true, settled}}) {
        SCOPED_TRACE(name);
        Rig r;
        r.settings.setCollapsed(collapsed);
        if (status) r.model.setSessions({session("a", *status, 3, 10.25)});
        auto next = r.view.nextRedraw(r.time->now());
        ASSERT_EQ(next.has_value(), within.has_value());
        if (next) {
            EXPECT_NEAR(secondsBetween(r.time->now(), *next), *within, 1e-6);
        }
    }
}

} // namespace
} // namespace fray
