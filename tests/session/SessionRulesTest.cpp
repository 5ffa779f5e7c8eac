#include "session/SessionRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace fray;

// The one age rule every source applies, at each of its boundaries, with a 20 s delay.
TEST(SessionRules, StatusForAge) {
    using A = Activity;
    using S = SessionStatus;
    constexpr auto gone = std::nullopt;
    for (auto [activity, idle, status] :
         {std::tuple<A, double, std::optional<S>>{A::toolPending, 20, S::working},
          {A::toolPending, 20.5, S::needsAction},
          {A::toolPending, 2700, S::needsAction},
          {A::toolPending, 2700.5, gone},
          {A::busy, 480, S::working},
          {A::busy, 480.5, S::completed},
          {A::busy, 720, S::completed},
          {A::finished, 0, S::completed},
          {A::finished, 720, S::completed},
          {A::finished, 720.5, gone},
          {A::busy, std::nan(""), gone}})
        EXPECT_EQ(statusForAge(activity, idle, 20), status) << static_cast<int>(activity) << " " << idle;
}

TEST(SessionRules, Stamina) {
    const Instant t0 = fromUnixSeconds(1767225600.0);
    // Seconds before now of each prompt, oldest first; a prompt in the future counts and idles 0.
    for (auto [agos, expect] : {std::pair{std::vector<double>{}, 0.5},
                                {{120, 60, 0}, 1.0},
                                {{500, 450, 420}, 0.36},
                                {{600, 0}, 0.86},
                                {{600.5, 0}, 0.70},
                                {{3600}, 0.02},
                                {{-30}, 0.70}}) {
        std::vector<Instant> times;
        for (double a : agos)
            times.push_back(t0 - a);
        EXPECT_DOUBLE_EQ(staminaValue(times, t0), expect) << "prompts: " << agos.size();
    }
}
