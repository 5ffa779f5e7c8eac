#include "monitor/RepeatingWorker.h"
#include "agents/PlanUsageReader.h"
#include "monitor/SessionMonitor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <thread>

using namespace fray;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

bool eventually(const std::function<bool()>& p) {
    for (const auto end = Steady::now() + 2s; !p(); std::this_thread::sleep_for(1ms))
        if (Steady::now() > end) return false;
    return true;
}

// The source runs at once on its own named thread, and not again once destroyed, without
// waiting for its period.
template <class Source> void expectOwnThread(std::unique_ptr<Source> source, const std::string& name) {
    std::atomic<int> calls{0};
    std::string thread; // read only once the source's thread has been joined
    source->onUpdate = [&](const auto&) {
        char buf[16] = {};
        pthread_getname_np(pthread_self(), buf, sizeof buf);
        thread = buf;
        ++calls;
    };
    source->start();
    ASSERT_TRUE(eventually([&] { return calls > 0; })) << name;
    const auto t0 = Steady::now();
    source.reset();
    EXPECT_LT(Steady::now() - t0, 500ms) << name;
    EXPECT_EQ(std::make_tuple(thread, calls.load()), std::make_tuple(name, 1));
}

} // namespace

TEST(RepeatingWorker, MonitorAndPlanReaderRunOnTheirOwnThreads) {
    fray::test::TempDir home;
    home.write(".claude.json", R"({"cachedUsageUtilization":{}})");
    const SessionMonitor::Config config{home.str(), wallNow, {}, {}, {}};
    expectOwnThread(std::make_unique<SessionMonitor>(config), "fray.monitor");
    expectOwnThread(std::make_unique<PlanUsageReader>(home.str()), "fray.plan");
}

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
