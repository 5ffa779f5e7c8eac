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
    // The first session walks through every status; its stateSince moves only on a change.
    std::vector<S> phases;
    for (std::size_t i = 1; i < got.size(); ++i) {
        const SessionInfo &a = got[i].at(0), &before = got[i - 1].at(0);
        if (a.status != before.status) phases.push_back(a.status);
        EXPECT_EQ(a.stateSince, a.status != before.status ? a.lastActivity : before.stateSince) << i;
    }
    EXPECT_EQ(phases, (std::vector{S::working, S::needsAction, S::working, S::completed, S::started}));
}

TEST(DemoMonitor, ScriptTurningPoints) {
    const Instant now = fromUnixSeconds(5000);
    // p, A status, A combo, A seconds in state, B status (if present), B combo, B seconds.
    struct Row {
        std::int64_t p;
        S a;
        std::int64_t ca;
        double agoA;
        std::optional<S> b;
        std::int64_t cb;
        double agoB;
    };
    // clang-format off
    const Row rows[] = {
        {1, S::started, 0, 1, {}, 0, 0},                    // the list start() delivers
        {0, S::started, 0, 0, {}, 0, 0},                    // step 46 wraps to a fresh start
        {6, S::working, 3, 0, S::working, 4, 30},           // A turns working, B joins
        {20, S::needsAction, 41, 0, S::working, 9, 44},
        {30, S::working, 41, 0, S::completed, 12, 20},
        {37, S::working, 48, 7, S::completed, 12, 20},
        {38, S::completed, 52, 0, {}, 0, 0},                // B leaves, A is knocked out
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.p);
        const SessionList list = DemoMonitor::script(r.p, now);
        ASSERT_EQ(list.size(), r.b ? 2u : 1u);
        EXPECT_EQ(std::tie(list[0].id, list[0].project, *list[0].branch),
                  std::make_tuple("a", "Quillfeather", "feat/fraymark"));
        EXPECT_EQ(std::tie(list[0].status, list[0].combo), std::tie(r.a, r.ca));
        EXPECT_EQ(list[0].stateSince, now - r.agoA);
        if (!r.b) continue;
        EXPECT_EQ(std::tie(list[1].id, list[1].project, *list[1].branch),
                  std::make_tuple("b", "docs-site", "master"));
        EXPECT_EQ(std::tie(list[1].status, list[1].combo), std::tie(*r.b, r.cb));
        EXPECT_EQ(list[1].stateSince, now - r.agoB);
    }
}
