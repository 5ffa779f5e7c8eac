// The live sources as the application assembles them: the monitor with the real agent
// registry, and the plan reader, over a fixture home on the real file system.
#include "agents/AgentRegistry.h"
#include "agents/PlanUsageReader.h"
#include "monitor/SessionMonitor.h"
#include "support/Eventually.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <set>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

// The plan reader (its period is a minute) reads at once when started, and once destroyed
// it neither reads again nor keeps the quit waiting. The monitor runs on the same worker.
TEST(Sources, StartAndStopAtOnce) {
    TempDir home;
    home.write(".claude.json", R"({"cachedUsageUtilization":{}})");
    std::atomic<int> calls{0};
    auto plan = std::make_unique<PlanUsageReader>(home.str());
    plan->onUpdate = [&](const PlanUsage&) { ++calls; };
    plan->start();
    ASSERT_TRUE(eventually([&] { return calls > 0; }));
    const auto t0 = Steady::now();
    plan.reset();
    EXPECT_LT(Steady::now() - t0, 500ms);
    EXPECT_EQ(calls.load(), 1);
}

// Fraymark never writes to another program's files: after ticks, polls and plan checks
// over a fixture home, nothing under it was created, removed or changed. (The database
// stores, live writers included, are left as they were by the provider tests.)
TEST(ReadOnly, NothingUnderTheHomeChanges) {
    TempDir home;
    Instant now = fromUnixSeconds(std::floor(toUnixSeconds(wallNow())));
    auto write = [&](std::string_view rel, std::string_view content, double idle = 0) {
        setMtime(home.write(".claude/projects/" + std::string(rel), content), toUnixSeconds(now) - idle);
    };
    TranscriptGenerator g;
    write("-home-dev-api/s1.jsonl", g.session(2, now - 200, 500, 4000));
    write("-home-dev-web/s2.jsonl", g.userPrompt(now - 3) + "\n" + g.toolUse(1).substr(0, 50), 5);
    home.write(".claude.json", R"({"cachedUsageUtilization":{"fetchedAtMs":1,"utilization":{}}})");

    const auto before = TreeSnapshot::of(home.path());

    SessionMonitor monitor{SessionMonitor::Config{
        home.str(), [&] { return now; }, {}, nullptr, [&] { return AgentRegistry::available(home.str()); }}};
    std::set<Agent> seen;
    for (int i = 0; i < 16; ++i, now = now + 2.0)
        for (const auto& s : monitor.tickNow())
            seen.insert(s.agent);
    EXPECT_EQ(seen, (std::set<Agent>{Agent::claude}));
    int plans = 0;
    PlanUsageReader plan(home.str());
    plan.onUpdate = [&](const PlanUsage&) { ++plans; };
    for (int i = 0; i < 3; ++i)
        plan.tickNow();
    EXPECT_EQ(plans, 3);

    EXPECT_EQ(before.diff(TreeSnapshot::of(home.path())), "");
}
