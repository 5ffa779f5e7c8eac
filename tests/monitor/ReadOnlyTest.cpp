// Fraymark never writes to another program's files: after ticks, polls and plan checks
// over a full fixture home, nothing under it was created, removed or changed.
#include "MonitorFixture.h"
#include "agents/PlanUsageReader.h"
#include "support/SqliteFixture.h"
#include "support/TranscriptGenerator.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace fray;
using namespace fray::test;

TEST(ReadOnly, NothingUnderTheHomeChanges) {
    MonitorFixture f;
    f.providers.reset(); // the real registry and file system, as the application uses them
    f.files = nullptr;
    TranscriptGenerator g;
    f.write("-home-dev-api/s1.jsonl", g.session(2, f.now - 200, 500, 4000));
    f.write("-home-dev-api/agent-7.jsonl", g.toolUse(1) + "\n");
    f.write("-home-dev-web/s2.jsonl", g.userPrompt(f.now - 3) + "\n" + g.toolUse(1).substr(0, 50), 5);
    const auto rollout = f.home.write(".codex/sessions/2026/01/01/rollout-1.jsonl",
                                      R"({"type":"session_meta","payload":{"cwd":"/home/dev/cli"}})"
                                      "\n"
                                      R"({"timestamp":")" +
                                          isoTimestamp(f.now - 10) +
                                          R"(","type":"event_msg","payload":{"type":"user_message"}})"
                                          "\n");
    setMtime(rollout, toUnixSeconds(f.now) - 10);
    std::filesystem::create_directory_symlink("..", f.home / ".codex/sessions/2026/loop");

    const std::string now = std::to_string(toUnixSeconds(f.now));
    f.home.mkdir(".hermes");
    WriterProcess hermes((f.home / ".hermes/state.db").string(), "wal",
                         std::string(hermesSchema) +
                             "INSERT INTO sessions (id, cwd, started_at) VALUES ('h', '/x/y', 1);"
                             "INSERT INTO messages (session_id, role, timestamp) VALUES ('h', 'user', " +
                             now + ");");
    f.home.mkdir(".osaurus/chat-history");
    WritableDb((f.home / ".osaurus/chat-history/history.sqlite").string(), "wal")
        .exec(std::string(osaurusSchema) + "INSERT INTO sessions (id, updated_at) VALUES ('o', " + now + ")");
    f.home.write(".claude.json", R"({"cachedUsageUtilization":{"fetchedAtMs":1,"utilization":{}}})");

    const auto before = TreeSnapshot::of(f.home.path());
    ASSERT_TRUE(before.entries.contains(".hermes/state.db-shm"))
        << "a live WAL writer's side files are checked too";

    std::set<Agent> seen;
    for (int i = 0; i < 16; ++i)
        for (const auto& s : f.tick(2))
            seen.insert(s.agent);
    EXPECT_EQ(seen, (std::set<Agent>{Agent::claude, Agent::codex, Agent::hermes, Agent::osaurus}));
    int plans = 0;
    PlanUsageReader plan(f.home.str());
    plan.onUpdate = [&](const PlanUsage&) { ++plans; };
    for (int i = 0; i < 3; ++i)
        plan.tickNow();
    EXPECT_EQ(plans, 3);

    EXPECT_EQ(before.diff(TreeSnapshot::of(f.home.path())), "");
}
