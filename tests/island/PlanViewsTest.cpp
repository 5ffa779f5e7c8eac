#include "island/PlanViews.h"
#include "Fixtures.h"
#include "theme/Vortan.h"

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
    for (auto [percent, colour] : {std::pair{59, Vortan::barYellow()},
                                   {60, Vortan::barOrange()},
                                   {84, Vortan::barOrange()},
                                   {85, Vortan::rageRed()}})
        EXPECT_EQ(PlanTint::color(percent), colour) << percent;
}

TEST(PlanBadge, VisibilityAndTooltips) {
    const Instant now = frameNow();
    const PlanUsage fresh = fetched(7200, 40, 75), week = fetched(600, std::nullopt, 30),
                    stale = fetched(4 * 3600, 40, 75), old = fetched(13 * 3600, 40, 75);
    // An empty tooltip: nothing is shown.
    for (auto [name, plan, tooltip] :
         {std::tuple{"fresh, both windows", fresh,
                     "session 40% · week 75% · read from ~/.claude.json, cached 2h ago"},
          {"only the week", week, "week 30% · read from ~/.claude.json, cached 10m ago"},
          {"stale but usable", stale,
           "session 40% · week 75% · read from ~/.claude.json, cached 4h ago · — not "
           "refreshed recently, treat as approximate"},
          {"too old to use", old,
           "Plan usage unknown — Claude Code last cached it 13h ago. The desktop app doesn't "
           "refresh that cache; run /usage in a claude CLI session to update it."},
          {"never fetched", PlanUsage{}, ""}}) {
        SCOPED_TRACE(name);
        const bool visible = *tooltip != 0;
        EXPECT_EQ(PlanBadge::visible(plan, now), visible);
        EXPECT_EQ(PlanLine::visible(plan, now), visible);
        EXPECT_EQ(PlanBadge::size(plan, now).isEmpty(), !visible);
        EXPECT_EQ(PlanBadge::tooltip(plan, now), QString::fromUtf8(tooltip));
    }
}

TEST(PlanViews, NextChange) {
    const Instant now = frameNow();
    PlanUsage resets;
    resets.fiveHourResets = now + 150.0; // "2m" until 120 s remain
    for (auto [name, plan, in] :
         {std::tuple{"nothing depends on time", PlanUsage{}, std::optional<double>()},
          {"1m ago turns 2m ago", fetched(100, 10, 10), 20.0},
          {"just now stays until 90 s; a minute mark comes first", fetched(30, 10, 10), 30.0},
          {"fresh turns stale at 3 h", fetched(10800 - 5, 10, 10), 5.0},
          {"a reset countdown drops a minute", resets, 30.0}}) {
        SCOPED_TRACE(name);
        auto next = nextPlanChange(plan, now);
        ASSERT_EQ(next.has_value(), in.has_value());
        if (next) {
            EXPECT_NEAR(secondsBetween(now, *next), *in, 1e-6);
        }
    }
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, now + 30.001), "1m");
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, now + 29.999), "2m");
}

} // namespace
} // namespace fray
