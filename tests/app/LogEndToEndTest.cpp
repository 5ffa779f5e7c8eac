// `fraymark --log` over a fixture home holding a transcript, a rollout and a database
// (the sources tests read all four agents' stores through the same registry).
#include "support/Process.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <regex>

using namespace fray;
using namespace fray::test;

TEST(LogEndToEnd, SourcesInOneLine) {
    TempDir home;
    const double now = static_cast<double>(std::time(nullptr));
    const Instant nowI = fromUnixSeconds(now);

    // Claude Code: a prompt and a tool call written just now: working.
    TranscriptGenerator gen(5, "/home/dev/api", "main");
    auto transcript = home.write(".claude/projects/-home-dev-api/0b1c.jsonl",
                                 gen.userPrompt(nowI - 5.0) + "\n" + gen.toolUse(2) + "\n");
    setMtime(transcript, now - 1);

    // Codex: an outstanding function call for a minute: needs action.
    auto rollout =
        home.write(".codex/sessions/2026/12/06/rollout-2026-12-06T09-00-00-abc.jsonl",
                   R"({"type":"session_meta","payload":{"cwd":"/home/dev/web"}})"
                   "\n"
                   R"({"type":"event_msg","timestamp":")" +
                       isoTimestamp(nowI - 120.0) +
                       R"(","payload":{"type":"user_message"}})"
                       "\n"
                       R"({"type":"response_item","payload":{"type":"function_call","name":"shell"}})"
                       "\n");
    setMtime(rollout, now - 60);

    // Osaurus: a user turn ten minutes ago: completed (stale).
    home.mkdir(".osaurus/chat-history");
    {
        WritableDb db((home / ".osaurus/chat-history/history.sqlite").string());
        db.exec(osaurusSchema);
        db.exec("INSERT INTO sessions (id, title, updated_at, turn_count) VALUES ('o1', 'Recipe ideas', " +
                std::to_string((now - 600) * 1000) + ", 3)");
        db.exec("INSERT INTO turns (session_id, seq, role) VALUES ('o1', 1, 'user')");
    }

    BackgroundProcess fray(FRAYMARK_BINARY, {"--log"}, isolatedEnv(home.str()));
    auto line = fray.readLine(std::chrono::seconds(15));
    ASSERT_TRUE(line) << fray.stderrText();
    EXPECT_EQ(fray.stop(SIGTERM), 0);

    const std::string& l = *line;
    // Idle seconds (and so stamina) depend on when the first tick lands: a loaded machine
    // may take a few seconds to start.
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        l, m, std::regex(R"(CDX:web\[-\]=NEEDS-ACTION combo=1 stamina=0.5[02] idle=(12[0-5])s)")))
        << l;
    auto cdx = static_cast<std::size_t>(m.position(0));
    ASSERT_TRUE(std::regex_search(
        l, m, std::regex(R"(CLD:api\[main\]=working combo=2 stamina=0.(70|68) idle=([5-9]|10)s)")))
        << l;
    auto cld = static_cast<std::size_t>(m.position(0));
    auto osa = l.find("OSA:Recipe ideas[-]=completed combo=3 stamina=0.50 idle=-1s");
    ASSERT_NE(osa, std::string::npos) << l;
    EXPECT_LT(cdx, cld) << "waiting sessions lead";
    EXPECT_LT(cld, osa) << "then the working ones";
}
