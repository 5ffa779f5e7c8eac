#include "Fixtures.h"
#include "PixelProbe.h"
#include "app/IslandLayout.h"
#include "island/CompactHUD.h"
#include "island/IslandView.h"
#include "island/PlanViews.h"
#include "island/PlayerSide.h"
#include "island/Vortan.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace fray {
namespace {

using test::frameNow;
using test::modelIn;
using test::session;

SessionList fighters(int n) {
    SessionList list;
    for (int i = 0; i < n; ++i) list.push_back(session(std::to_string(i), SessionStatus::working, i, 20.0 + i));
    return list;
}

PlanUsage freshPlan() {
    PlanUsage p;
    p.fiveHour = 30;
    p.fetchedAt = frameNow() - 60.0;
    return p;
}

TEST(IslandView, HeightFollowsTheLayoutRule) {
    const Instant now = frameNow();
    const std::optional<QRectF> notch = QRectF(137.5, 0, 185, 32);
    struct Case {
        const char* name;
        int sessions;
        bool expanded, plan, withNotch;
    } cases[] = {
        {"compact", 2, false, false, false},      {"compact around a notch", 2, false, true, true},
        {"expanded, nobody", 0, true, false, false}, {"expanded, six", 6, true, false, false},
        {"expanded, seven with plan", 7, true, true, false}, {"expanded around a notch", 4, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandModel m = test::modelOf(fighters(c.sessions), now, c.expanded, c.plan ? freshPlan() : PlanUsage{});
        const auto n = c.withNotch ? notch : std::nullopt;
        const double expected = IslandLayout::contentHeight(c.expanded ? IslandMode::expanded : IslandMode::compact,
                                                            c.sessions, c.withNotch ? 32 : 0, c.plan);
        EXPECT_DOUBLE_EQ(IslandView::height(m, n, now), expected);
        EXPECT_DOUBLE_EQ(IslandView::bodyRect(QPointF(26, 26), m, n, now).width(), 460);
    }
}

TEST(IslandView, HudStartsBelowTheNotch) {
    EXPECT_DOUBLE_EQ(IslandView::hudFrame(QPointF(26, 26), std::nullopt).top(), 26);
    EXPECT_DOUBLE_EQ(IslandView::hudFrame(QPointF(26, 26), QRectF(137.5, 0, 185, 32)).top(), 58);
    EXPECT_DOUBLE_EQ(IslandView::hudFrame(QPointF(26, 26), std::nullopt).height(), 76);
}

TEST(IslandView, RosterRows) {
    const Instant now = frameNow();
    struct Case {
        int sessions;
        std::size_t rows;
    } cases[] = {{0, 0}, {1, 1}, {6, 6}, {9, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sessions);
        IslandModel m = test::modelOf(fighters(c.sessions), now, true);
        auto rows = IslandView::rows(QPointF(0, 0), m, std::nullopt, now);
        ASSERT_EQ(rows.size(), c.rows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_DOUBLE_EQ(rows[i].rect.top(), 76 + 9 + 26.0 * double(i));
            EXPECT_DOUBLE_EQ(rows[i].rect.height(), 26);
            EXPECT_EQ(rows[i].session->id, m.sessions[i].id) << "in list order";
        }
    }
    EXPECT_TRUE(IslandView::rows(QPointF(0, 0), test::modelOf(fighters(3), now, false), std::nullopt, now).empty())
        << "no roster while compact";
}

TEST(IslandView, CompactLayout) {
    const CompactHUD::Layout l = CompactHUD::layout(QRectF(0, 0, 460, 76));
    EXPECT_DOUBLE_EQ(l.p1.left(), 14);
    EXPECT_DOUBLE_EQ(l.p2.right(), 446);
    EXPECT_DOUBLE_EQ(l.p2.left() - l.p1.right(), 46) << "room for the medallion";
    EXPECT_DOUBLE_EQ(l.medallion.center().x(), 230);
    EXPECT_DOUBLE_EQ(l.medallion.center().y(), 38 - 15);
    EXPECT_DOUBLE_EQ(l.medallion.width(), 42);
    EXPECT_DOUBLE_EQ(l.status.height(), 26);
    EXPECT_DOUBLE_EQ(l.status.top() - l.p1.top(), 33) << "30-point fighters row, 3 points of spacing";
    EXPECT_DOUBLE_EQ(l.p1.top(), 9);
}

TEST(IslandView, Tooltips) {
    const Instant now = frameNow();
    IslandModel m = test::modelOf(fighters(2), now, true, freshPlan());
    m.onResume = [](const SessionInfo&) {};
    const CompactHUD::Layout l = CompactHUD::layout(IslandView::hudFrame(QPointF(0, 0), std::nullopt));
    EXPECT_TRUE(IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, l.medallion.center(), now).startsWith("Round timer"));
    EXPECT_EQ(IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, QPointF(445, l.status.center().y()), now),
              PlanBadge::tooltip(m.plan, now));
    auto rows = IslandView::rows(QPointF(0, 0), m, std::nullopt, now);
    EXPECT_EQ(IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, rows[1].rect.center(), now),
              "Bring Claude Code to the front");
    m.onResume = nullptr;
    EXPECT_EQ(IslandView::tooltipAt(QPointF(0, 0), m, std::nullopt, rows[1].rect.center(), now), "")
        << "rows without an action are not buttons";
}

TEST(IslandView, ScheduleByStatus) {
    const Instant now = frameNow();
    struct Case {
        const char* name;
        IslandModel model;
        std::optional<double> next;
    } cases[] = {
        {"idle is settled", modelIn(IslandStatus::idle), std::nullopt},
        {"waiting glows at 12 per second", modelIn(IslandStatus::needsAction, 10.5), 1.0 / 14},
        {"working agent animates its bar", modelIn(IslandStatus::working, 10.5), 1.0 / 14},
        {"knocked out: only the timer", modelIn(IslandStatus::completed, 10.25), 0.75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandViewState state;
        state.ramp.update(c.model.p1Stamina, now);
        RedrawSchedule s;
        IslandView::schedule(s, QPointF(26, 26), c.model, std::nullopt, state, now);
        ASSERT_EQ(s.next().has_value(), c.next.has_value());
        if (c.next) {
            EXPECT_NEAR(secondsBetween(now, *s.next()), *c.next, 1e-6);
        }
    }
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

int meanChroma(const QImage& img, QRectF area) {
    double s = img.devicePixelRatio();
    long sum = 0, n = 0;
    for (int y = int(area.top() * s); y < int(area.bottom() * s); ++y)
        for (int x = int(area.left() * s); x < int(area.right() * s); ++x) {
            sum += test::chroma(img.pixelColor(x, y));
            ++n;
        }
    return n ? int(sum / n) : 0;
}

TEST(IslandPixels, IdleHudIsGreyedOut) {
    const Instant t = frameNow();
    // The fighters' bars: full on both sides when idle, and nearly full for a fresh fight.
    IslandModel working = modelIn(IslandStatus::started, 1, t);
    working.p1Stamina = 1;
    const QRectF bars(26 + 14, 26 + 24, 432, 12);
    int idle = meanChroma(drawIsland(modelIn(IslandStatus::idle, 0, t), t), bars);
    int live = meanChroma(drawIsland(working, t), bars);
    EXPECT_GT(live, 60);
    EXPECT_LT(idle, live * 0.5) << "saturation 0.35 and opacity 0.82";
}

TEST(IslandPixels, OnlyTheWaitingIslandGlowsRed) {
    const Instant t = pulseAt(1);
    const IslandStatus statuses[] = {IslandStatus::idle, IslandStatus::started, IslandStatus::working,
                                     IslandStatus::needsAction, IslandStatus::completed};
    for (IslandStatus status : statuses) {
        SCOPED_TRACE(int(status));
        QImage img = drawIsland(modelIn(status, 10, t), t);
        // Outside the body: left of it, and above it where the drop shadow does not reach.
        for (QPointF probe : {QPointF(26 - 4, 26 + 38), QPointF(26 + 230, 26 - 4)}) {
            QColor c = test::at(img, probe);
            if (status == IslandStatus::needsAction) {
                EXPECT_GT(c.alpha(), 80);
                EXPECT_GT(c.red(), c.green() + 120);
            } else {
                EXPECT_LT(c.red() * c.alphaF(), 12) << "no red outside the body";
            }
        }
    }
}

TEST(IslandPixels, RageGlowPulses) {
    auto glowAt = [](Instant t) { return test::at(drawIsland(modelIn(IslandStatus::needsAction, 10, t), t), {26 - 6, 26 + 38}).alpha(); };
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
    // The medallion's gold rim (its top at 2 points into the HUD) follows the HUD down.
    auto isGold = [](QColor c) { return c.red() > 150 && c.red() > c.green() && c.green() > c.blue() + 30; };
    EXPECT_TRUE(isGold(test::at(plain, {26 + 230, 26 + 3.25})));
    EXPECT_TRUE(isGold(test::at(wrapped, {26 + 230, 26 + 32 + 3.25})));
    EXPECT_FALSE(isGold(test::at(wrapped, {26 + 230, 26 + 3.25})));
}

TEST(IslandPixels, BarsFillFromTheirOuterEnds) {
    const Instant t = frameNow();
    IslandModel m = modelIn(IslandStatus::completed, 10, t);
    m.p1Stamina = 0.5; // not working: no drain, fill 0.5, trail 0.6
    QImage img = drawIsland(m, t);
    const CompactHUD::Layout l = CompactHUD::layout(IslandView::hudFrame(QPointF(26, 26), std::nullopt));
    const double y = l.p1.top() + PlayerSide::height() - 6.5; // middle of the bars
    auto at = [&](const QRectF& side, double f) { return test::at(img, {side.left() + side.width() * f, y}); };
    auto bright = [](QColor c) { return c.red() > 200 && c.green() > 120; };
    auto red = [](QColor c) { return c.red() > 150 && c.green() < 60; };
    auto dark = [](QColor c) { return c.red() < 60 && c.green() < 60; };
    EXPECT_TRUE(bright(at(l.p1, 0.3)));
    EXPECT_TRUE(red(at(l.p1, 0.55))) << "damage trail ahead of the fill";
    EXPECT_TRUE(dark(at(l.p1, 0.85)));
    // Player 2 knocked out: empty, with a red remnant at its outer (right) end.
    EXPECT_TRUE(red(at(l.p2, 0.9)));
    EXPECT_TRUE(dark(at(l.p2, 0.5)));
}

} // namespace
} // namespace fray
