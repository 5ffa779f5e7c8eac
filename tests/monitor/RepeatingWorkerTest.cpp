#include "monitor/RepeatingWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace fray;
using namespace std::chrono_literals;

namespace {
template <class Pred> bool eventually(Pred p, std::chrono::milliseconds limit = 2000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!p()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}
} // namespace

TEST(RepeatingWorker, FirstRunAtOnceThenAtThePeriod) {
    std::atomic<int> runs{0};
    const auto t0 = std::chrono::steady_clock::now();
    std::atomic<std::chrono::steady_clock::duration> firstAt{}, thirdAt{};
    RepeatingWorker w("fray.test", 100ms, [&] {
        const int n = ++runs;
        if (n == 1) firstAt = std::chrono::steady_clock::now() - t0;
        if (n == 3) thirdAt = std::chrono::steady_clock::now() - t0;
    });
    w.start();
    ASSERT_TRUE(eventually([&] { return runs >= 3; }));
    w.stop();
    EXPECT_LT(firstAt.load(), 80ms) << "the first run does not wait for a period";
    EXPECT_GE(thirdAt.load(), 200ms) << "later runs keep the period";
}

TEST(RepeatingWorker, StopIsPromptAndFinal) {
    std::atomic<int> runs{0};
    auto w = std::make_unique<RepeatingWorker>("fray.test", std::chrono::hours(1), [&] { ++runs; });
    w->start();
    ASSERT_TRUE(eventually([&] { return runs == 1; }));
    const auto t0 = std::chrono::steady_clock::now();
    w.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 500ms) << "not the hour of the period";
    EXPECT_EQ(runs.load(), 1);
}

TEST(RepeatingWorker, RunsNeverOverlapAndMissedDeadlinesDoNotPileUp) {
    std::atomic<int> active{0}, maxActive{0}, runs{0};
    RepeatingWorker w("fray.test", 5ms, [&] {
        int now = ++active;
        maxActive = std::max(maxActive.load(), now);
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
