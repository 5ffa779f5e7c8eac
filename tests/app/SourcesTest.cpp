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
#include <pthread.h>
#include <set>
#include <thread>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

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

TEST(Sources, MonitorAndPlanReaderRunOnTheirOwnThreads) {
    TempDir home;
    home.write(".claude.json", R"({"cachedUsageUtilization":{}})");
    const SessionMonitor::Config config{home.str(), wallNow, {}, {}, {}};
    expectOwnThread(std::make_unique<SessionMonitor>(config), "fray.monitor");
    expectOwnThread(std::make_unique<PlanUsageReader>(home.str()), "fray.plan");
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
    write("-home-dev-api/agent-7.jsonl", g.toolUse(1) + "\n");
    write("-home-dev-web/s2.jsonl", g.userPrompt(now - 3) + "\n" + g.toolUse(1).substr(0, 50), 5);
    const auto rollout = home.write(".codex/sessions/2026/01/01/rollout-1.jsonl",
                                    R"({"type":"session_meta","payload":{"cwd":"/home/dev/cli"}})"
                                    "\n"
                                    R"({"timestamp":")" +
                                        isoTimestamp(now - 10) +
                                        R"(","type":"event_msg","payload":{"type":"user_message"}})"
                                        "\n");
    setMtime(rollout, toUnixSeconds(now) - 10);
    std::filesystem::create_directory_symlink("..", home / ".codex/sessions/2026/loop");
    home.write(".claude.json", R"({"cachedUsageUtilization":{"fetchedAtMs":1,"utilization":{}}})");

    const auto before = TreeSnapshot::of(home.path());

    SessionMonitor monitor{SessionMonitor::Config{
        home.str(), [&] { return now; }, {}, nullptr, [&] { return AgentRegistry::available(home.str()); }}};
    std::set<Agent> seen;
    for (int i = 0; i < 16; ++i, now = now + 2.0)
        for (const auto& s : monitor.tickNow())
            seen.insert(s.agent);
    EXPECT_EQ(seen, (std::set<Agent>{Agent::claude, Agent::codex}));
    int plans = 0;
    PlanUsageReader plan(home.str());
    plan.onUpdate = [&](const PlanUsage&) { ++plans; };
    for (int i = 0; i < 3; ++i)
        plan.tickNow();
    EXPECT_EQ(plans, 3);

    EXPECT_EQ(before.diff(TreeSnapshot::of(home.path())), "");
}
