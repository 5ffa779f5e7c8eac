#include "island/IslandView.h"
#include "Fixtures.h"
#include "model/IslandLayout.h"
#include "support/PixelProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::fighters;
using test::frameNow;
using test::modelIn;

// The panel is sized from the layout, the view paints from its own height: if they part,
// rows are cut off.
TEST(IslandView, HeightFollowsTheLayoutRule) {
    const Instant now = frameNow();
    const std::optional<QRectF> none, notch = QRectF(137.5, 0, 185, 32);
    for (auto [name, sessions, expanded, plan, cutout, height] :
         {std::tuple{"compact", 2, false, false, none, 76.0},
          {"expanded, nobody: one empty row", 0, true, false, none, 139.0},
          {"expanded, seven with plan: six rows and an overflow line", 7, true, true, none, 303.0},
          {"expanded around a notch", 4, true, true, notch, 267.0}}) {
        SCOPED_TRACE(name);
        IslandModel m = test::modelOf(fighters(sessions), now, expanded,
                                      plan ? test::fetched(60, 30, std::nullopt) : PlanUsage{});
        EXPECT_DOUBLE_EQ(IslandView::height(m, cutout, now), height);
        EXPECT_DOUBLE_EQ(IslandLayout::contentHeight(expanded ? IslandMode::expanded : IslandMode::compact,
                                                     sessions, cutout ? 32 : 0, plan),
                         height);
    }
    EXPECT_DOUBLE_EQ(IslandLayout::contentHeight(IslandMode::collapsed, 7, 32, true), 46);
}

TEST(IslandView, RosterShowsAtMostSixRowsInListOrderAsButtonsOnlyWithAnAction) {
    const Instant now = frameNow();
    IslandModel m = test::modelOf(fighters(9), now, true);
    m.onResume = [](const SessionInfo&) {};
    auto rows = IslandView::rows(QPointF(0, 0), m, std::nullopt, now);
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].session->id, m.sessions[i].id) << i;
    auto tip = [&] {
        return IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, rows[1].rect.center(), now);
    };
    EXPECT_EQ(tip(), "Bring Claude Code to the front");
    m.onResume = nullptr;
    EXPECT_EQ(tip(), "") << "rows without an action are not buttons";
    m.expanded = false;
    EXPECT_TRUE(IslandView::rows(QPointF(0, 0), m, std::nullopt, now).empty()) << "no roster while compact";
}

QImage drawIsland(const IslandModel& m, Instant t, std::optional<QRectF> notch = std::nullopt) {
    const double h = IslandView::height(m, notch, t);
    QImage img = test::canvas(512, h + 52);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    IslandViewState state;
    state.ramp.update(m.p1Stamina, t);
    IslandView::paint(p, QPointF(26, 26), m, notch, state, t);
    return img;
}

// Nothing of the HUD may sit behind the camera housing.
TEST(IslandPixels, NotchIsLeftOpenAndTheHudMovesBelowIt) {
    const Instant t = frameNow();
    IslandModel m = modelIn(IslandStatus::working, 10, t);
    QImage wrapped = drawIsland(m, t, QRectF(137.5, 0, 185, 32));
    QImage plain = drawIsland(m, t);
    EXPECT_LT(test::at(wrapped, {26 + 230, 26 + 8}).alpha(), 40) << "the notch is not painted";
    EXPECT_EQ(test::at(wrapped, {26 + 230, 26 + 32 + 3.25}), test::at(plain, {26 + 230, 26 + 3.25}));
    EXPECT_NE(test::at(wrapped, {26 + 230, 26 + 32 + 3.25}), test::at(wrapped, {26 + 230, 26 + 3.25}));
}

} // namespace
} // namespace fray
