#include "Fixtures.h"
#include "island/HealthBar.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fray {
namespace {

using test::frameNow;
using test::modelIn;

StaminaRamp settled(double stamina) {
    StaminaRamp r;
    r.update(stamina, frameNow());
    return r;
}

IslandModel withStamina(IslandModel m, double stamina) {
    m.p1Stamina = stamina;
    return m;
}

TEST(HealthBar, PressureBuildsOverTenMinutesOfWork) {
    struct Case {
        IslandStatus status;
        double ago, pressure;
    } cases[] = {{IslandStatus::working, 0, 0},      {IslandStatus::working, 300, 0.5},
                 {IslandStatus::working, 600, 1},    {IslandStatus::working, 1200, 1},
                 {IslandStatus::working, -30, 0},    {IslandStatus::needsAction, 900, 0},
                 {IslandStatus::completed, 900, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.status) << " " << c.ago);
        EXPECT_NEAR(HealthBar::pressure(modelIn(c.status, c.ago), frameNow()), c.pressure, 1e-9);
    }
}

TEST(HealthBar, PlayerOneFillAndTrail) {
    const Instant now = frameNow();
    struct Case {
        const char* name;
        IslandModel model;
        double fill, trail;
    } cases[] = {
        {"idle bars are full", modelIn(IslandStatus::idle), 1, 1},
        {"half stamina, five minutes of work", withStamina(modelIn(IslandStatus::working, 300), 0.5), 0.3, 0.4},
        {"drained to the 2 % sliver", withStamina(modelIn(IslandStatus::working, 1200), 0.01), 0.02, 0.12},
        {"waiting for the user does not drain", withStamina(modelIn(IslandStatus::needsAction, 900), 0.8), 0.8, 0.9},
        {"trail never passes the end", withStamina(modelIn(IslandStatus::started), 0.95), 0.95, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StaminaRamp ramp = settled(c.model.p1Stamina);
        HealthBar bar(c.model, false, ramp);
        EXPECT_NEAR(bar.fill(now), c.fill, 1e-9);
        EXPECT_NEAR(bar.trail(now), c.trail, 1e-9);
    }
}

TEST(HealthBar, PlayerTwoIsTheAgent) {
    const Instant now = frameNow();
    const StaminaRamp ramp = settled(0.5);
    struct Case {
        const char* name;
        IslandModel model;
        double fill, trail;
    } cases[] = {
        {"knocked out with a red remnant", modelIn(IslandStatus::completed), 0, 0.22},
        {"started: full", modelIn(IslandStatus::started), 1, 1},
        {"waiting: full", modelIn(IslandStatus::needsAction), 1, 1},
        {"idle: full", modelIn(IslandStatus::idle), 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HealthBar bar(c.model, true, ramp);
        EXPECT_DOUBLE_EQ(bar.fill(now), c.fill);
        EXPECT_DOUBLE_EQ(bar.trail(now), c.trail);
    }
}

TEST(HealthBar, WorkingAgentCreepsUpAndWobbles) {
    const StaminaRamp ramp = settled(0.5);
    for (double ago : {0.0, 600.0}) {
        SCOPED_TRACE(ago);
        IslandModel m = modelIn(IslandStatus::working, ago);
        HealthBar bar(m, true, ramp);
        double lo = 2, hi = -1;
        for (int i = 0; i < 60; ++i) {
            Instant t = frameNow() + i * 0.05;
            double f = bar.fill(t);
            lo = std::min(lo, f);
            hi = std::max(hi, f);
            EXPECT_NEAR(bar.trail(t), std::min(f + 0.15, 1.0), 1e-12);
        }
        if (ago == 0) {
            EXPECT_GE(lo, 0.66 - 1e-9);
            EXPECT_LE(hi, 0.74 + 0.3 * 3.0 / 600 + 1e-9) << "plus the pressure of three seconds' work";
            EXPECT_GT(hi - lo, 0.05) << "the bar wobbles";
        } else {
            EXPECT_GE(lo, 0.96 - 1e-9);
            EXPECT_DOUBLE_EQ(hi, 1.0) << "capped at full";
        }
    }
}

TEST(HealthBar, SheenOnlyOnAWorkingAgentWideEnough) {
    const StaminaRamp ramp = settled(0.5);
    const IslandModel working = modelIn(IslandStatus::working), done = modelIn(IslandStatus::completed);
    EXPECT_FALSE(HealthBar(working, true, ramp).sheen(9));
    EXPECT_FALSE(HealthBar(working, true, ramp).sheen(10));
    EXPECT_TRUE(HealthBar(working, true, ramp).sheen(10.5));
    EXPECT_FALSE(HealthBar(working, false, ramp).sheen(150)) << "player 1 has none";
    EXPECT_FALSE(HealthBar(done, true, ramp).sheen(150));
}

TEST(HealthBar, PowerUpWindow) {
    const Instant now = frameNow();
    const StaminaRamp ramp = settled(0.5);
    struct Case {
        const char* name;
        double ago;
        bool present;
        double progress, flare;
    } cases[] = {
        {"just begun", 0, true, 0, 0},
        {"half-way: full flare", 0.75, true, 0.5, 1},
        {"exactly 1.5 s still counts", 1.5, true, 1, 0},
        {"1.6 s is over", 1.6, false, 0, 0},
        {"in the future (clock skew)", -0.1, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandModel m = modelIn(IslandStatus::working);
        m.powerUpAt = now - c.ago;
        auto p = HealthBar(m, false, ramp).power(now);
        ASSERT_EQ(p.has_value(), c.present);
        if (p) {
            EXPECT_NEAR(p->progress, c.progress, 1e-9);
            EXPECT_NEAR(p->flare, c.flare, 1e-9);
        }
        EXPECT_FALSE(HealthBar(m, true, ramp).power(now)) << "player 2 never flares";
    }
}

TEST(StaminaRamp, EasesOutOverThreeQuartersOfASecond) {
    const Instant t0 = frameNow();
    StaminaRamp r;
    r.update(0.2, t0);
    EXPECT_DOUBLE_EQ(r.eased(t0), 0.2) << "the first value is shown at once";
    EXPECT_FALSE(r.ramping(t0));
    r.update(0.2, t0 + 1.0);
    EXPECT_FALSE(r.ramping(t0 + 1.0)) << "an unchanged stamina starts nothing";

    r.update(0.8, t0);
    EXPECT_TRUE(r.ramping(t0));
    EXPECT_DOUBLE_EQ(r.eased(t0), 0.2);
    EXPECT_NEAR(r.eased(t0 + 0.375), 0.2 + (1 - 0.125) * 0.6, 1e-12) << "0.725 half-way";
    EXPECT_NEAR(r.eased(t0 + 0.75), 0.8, 1e-12);
    EXPECT_FALSE(r.ramping(t0 + 0.75));
    EXPECT_NEAR(r.eased(t0 + 5), 0.8, 1e-12);
}

TEST(StaminaRamp, AChangeMidRampStartsFromWhatIsShown) {
    const Instant t0 = frameNow();
    StaminaRamp r;
    r.update(0.2, t0 - 10.0);
    r.update(0.8, t0);
    r.update(0.4, t0 + 0.375);
    EXPECT_NEAR(r.eased(t0 + 0.375), 0.725, 1e-12) << "no jump";
    EXPECT_NEAR(r.eased(t0 + 0.375 + 0.75), 0.4, 1e-12);
}

TEST(HealthBar, RampFeedsPlayerOnesFill) {
    const Instant t0 = frameNow();
    IslandModel m = withStamina(modelIn(IslandStatus::needsAction), 0.8);
    StaminaRamp r;
    r.update(0.2, t0 - 10.0);
    r.update(0.8, t0);
    EXPECT_NEAR(HealthBar(m, false, r).fill(t0 + 0.375), 0.725, 1e-12);
}

TEST(HealthBar, RedrawSchedule) {
    const Instant now = frameNow();
    const QRectF rect(0, 0, 193, 13);
    struct Case {
        const char* name;
        IslandModel model;
        bool mirrored;
        std::optional<double> every;
    } cases[] = {
        {"player 1 waiting pulses", modelIn(IslandStatus::needsAction), false, 1.0 / 14},
        {"player 1 working drains slowly", modelIn(IslandStatus::working), false, 2.0},
        {"player 2 working wobbles", modelIn(IslandStatus::working), true, 1.0 / 14},
        {"player 1 knocked out is settled", modelIn(IslandStatus::completed), false, std::nullopt},
        {"player 2 waiting is settled", modelIn(IslandStatus::needsAction), true, std::nullopt},
        {"idle is settled", modelIn(IslandStatus::idle), false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StaminaRamp ramp = settled(c.model.p1Stamina);
        RedrawSchedule s;
        HealthBar(c.model, c.mirrored, ramp).schedule(s, rect, now);
        ASSERT_EQ(s.next().has_value(), c.every.has_value());
        if (c.every) {
            EXPECT_NEAR(secondsBetween(now, *s.next()), *c.every, 1e-6); // instants are doubles near 1.8e9 s
        }
    }
    IslandModel m = modelIn(IslandStatus::completed);
    StaminaRamp ramping;
    ramping.update(0.2, now - 5.0);
    ramping.update(0.6, now);
    RedrawSchedule s;
    HealthBar(m, false, ramping).schedule(s, rect, now);
    EXPECT_TRUE(s.next()) << "a running ramp animates even a settled status";
}

} // namespace
} // namespace fray
