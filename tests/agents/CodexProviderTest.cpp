#include "agents/CodexProvider.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

using namespace fray;
using fray::test::TempDir;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);
using S = SessionStatus;
constexpr auto absent = std::nullopt;

std::string stamp(double ago) {
    return fray::test::isoTimestamp(kNow - ago);
}
std::string meta(const std::string& cwd) {
    return R"({"type":"session_meta","payload":{"id":"0197","cwd":")" + cwd + "\"}}\n";
}
std::string ev(const std::string& type, const std::string& ts = stamp(60)) {
    return R"({"timestamp":")" + ts + R"(","type":"event_msg","payload":{"type":")" + type + "\"}}\n";
}
std::string item(const std::string& type, const std::string& extra = "") {
    return R"({"timestamp":")" + stamp(30) + R"(","type":"response_item","payload":{"type":")" + type + "\"" +
           extra + "}}\n";
}
const std::string call = item("function_call", R"(,"name":"shell","arguments":"{}","call_id":"c1")");
const std::string output = item("function_call_output", R"(,"call_id":"c1","output":"a\nb")");
const std::string userItem = item("message", R"(,"role":"user","content":[])");

struct CodexHome {
    TempDir home;
    std::string write(const std::string& rel, const std::string& content, double idle = 0) {
        auto p = home.write(".codex/sessions/" + rel, content);
        fray::test::setMtime(p, toUnixSeconds(kNow) - idle);
        return p.string();
    }
    std::vector<SessionInfo> poll(double delay = 20, std::shared_ptr<FileAccess> files = nullptr) {
        return CodexProvider(home.str(), std::move(files)).poll(kNow, delay);
    }
};

} // namespace

TEST(CodexProvider, StatusAndComboFromTheTail) {
    const std::string pending = meta("/a") + ev("user_message") + call;
    const std::string never = R"({"type":"turn_context","payload":{"approval_policy":"never"}})"
                              "\n";
    struct Row {
        const char* name;
        std::string lines;
        double idle, delay;
        std::optional<S> expect;
        std::int64_t combo;
    } rows[] = {
        // clang-format off
        {"outstanding call, 30 s of 30", pending, 30, 30, S::working, 1},
        {"outstanding call, 31 s of 30", pending, 31, 30, S::needsAction, 1},
        {"an orphan output, then two calls and one output: one call waits", output + call + call + output, 31,
         30, S::needsAction, 2},
        {"a user item resets the combo, not the pending calls", call + call + userItem + output, 31, 30,
         S::needsAction, 0},
        {"a user message resets both", call + call + ev("user_message") + output, 31, 30, S::working, 0},
        {"other tool kinds count",
         item("custom_tool_call") + item("tool_search_call") + item("custom_tool_call_output") +
             item("tool_search_output"), 10, 20, S::working, 2},
        {"a web search counts and leaves nothing pending", call + output + item("web_search_call"), 31, 30,
         S::working, 2},
        {"an approval policy that never asks: a pending call runs", never + pending, 300, 20, S::working, 1},
        {"the latest turn's policy counts",
         never + R"({"type":"turn_context","payload":{"approval_policy":"on-request"}})" "\n" + call, 31, 30,
         S::needsAction, 1},
        {"task complete: finished", call + ev("task_complete"), 400, 20, S::completed, 1},
        {"an answer after it: busy again", call + ev("task_complete") + ev("agent_message"), 400, 20, S::working, 1},
        {"only session_meta and unknown lines", meta("/a") + ev("token_count") + R"({"type":"turn_context"})" "\n",
         5, 20, absent, 0},
        {"garbage and a partial last line", "\xff\xfe\n{]\n" + call + output.substr(0, 40), 40, 30, S::needsAction, 1},
        // clang-format on
    };
    for (const auto& r : rows) {
        CodexHome c;
        const auto path = c.write("2025/06/01/rollout-x.jsonl", r.lines, r.idle);
        auto list = c.poll(r.delay);
        ASSERT_EQ(list.size(), r.expect ? 1u : 0u) << r.name;
        if (!r.expect) continue;
        EXPECT_EQ(std::tie(list[0].id, list[0].status, list[0].combo), std::tie(path, *r.expect, r.combo))
            << r.name;
    }
    // Dated an hour ahead: it ages from the moment it was first seen, and leaves.
    CodexHome c;
    c.write("2025/06/01/rollout-x.jsonl", call + output, -3600);
    CodexProvider provider(c.home.str());
    EXPECT_EQ(provider.poll(kNow, 20).at(0).lastActivity, kNow);
    EXPECT_EQ(provider.poll(kNow + 481, 20).at(0).status, S::completed);
    EXPECT_TRUE(provider.poll(kNow + 721, 20).empty());
}

// A waiting rollout also says what for: of a shell call's word list, the script it runs.
TEST(CodexProvider, RecordFieldsHeadPromptsAndPendingCall) {
    const std::string script =
        item("function_call", R"(,"name":"shell","arguments":"{\"command\":[\"bash\",\"-lc\",\"ls -la\"]}")");
    struct Row {
        const char* name;
        std::string content;
        std::optional<std::string> cwd;
        std::string project;
        std::optional<Instant> lastPrompt;
        std::optional<PendingCall> pending;
    } rows[] = {
        // clang-format off
        {"cwd from the first line", meta("/work/api/") + ev("user_message", stamp(100)) + script, "/work/api/", "api",
         kNow - 100, PendingCall{"shell", "ls -la"}},
        {"a first line over 1 MiB: no cwd",
         R"({"type":"session_meta","payload":{"cwd":"/x","pad":")" + std::string(1100000, 'p') + "\"}}\n" + call,
         absent, "codex", absent, PendingCall{"shell", ""}},
        {"prompts from any user_message payload, the latest counts; bad stamps skipped",
         ev("agent_message", stamp(10)) + ev("user_message", stamp(300)) + ev("user_message", "yesterday-ish") +
             item("user_message"),
         absent, "codex", kNow - 30, absent},
        // clang-format on
    };
    for (const auto& r : rows) {
        CodexHome c;
        const auto path = c.write("2025/12/31/rollout-1.jsonl", r.content, 5);
        auto list = c.poll();
        ASSERT_EQ(list.size(), 1u) << r.name;
        auto s = list[0];
        auto expect = SessionInfo::make(path, r.project, absent, r.cwd, s.status, s.combo, kNow - 5, kNow - 5,
                                        r.lastPrompt, absent, s.stamina, Agent::codex);
        expect.pendingCall = r.pending;
        EXPECT_EQ(s, expect) << r.name;
    }
}

TEST(CodexProvider, EnumerationSkipsHiddenOtherAndOldFilesAndNeverFollowsLinks) {
    CodexHome c;
    struct Row {
        const char* rel;
        double idle;
        bool found;
    } rows[] = {
        // clang-format off
        {"2025/06/01/rollout-a.jsonl", 0, true},       {"rollout-top.jsonl", 0, true},
        {"2025/.tmp/rollout-c.jsonl", 0, false},       {"2025/06/01/.rollout-d.jsonl", 0, false},
        {"2025/06/01/session-e.jsonl", 0, false},      {"2025/06/01/rollout-g.jsonl.bak", 0, false},
        {"2025/06/01/rollout-old.jsonl", 2701, false}, {"2025/06/01/rollout-recent.jsonl", 2699, true},
        {"2025/06/01/rollout-denied.jsonl", 0, false}, {"2025/06/01/rollout-read-error.jsonl", 0, false},
        // clang-format on
    };
    for (const auto& r : rows)
        c.write(r.rel, call, r.idle); // waiting on a tool: visible for the whole window
    const auto sessions = c.home / ".codex/sessions";
    std::filesystem::create_directory_symlink("..", sessions / "2025/loop");
    std::filesystem::create_directory_symlink(sessions, sessions / "2025/06/back-to-root");
    std::filesystem::create_directory_symlink(sessions / "2025/06", sessions / "linked-day");
    ASSERT_EQ(::mkfifo((sessions / "2025/06/01/rollout-fifo.jsonl").c_str(), 0600), 0);

    auto files = std::make_shared<fray::test::FaultyFileAccess>();
    files->denied.insert((sessions / "2025/06/01/rollout-denied.jsonl").string());
    files->readErrors.insert((sessions / "2025/06/01/rollout-read-error.jsonl").string());
    auto list = c.poll(20, files);
    std::set<std::string> found;
    for (const auto& s : list)
        found.insert(s.id);
    for (const auto& r : rows)
        EXPECT_EQ(found.contains((sessions / r.rel).string()), r.found) << r.rel;
    EXPECT_EQ(list.size(), found.size()) << "nothing reported twice";
    EXPECT_EQ(files->opens, 5) << "only the candidates are opened";

    EXPECT_TRUE(CodexProvider((c.home / "nobody").string()).poll(kNow, 20).empty())
        << "no sessions directory";
}

// Many rollouts are read on two threads (a TSan run's only Codex case); each must come
// out as it does alone.
TEST(CodexProvider, ManyRolloutsReadTogetherMatchEachAlone) {
    CodexHome many;
    std::vector<std::pair<std::string, std::string>> files;
    const std::string filler =
        item("function_call_output", R"(,"call_id":"c","output":")" + std::string(90000, 'x') + "\"");
    for (int i = 0; i < 16; ++i) {
        std::string content = meta("/w/p" + std::to_string(i)) + ev("user_message", stamp(200 + i)) + filler;
        for (int k = 0; k < i % 4; ++k)
            content += call;
        if (i % 3 == 0) content += ev("task_complete");
        files.emplace_back("rollout-" + std::to_string(i) + ".jsonl", content);
        many.write(files.back().first, content, 5.0 * i);
    }
    const auto together = many.poll();
    ASSERT_EQ(together.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        CodexHome alone;
        alone.write(files[i].first, files[i].second, 5.0 * i);
        auto solo = alone.poll();
        ASSERT_EQ(solo.size(), 1u);
        solo[0].id = (many.home / ".codex/sessions" / files[i].first).string();
        EXPECT_NE(std::find(together.begin(), together.end(), solo[0]), together.end()) << files[i].first;
    }
}

// A rollout is read whole turn deep on first sight, and afterwards only where it grew.
// (Rollouts rewritten shorter or renamed over are the fuzz target's: see its regressions.)
TEST(CodexProvider, FirstReadCoversTheTurnThenOnlyNewBytes) {
    CodexHome c;
    fray::test::RolloutGenerator g(3, "/work/api");
    g.setClock(kNow - 3000);
    std::string content = g.rollout(1u << 20); // earlier turns
    g.setClock(kNow - 600);
    content += g.script({"started", "context", "prompt migrate the schema"}) + "\n";
    for (int i = 0; i < 100; ++i)
        content += g.functionCall() + "\n" + g.functionCallOutput(20000) + "\n";
    const auto path = c.write("2026/01/01/rollout-1.jsonl", content + g.functionCall() + "\n", 5);

    auto files = std::make_shared<fray::test::FaultyFileAccess>();
    CodexProvider provider(c.home.str(), files);
    auto first = provider.poll(kNow, 20);
    ASSERT_EQ(first.size(), 1u);
    const Instant prompted = kNow - 600;
    // The cwd comes from the session_meta line, megabytes before the tail.
    EXPECT_EQ(std::tie(first[0].combo, first[0].lastPromptAt, first[0].cwd),
              std::make_tuple(101, std::optional(prompted), std::optional<std::string>("/work/api")));
    EXPECT_LT(files->bytesRead, 2 * (content.size() - (1u << 20)));

    const std::uint64_t before = files->bytesRead;
    const std::string more = g.script({"output 300", "search", "patch"}) + "\n";
    c.home.append(".codex/sessions/2026/01/01/rollout-1.jsonl", more + g.line("patch-output").substr(0, 50));
    fray::test::setMtime(path, toUnixSeconds(kNow) - 1);
    auto second = provider.poll(kNow, 20);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(std::tie(second[0].combo, second[0].status, second[0].lastPromptAt),
              std::make_tuple(103, S::working, std::optional(prompted)));
    EXPECT_LT(files->bytesRead - before, more.size() + 1000) << "only the appended bytes";

    EXPECT_EQ(provider.poll(kNow + 30, 20)[0].status, S::needsAction)
        << "unchanged, the patch still waits for its output";
}
