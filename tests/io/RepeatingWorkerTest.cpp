#include "io/RepeatingWorker.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <thread>

using namespace fray;
using fray::test::eventually;
using namespace std::chrono_literals;

TEST(RepeatingWorker, RunsNeverOverlapAndMissedDeadlinesDoNotPileUp) {
    std::atomic<int> active{0}, maxActive{0}, runs{0};
    RepeatingWorker w("fray.test", 5ms, [&] {
        maxActive = std::max(maxActive.load(), ++active);
        std::this_thread::sleep_for(30ms);
        --active;
        ++runs;
    });
    w.start();
    std::this_thread::sleep_for(200ms);
    w.stop();
    EXPECT_EQ(maxActive.load(), 1);
    EXPECT_LE(runs.load(), 8) << "a slow run is followed by one run, not by a burst of missed ones";
}

TEST(RepeatingWorker, SurvivesAThrowingJobAndCanStopFromInside) {
    std::atomic<int> runs{0};
    RepeatingWorker* self = nullptr;
    RepeatingWorker w("fray.test", 5ms, [&] {
        if (++runs == 1) throw std::runtime_error("first run fails");
        if (runs == 3) self->stop();
    });
    self = &w;
    w.start();
    ASSERT_TRUE(eventually([&] { return runs >= 3; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(runs.load(), 3);
}
