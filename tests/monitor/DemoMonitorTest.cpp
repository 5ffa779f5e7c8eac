#include "monitor/DemoMonitor.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

using namespace fray;
using S = SessionStatus;

TEST(DemoMonitor, LoopsThroughEveryStatusOnceASecondUntilGone) {
    test::ManualTime time;
    std::vector<SessionList> got;
    {
        DemoMonitor demo(time.timers(), time.clock());
        demo.onUpdate = [&](const SessionList& l) { got.push_back(l); };
        demo.start();
        ASSERT_EQ(got.size(), 1u) << "delivered inside start";
        time.advance(46.0);
    }
    time.advance(5.0);
    ASSERT_EQ(got.size(), 47u) << "one a second, none once the monitor is gone";
    // The first session walks through every status.
    std::vector<S> phases;
    for (std::size_t i = 1; i < got.size(); ++i)
        if (got[i].at(0).status != got[i - 1].at(0).status) phases.push_back(got[i].at(0).status);
    EXPECT_EQ(phases, (std::vector{S::working, S::needsAction, S::working, S::completed, S::started}));
}
