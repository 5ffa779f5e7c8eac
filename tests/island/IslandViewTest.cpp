#include "island/IslandView.h"
#include "Fixtures.h"
#include "island/CompactHUD.h"
#include "island/PlanViews.h"
#include "island/PlayerSide.h"
#include "model/IslandLayout.h"
#include "support/PixelProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace fray {
namespace {

using test::fighters;
using test::frameNow;
using test::modelIn;

TEST(IslandView, HeightFollowsTheLayoutRule) {
    const Instant now = frameNow();
    const std::optional<QRectF> none, notch = QRectF(137.5, 0, 185, 32);
    for (auto [name, sessions, expanded, plan, cutout, height] :
         {std::tuple{"compact", 2, false, false, none, 76.0},
          {"compact around a notch", 2, false, true, notch, 108.0},
          {"expanded, nobody: one empty row", 0, true, false, none, 139.0},
          {"expanded, six", 6, true, false, none, 269.0},
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

TEST(IslandView, RosterShowsAtMostSixRowsInListOrder) {
    const Instant now = frameNow();
    IslandModel m = test::modelOf(fighters(9), now, true);
    auto rows = IslandView::rows(QPointF(0, 0), m, std::nullopt, now);
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].rect.top(), 76 + 9 + 26.0 * double(i)) << i;
        EXPECT_EQ(rows[i].session->id, m.sessions[i].id);
    }
    m.expanded = false;
    EXPECT_TRUE(IslandView::rows(QPointF(0, 0), m, std::nullopt, now).empty()) << "no roster while compact";
}

TEST(IslandView, Tooltips) {
    const Instant now = frameNow();
    IslandModel m = test::modelOf(fighters(2), now, true, test::fetched(60, 30, std::nullopt));
    m.onResume = [](const SessionInfo&) {};
    const CompactHUD::Layout l = CompactHUD::layout(IslandView::hudFrame(QPointF(0, 0), std::nullopt));
    auto tip = [&](QPointF at) { return IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, at, now); };
    EXPECT_TRUE(tip(l.medallion.center()).startsWith("Round timer"));
    EXPECT_EQ(tip(QPointF(445, l.status.center().y())), PlanBadge::tooltip(m.plan, now));
    const QPointF row = IslandView::rows(QPointF(0, 0), m, std::nullopt, now)[1].rect.center();
    EXPECT_EQ(tip(row), "Bring Claude Code to the front");
    m.onResume = nullptr;
    EXPECT_EQ(tip(row), "") << "rows without an action are not buttons";
}

// --- pixels -----------------------------------------------------------------------

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

// An instant at which sin(5 t) is `s`, for the pulses.
Instant pulseAt(double s) {
    const double base = toUnixSeconds(frameNow());
    const double target = std::asin(s);
    double phase = std::fmod(5 * base, 2 * std::numbers::pi);
    double shift = std::fmod(target - phase + 4 * std::numbers::pi, 2 * std::numbers::pi) / 5;
    return fromUnixSeconds(base + shift);
}

TEST(IslandPixels, RageGlowPulses) {
    auto glowAt = [](Instant t) {
        return test::at(drawIsland(modelIn(IslandStatus::needsAction, 10, t), t), {26 - 6, 26 + 38}).alpha();
    };
    int high = glowAt(pulseAt(1)), low = glowAt(pulseAt(-1));
    EXPECT_GT(high, low * 1.5) << "brighter and wider at the top of the pulse";
    EXPECT_GT(low, 10) << "even at its lowest the glow is there";
}

TEST(IslandPixels, NotchIsLeftOpenAndTheHudMovesBelowIt) {
    const Instant t = frameNow();
    const QRectF notch(137.5, 0, 185, 32);
    IslandModel m = modelIn(IslandStatus::working, 10, t);
    QImage wrapped = drawIsland(m, t, notch);
    QImage plain = drawIsland(m, t);
    EXPECT_LT(test::at(wrapped, {26 + 230, 26 + 8}).alpha(), 40) << "the notch is not painted";
    EXPECT_EQ(test::at(plain, {26 + 230, 26 + 8}).alpha(), 255);
    EXPECT_EQ(test::at(wrapped, {26 + 100, 26 + 8}).alpha(), 255) << "beside the notch is body";
    // The HUD, drawn the same, moves below it.
    EXPECT_EQ(test::at(wrapped, {26 + 230, 26 + 32 + 3.25}), test::at(plain, {26 + 230, 26 + 3.25}));
    EXPECT_NE(test::at(wrapped, {26 + 230, 26 + 32 + 3.25}), test::at(wrapped, {26 + 230, 26 + 3.25}));
}

TEST(IslandPixels, BarsFillFromTheirOuterEnds) {
    const Instant t = frameNow();
    IslandModel m = modelIn(IslandStatus::completed, 10, t);
    m.p1Stamina = 0.5; // not working: no drain, fill 0.5, trail 0.6
    QImage img = drawIsland(m, t);
    const CompactHUD::Layout l = CompactHUD::layout(IslandView::hudFrame(QPointF(26, 26), std::nullopt));
    const double y = l.p1.top() + PlayerSide::height() - 6.5; // middle of the bars
    auto at = [&](const QRectF& side, double f) {
        return test::at(img, {side.left() + side.width() * f, y});
    };
    auto dark = [](QColor c) { return c.red() < 60 && c.green() < 60; };
    EXPECT_FALSE(dark(at(l.p1, 0.3)));
    EXPECT_TRUE(dark(at(l.p1, 0.85)));
    // Player 2 knocked out: empty, with a red remnant at its outer (right) end.
    EXPECT_FALSE(dark(at(l.p2, 0.9)));
    EXPECT_TRUE(dark(at(l.p2, 0.5)));
}

} // namespace
} // namespace fray
