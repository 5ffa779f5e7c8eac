#include "monitor/DemoMonitor.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

using namespace fray;
using S = SessionStatus;

TEST(DemoMonitor, ScriptRows) {
    const Instant now = fromUnixSeconds(5000);
    struct Row {
        std::int64_t p;
        S a;
        std::int64_t comboA;
        double agoA;
        std::optional<S> b;
        std::int64_t comboB;
        double agoB;
    } rows[] = {
        // clang-format off
        {0, S::started, 0, 0, {}, 0, 0},            {5, S::started, 0, 5, {}, 0, 0},
        {6, S::working, 3, 0, S::working, 4, 30},   {19, S::working, 42, 13, S::working, 4, 30},
        {20, S::needsAction, 41, 0, S::working, 9, 44}, {29, S::needsAction, 41, 9, S::working, 9, 44},
        {30, S::working, 41, 0, S::completed, 12, 20},  {37, S::working, 48, 7, S::completed, 12, 20},
        {38, S::completed, 52, 0, {}, 0, 0},        {45, S::completed, 52, 7, {}, 0, 0},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.p);
        auto list = DemoMonitor::script(r.p, now);
        ASSERT_EQ(list.size(), r.b ? 2u : 1u);
        EXPECT_EQ(std::tie(list[0].status, list[0].combo, list[0].stateSince),
                  std::make_tuple(r.a, r.comboA, now - r.agoA));
        if (r.b) {
            EXPECT_EQ(std::tie(list[1].status, list[1].combo, list[1].stateSince),
                      std::make_tuple(*r.b, r.comboB, now - r.agoB));
        }
    }
}

TEST(DemoMonitor, FirstListInsideStartThenOneASecondUntilGone) {
    test::ManualTime time;
    std::vector<SessionList> got;
    {
        DemoMonitor demo(time.timers(), time.clock());
        demo.onUpdate = [&](const SessionList& l) { got.push_back(l); };
        demo.start();
        ASSERT_EQ(got.size(), 1u) << "delivered synchronously";
        EXPECT_EQ(got[0][0].stateSince, time.now() - 1.0);
        time.advance(45.0);
        ASSERT_EQ(got.size(), 46u);
        EXPECT_EQ(got[45][0].stateSince, time.now()) << "the loop starts over";
    }
    time.advance(5.0);
    EXPECT_EQ(got.size(), 46u);
}
