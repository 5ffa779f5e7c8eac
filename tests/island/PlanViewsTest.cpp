#include "Fixtures.h"
#include "PixelProbe.h"
#include "island/PlanViews.h"
#include "island/Vortan.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::frameNow;

PlanUsage fetched(double ago, std::optional<std::int64_t> fiveHour, std::optional<std::int64_t> weekly) {
    PlanUsage p;
    p.fetchedAt = frameNow() - ago;
    p.fiveHour = fiveHour;
    p.weekly = weekly;
    return p;
}

TEST(PlanTint, ThreeSteps) {
    struct Case {
        std::int64_t percent;
        QColor colour;
    } cases[] = {{59, Vortan::barYellow()}, {60, Vortan::barOrange()}, {84, Vortan::barOrange()}, {85, Vortan::rageRed()}};
    for (const auto& c : cases) EXPECT_EQ(PlanTint::color(c.percent), c.colour) << c.percent;
}

TEST(PlanBadge, Tooltips) {
    const Instant now = frameNow();
    struct Case {
        const char* name;
        PlanUsage plan;
        bool visible;
        const char* tooltip;
    } cases[] = {
        {"fresh, both windows", fetched(7200, 40, 75), true, "session 40% · week 75% · read from ~/.claude.json, cached 2h ago"},
        {"only the week", fetched(600, std::nullopt, 30), true, "week 30% · read from ~/.claude.json, cached 10m ago"},
        {"stale but usable", fetched(4 * 3600, 40, 75), true,
         "session 40% · week 75% · read from ~/.claude.json, cached 4h ago · — not refreshed recently, treat as approximate"},
        {"too old to use", fetched(13 * 3600, 40, 75), true,
         "Plan usage unknown — Claude Code last cached it 13h ago. The desktop app doesn't refresh that cache; run /usage "
         "in a claude CLI session to update it."},
        {"never fetched", PlanUsage{}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlanBadge::visible(c.plan, now), c.visible);
        EXPECT_EQ(PlanLine::visible(c.plan, now), c.visible);
        EXPECT_EQ(PlanBadge::tooltip(c.plan, now), QString::fromUtf8(c.tooltip));
        EXPECT_EQ(PlanBadge::size(c.plan, now).isEmpty(), !c.visible);
    }
}

QImage badge(const PlanUsage& plan) {
    QImage img = test::canvas(80, 40);
    QPainter p(&img);
    PlanBadge::paint(p, QRectF(0, 0, 80, 40), plan, frameNow());
    return img;
}

TEST(PlanBadge, MeterKeepsASliverAtZero) {
    const QSizeF sz = PlanBadge::size(fetched(60, 0, 0), frameNow());
    ASSERT_GE(sz.width(), 38);
    QImage img = badge(fetched(60, 0, 0));
    const double meterY = 20 + sz.height() / 2 - 1; // the 2-point meter is the stack's bottom
    EXPECT_EQ(test::at(img, {80 - 38 + 0.5, meterY}).rgb(), Vortan::barYellow().rgb()) << "1 point of tint at 0 %";
    EXPECT_EQ(test::at(img, {80 - 38 + 5, meterY}).rgb(), Vortan::barBack().rgb());
}

TEST(PlanBadge, StaleBadgeIsFaded) {
    auto strongest = [](const QImage& img) {
        int best = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) best = std::max(best, qAlpha(img.pixel(x, y)));
        return best;
    };
    EXPECT_EQ(strongest(badge(fetched(60, 50, 50))), 255);
    EXPECT_NEAR(strongest(badge(fetched(4 * 3600, 50, 50))), 0.55 * 255, 2);
}

TEST(PlanViews, NextChange) {
    const Instant now = frameNow();
    struct Case {
        const char* name;
        PlanUsage plan;
        std::optional<double> in;
    } cases[] = {
        {"nothing depends on time", PlanUsage{}, std::nullopt},
        {"1m ago turns 2m ago", fetched(100, 10, 10), 20},
        {"just now stays until 90 s; a minute mark comes first", fetched(30, 10, 10), 30},
        {"fresh turns stale at 3 h", fetched(10800 - 5, 10, 10), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto next = nextPlanChange(c.plan, now);
        ASSERT_EQ(next.has_value(), c.in.has_value());
        if (next) { EXPECT_NEAR(secondsBetween(now, *next), *c.in, 1e-6); }
    }
    PlanUsage resets;
    resets.fiveHourResets = now + 150.0; // "2m" until 120 s remain
    auto next = nextPlanChange(resets, now);
    ASSERT_TRUE(next);
    EXPECT_NEAR(secondsBetween(now, *next), 30, 1e-6);
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, *next + 0.001), "1m");
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, *next - 0.001), "2m");
}

} // namespace
} // namespace fray
