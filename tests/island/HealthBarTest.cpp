#include "island/HealthBar.h"
#include "Fixtures.h"
#include "island/CollapsedViews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

TEST(HealthBar, FillAndTrail) {
    using S = IslandStatus;
    // Player 1 (the user) unless `agent`; the trail is the red damage band ahead of the fill.
    for (auto [name, model, agent, fill, trail] :
         {std::tuple{"idle bars are full", modelIn(S::idle), false, 1.0, 1.0},
          {"half stamina, five minutes of work", withStamina(modelIn(S::working, 300), 0.5), false, 0.3, 0.4},
          {"drained to the 2 % sliver", withStamina(modelIn(S::working, 1200), 0.01), false, 0.02, 0.12},
          {"a state stamped in the future adds no pressure", withStamina(modelIn(S::working, -30), 0.5),
           false, 0.5, 0.6},
          {"knocked out does not drain", withStamina(modelIn(S::completed, 900), 0.5), false, 0.5, 0.6},
          {"trail never passes the end", withStamina(modelIn(S::started), 0.95), false, 0.95, 1.0},
          {"agent knocked out keeps a red remnant", modelIn(S::completed), true, 0.0, 0.22},
          {"agent waiting is full", modelIn(S::needsAction), true, 1.0, 1.0}}) {
        SCOPED_TRACE(name);
        const StaminaRamp ramp = settled(model.p1Stamina); // the bar keeps a reference
        HealthBar bar(model, agent, ramp);
        EXPECT_NEAR(bar.fill(frameNow()), fill, 1e-9);
        EXPECT_NEAR(bar.trail(frameNow()), trail, 1e-9);
    }
}

TEST(HealthBar, WorkingAgentCreepsUpWithPressureAndWobbles) {
    // Three seconds of player 2's bar, in a fresh fight and after ten minutes of it.
    auto span = [](double ago) {
        const StaminaRamp ramp = settled(0.5);
        HealthBar bar(modelIn(IslandStatus::working, ago), true, ramp);
        std::vector<double> fills;
        for (int i = 0; i < 60; ++i)
            fills.push_back(bar.fill(frameNow() + i * 0.05));
        return std::pair(*std::min_element(fills.begin(), fills.end()),
                         *std::max_element(fills.begin(), fills.end()));
    };
    const auto [fresh, freshMost] = span(0);
    const auto [late, lateMost] = span(600);
    EXPECT_GT(freshMost - fresh, 0.05) << "the bar wobbles";
    EXPECT_LT(freshMost, late) << "pressure fills it";
    EXPECT_LE(lateMost, 1.0);
}

TEST(PowerUp, WindowAndFlareInTheBarAndTheCollapsedViews) {
    const Instant now = frameNow();
    for (auto [name, ago, present, flare] : {std::tuple{"half-way", 0.75, true, 1.0},
                                             {"exactly 1.5 s still counts", 1.5, true, 0.0},
                                             {"1.6 s is over", 1.6, false, 0.0},
                                             {"in the future (clock skew)", -0.1, false, 0.0}}) {
        SCOPED_TRACE(name);
        IslandModel m = modelIn(IslandStatus::working, 10.5);
        m.powerUpAt = now - ago;
        const StaminaRamp ramp = settled(0.5);
        auto p = HealthBar(m, false, ramp).power(now);
        ASSERT_EQ(p.has_value(), present);
        if (p) {
            EXPECT_NEAR(p->flare, flare, 1e-9);
        }
        EXPECT_FALSE(HealthBar(m, true, ramp).power(now)) << "player 2 never flares";
        EXPECT_EQ(Collapsed::isPoweringUp(m, now), present);
        EXPECT_NEAR(Collapsed::flare(m, now), flare, 1e-9);
        RedrawSchedule s;
        Collapsed::schedule(s, QRectF(0, 0, 60, 24), m, now);
        ASSERT_TRUE(s.next());
        EXPECT_NEAR(secondsBetween(now, *s.next()), present ? 0.05 : 0.5, 1e-6)
            << "flare frames, else the next second";
    }
}

TEST(StaminaRamp, EasesOutOverThreeQuartersOfASecondFromWhatIsShown) {
    const Instant t0 = frameNow();
    StaminaRamp r;
    r.update(0.2, t0 - 10.0);
    EXPECT_DOUBLE_EQ(r.eased(t0 - 10.0), 0.2) << "the first value is shown at once";
    r.update(0.2, t0 - 5.0);
    EXPECT_FALSE(r.ramping(t0 - 5.0)) << "an unchanged stamina starts nothing";

    r.update(0.8, t0);
    EXPECT_TRUE(r.ramping(t0));
    EXPECT_DOUBLE_EQ(r.eased(t0), 0.2);
    EXPECT_NEAR(r.eased(t0 + 0.375), 0.725, 1e-12) << "cubic ease-out, half-way";
    IslandModel waiting = withStamina(modelIn(IslandStatus::needsAction), 0.8);
    EXPECT_NEAR(HealthBar(waiting, false, r).fill(t0 + 0.375), 0.725, 1e-12)
        << "player 1's bar shows the ramp";
    EXPECT_NEAR(r.eased(t0 + 0.75), 0.8, 1e-12);
    EXPECT_FALSE(r.ramping(t0 + 0.75));

    r = StaminaRamp{};
    r.update(0.2, t0 - 10.0);
    r.update(0.8, t0);
    r.update(0.4, t0 + 0.375);
    EXPECT_NEAR(r.eased(t0 + 0.375), 0.725, 1e-12) << "a change mid-ramp starts from what is shown";
    EXPECT_NEAR(r.eased(t0 + 0.375 + 0.75), 0.4, 1e-12);
}

TEST(HealthBar, RedrawSchedule) {
    using S = IslandStatus;
    const Instant now = frameNow();
    StaminaRamp ramping;
    ramping.update(0.2, now - 5.0);
    ramping.update(0.6, now);
    const std::optional<StaminaRamp> none;
    const std::optional<double> settledBar;
    for (auto [name, model, agent, ramp, every] :
         {std::tuple{"player 1 waiting pulses", modelIn(S::needsAction), false, none,
                     std::optional(1.0 / 14)},
          {"player 1 working drains slowly", modelIn(S::working), false, none, 2.0},
          {"player 2 working wobbles", modelIn(S::working), true, none, 1.0 / 14},
          {"player 1 knocked out is settled", modelIn(S::completed), false, none, settledBar},
          {"a running ramp animates even a settled status", modelIn(S::completed), false, ramping, 1.0 / 14},
          {"player 2 waiting is settled", modelIn(S::needsAction), true, none, settledBar}}) {
        SCOPED_TRACE(name);
        RedrawSchedule s;
        HealthBar(model, agent, ramp.value_or(settled(model.p1Stamina)))
            .schedule(s, QRectF(0, 0, 193, 13), now);
        ASSERT_EQ(s.next().has_value(), every.has_value());
        if (every) {
            EXPECT_NEAR(secondsBetween(now, *s.next()), *every, 1e-6);
        } // instants are doubles near 1.8e9 s
    }
}

} // namespace
} // namespace fray
