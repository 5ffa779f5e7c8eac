#include "island/HealthBar.h"
#include "Fixtures.h"
#include "island/CollapsedViews.h"

#include <gtest/gtest.h>

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

TEST(HealthBar, FillAndTrailStayOnTheBar) {
    using S = IslandStatus;
    // Player 1 (the user) unless `agent`; the trail is the red damage band ahead of the fill.
    for (auto [name, model, agent, fill, trail] :
         {std::tuple{"idle bars are full", modelIn(S::idle), false, 1.0, 1.0},
          {"drained to the 2 % sliver", withStamina(modelIn(S::working, 1200), 0.01), false, 0.02, 0.12},
          {"a state stamped in the future adds no pressure", withStamina(modelIn(S::working, -30), 0.5),
           false, 0.5, 0.6},
          {"trail never passes the end", withStamina(modelIn(S::started), 0.95), false, 0.95, 1.0},
          {"agent knocked out keeps a red remnant", modelIn(S::completed), true, 0.0, 0.22}}) {
        SCOPED_TRACE(name);
        const StaminaRamp ramp = settled(model.p1Stamina); // the bar keeps a reference
        HealthBar bar(model, agent, ramp);
        EXPECT_NEAR(bar.fill(frameNow()), fill, 1e-9);
        EXPECT_NEAR(bar.trail(frameNow()), trail, 1e-9);
    }
}

// A power-up that never ends would keep the collapsed views drawing flare frames for good.
TEST(PowerUp, WindowInTheBarAndTheCollapsedViews) {
    const Instant now = frameNow();
    for (auto [name, ago, present] : {std::tuple{"exactly 1.5 s still counts", 1.5, true},
                                      {"1.6 s is over", 1.6, false},
                                      {"in the future (clock skew)", -0.1, false}}) {
        SCOPED_TRACE(name);
        IslandModel m = modelIn(IslandStatus::working, 10.5);
        m.powerUpAt = now - ago;
        const StaminaRamp ramp = settled(0.5);
        EXPECT_EQ(HealthBar(m, false, ramp).power(now).has_value(), present);
        EXPECT_FALSE(HealthBar(m, true, ramp).power(now)) << "player 2 never flares";
        EXPECT_EQ(Collapsed::isPoweringUp(m, now), present);
        RedrawSchedule s;
        Collapsed::schedule(s, QRectF(0, 0, 60, 24), m, now);
        ASSERT_TRUE(s.next());
        EXPECT_NEAR(secondsBetween(now, *s.next()), present ? 0.05 : 0.5, 1e-6)
            << "flare frames, else the next second";
    }
}

TEST(StaminaRamp, StartsOnlyOnAChangeAndEnds) {
    const Instant t0 = frameNow();
    StaminaRamp r;
    r.update(0.2, t0 - 10.0);
    EXPECT_DOUBLE_EQ(r.eased(t0 - 10.0), 0.2) << "the first value is shown at once";
    r.update(0.2, t0 - 5.0);
    EXPECT_FALSE(r.ramping(t0 - 5.0)) << "an unchanged stamina starts nothing";
    r.update(0.8, t0);
    EXPECT_TRUE(r.ramping(t0));
    EXPECT_NEAR(r.eased(t0 + 0.75), 0.8, 1e-12);
    EXPECT_FALSE(r.ramping(t0 + 0.75));
}

} // namespace
} // namespace fray
