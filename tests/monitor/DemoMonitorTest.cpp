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
        {0, S::started, 0, 0, {}, 0, 0},         {1, S::started, 0, 1, {}, 0, 0},
        {5, S::started, 0, 5, {}, 0, 0},         {6, S::working, 3, 0, S::working, 4, 30},
        {19, S::working, 42, 13, S::working, 4, 30}, {20, S::needsAction, 41, 0, S::working, 9, 44},
        {29, S::needsAction, 41, 9, S::working, 9, 44}, {30, S::working, 41, 0, S::completed, 12, 20},
        {37, S::working, 48, 7, S::completed, 12, 20}, {38, S::completed, 52, 0, {}, 0, 0},
        {45, S::completed, 52, 7, {}, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.p);
        auto list = DemoMonitor::script(r.p, now);
        ASSERT_EQ(list.size(), r.b ? 2u : 1u);
        EXPECT_EQ(list[0].id, "a");
        EXPECT_EQ(list[0].project, "Quillfeather");
        EXPECT_EQ(list[0].branch, "feat/fraymark");
        EXPECT_EQ(list[0].status, r.a);
        EXPECT_EQ(list[0].combo, r.comboA);
        EXPECT_EQ(list[0].stateSince, now - r.agoA);
        EXPECT_EQ(list[0].lastActivity, now);
        EXPECT_EQ(list[0].stamina, 0.5);
        EXPECT_FALSE(list[0].cwd || list[0].lastPromptAt || list[0].powerUpAt);
        if (r.b) {
            EXPECT_EQ(list[1].id, "b");
            EXPECT_EQ(list[1].project, "docs-site");
            EXPECT_EQ(list[1].branch, "master");
            EXPECT_EQ(list[1].status, *r.b);
            EXPECT_EQ(list[1].combo, r.comboB);
            EXPECT_EQ(list[1].stateSince, now - r.agoB);
        }
    }
}

TEST(DemoMonitor, FirstListInsideStartThenOneASecond) {
    test::ManualTime time;
    std::vector<SessionList> got;
    {
        DemoMonitor demo(time.timers(), time.clock());
        demo.onUpdate = [&](const SessionList& l) { got.push_back(l); };
        demo.start();
        ASSERT_EQ(got.size(), 1u) << "delivered synchronously";
        EXPECT_EQ(got[0].at(0).status, S::started);
        EXPECT_EQ(got[0][0].stateSince, time.now() - 1.0);
        time.advance(45.0); // steps 2…46
        ASSERT_EQ(got.size(), 46u);
        EXPECT_EQ(got[45].size(), 1u) << "step 46 is p = 0";
        EXPECT_EQ(got[45][0].stateSince, time.now());
    }
    time.advance(5.0);
    EXPECT_EQ(got.size(), 46u) << "no steps after the monitor is gone";
}
