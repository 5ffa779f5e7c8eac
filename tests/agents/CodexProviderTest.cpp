#include "agents/CodexProvider.h"
#include "monitor/FileState.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace fray;
using fray::test::TempDir;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);
using S = SessionStatus;
constexpr auto absent = std::nullopt;

std::string stamp(double agoSeconds) {
    return fray::test::isoTimestamp(kNow - agoSeconds);
}

std::string meta(const std::string& cwd) {
    return R"({"timestamp":")" + stamp(900) + R"(","type":"session_meta","payload":{"id":"0197","cwd":")" +
           cwd + R"(","originator":"codex_cli_rs","cli_version":"0.39.0","instructions":"You are Codex."}})";
}
std::string ev(const std::string& type, const std::string& ts = stamp(60)) {
    return R"({"timestamp":")" + ts + R"(","type":"event_msg","payload":{"type":")" + type +
           R"(","message":"ok"}})";
}
std::string item(const std::string& type, const std::string& extra = "") {
    return R"({"timestamp":")" + stamp(30) + R"(","type":"response_item","payload":{"type":")" + type + "\"" +
           extra + "}}";
}
const std::string call =
    item("function_call", R"(,"name":"shell","arguments":"{\"command\":[\"ls\"]}","call_id":"c1")");
const std::string output =
    item("function_call_output", R"(,"call_id":"c1","output":"{\"output\":\"a\\nb\"}")");
const std::string userItem =
    item("message", R"(,"role":"user","content":[{"type":"input_text","text":"go"}])");

std::string join(std::initializer_list<std::string> ls) {
    std::string out;
    for (const auto& l : ls)
        out += l + "\n";
    return out;
}

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
    struct Row {
        const char* name;
        std::string lines;
        double idle, delay;
        std::optional<S> expect;
        std::int64_t combo;
    } rows[] = {
        {"outstanding call, 10 s of 30", join({meta("/a"), ev("user_message"), call}), 10, 30, S::working, 1},
        {"outstanding call, 31 s of 30", join({meta("/a"), ev("user_message"), call}), 31, 30, S::needsAction,
         1},
        {"outstanding call, 2000 s", join({meta("/a"), ev("user_message"), call}), 2000, 30, S::needsAction,
         1},
        {"call answered, 480 s", join({call, output}), 480, 20, S::working, 1},
        {"call answered, 481 s", join({call, output}), 481, 20, S::completed, 1},
        {"call answered, 721 s", join({call, output}), 721, 20, absent, 0},
        {"two calls, one output: still pending", join({call, call, output}), 31, 30, S::needsAction, 2},
        {"output without a call", join({output}), 10, 20, S::working, 0},
        {"user item resets the combo, not the pending calls", join({call, call, userItem, output}), 31, 30,
         S::needsAction, 0},
        {"user message resets both", join({call, call, ev("user_message"), output}), 31, 30, S::working, 0},
        {"other tool kinds count",
         join({item("custom_tool_call"), item("tool_search_call"), item("custom_tool_call_output"),
               item("tool_search_output")}),
         10, 20, S::working, 2},
        {"agent message", join({call, output, ev("agent_message")}), 300, 20, S::working, 1},
        {"task complete, 720 s", join({call, ev("task_complete")}), 720, 20, S::completed, 1},
        {"task complete, 721 s", join({call, ev("task_complete")}), 721, 20, absent, 0},
        {"only session_meta and unknown lines",
         join({meta("/a"), ev("token_count"), R"({"type":"turn_context"})"}), 5, 20, absent, 0},
        {"empty file", "", 5, 20, absent, 0},
        {"garbage and a partial last line", "\xff\xfe\n{]\n" + call + "\n" + output.substr(0, 40), 40, 30,
         S::needsAction, 1},
    };
    for (const auto& r : rows) {
        CodexHome c;
        const auto path = c.write("2025/06/01/rollout-x.jsonl", r.lines, r.idle);
        auto list = c.poll(r.delay);
        ASSERT_EQ(list.size(), r.expect ? 1u : 0u) << r.name;
        if (!r.expect) continue;
        EXPECT_EQ(list[0].status, *r.expect) << r.name;
        EXPECT_EQ(list[0].combo, r.combo) << r.name;
        EXPECT_EQ(list[0].id, path);
    }
}

TEST(CodexProvider, RecordFieldsHeadAndPrompts) {
    std::string bigBody;
    for (int i = 0; i < 3000; ++i)
        bigBody += ev("agent_message") + "\n"; // well over 128 KiB
    const std::string noFraction =
        R"({"timestamp":"2025-12-31T23:58:20Z","type":"event_msg","payload":{"type":"user_message"}})";
    struct Row {
        const char* name;
        std::string content;
        std::optional<std::string> cwd;
        std::string project;
        std::optional<Instant> lastPrompt;
        std::size_t prompts;
    } rows[] = {
        {"cwd from the first line", join({meta("/work/api"), ev("user_message", stamp(100)), call}),
         "/work/api", "api", kNow - 100, 1},
        {"head far before the 128 KiB tail", join({meta("/work/api/")}) + bigBody, "/work/api/", "api",
         absent, 0},
        {"first line over 1 MiB: no cwd",
         R"({"type":"session_meta","payload":{"cwd":"/x","pad":")" + std::string(1100000, 'p') + "\"}}\n" +
             join({call}),
         absent, "codex", absent, 0},
        {"first line not session_meta", join({ev("user_message", stamp(50)), meta("/work/api")}), absent,
         "codex", kNow - 50, 1},
        {"prompt times from any user_message payload; plain and bad timestamps",
         join({ev("agent_message", stamp(10)), ev("user_message", stamp(300)), noFraction,
               ev("user_message", "yesterday-ish"), item("user_message")}),
         absent, "codex", kNow - 30, 3},
    };
    for (const auto& r : rows) {
        CodexHome c;
        c.write("2025/12/31/rollout-1.jsonl", r.content, 5);
        auto list = c.poll();
        ASSERT_EQ(list.size(), 1u) << r.name;
        const auto& s = list[0];
        EXPECT_EQ(s.cwd, r.cwd) << r.name;
        EXPECT_EQ(s.project, r.project) << r.name;
        EXPECT_EQ(s.lastPromptAt, r.lastPrompt) << r.name;
        EXPECT_EQ(s.stateSince, kNow - 5);
        EXPECT_EQ(s.lastActivity, kNow - 5);
        EXPECT_EQ(s.agent, Agent::codex);
        EXPECT_FALSE(s.powerUpAt);
        EXPECT_FALSE(s.branch);
        if (r.prompts == 0) {
            EXPECT_EQ(s.stamina, 0.5) << r.name;
        } else {
            EXPECT_LT(s.stamina, 1.0) << r.name;
        }
    }
}

TEST(CodexProvider, Enumeration) {
    CodexHome c;
    const std::string body = join({call}); // waiting on a tool: visible for the whole window
    struct Row {
        const char* rel;
        double idle;
        bool found;
    } rows[] = {
        {"2025/06/01/rollout-a.jsonl", 0, true},       {"rollout-top.jsonl", 0, true},
        {".hidden/rollout-b.jsonl", 0, false},         {"2025/.tmp/rollout-c.jsonl", 0, false},
        {"2025/06/01/.rollout-d.jsonl", 0, false},     {"2025/06/01/session-e.jsonl", 0, false},
        {"2025/06/01/rollout-f.json", 0, false},       {"2025/06/01/rollout-g.jsonl.bak", 0, false},
        {"2025/06/01/rollout-old.jsonl", 2701, false}, {"2025/06/01/rollout-recent.jsonl", 2699, true},
    };
    for (const auto& r : rows)
        c.write(r.rel, body, r.idle);
    const auto sessions = c.home / ".codex/sessions";
    // Loops and links: none may hang the walk or be entered.
    std::filesystem::create_directory_symlink("..", sessions / "2025/loop");
    std::filesystem::create_directory_symlink(sessions, sessions / "2025/06/back-to-root");
    std::filesystem::create_directory_symlink(sessions / "2025/06", sessions / "linked-day");
    ASSERT_EQ(::mkfifo((sessions / "2025/06/01/rollout-fifo.jsonl").c_str(), 0600), 0);

    auto files = std::make_shared<fray::test::FaultyFileAccess>();
    auto list = c.poll(20, files);
    std::set<std::string> found;
    for (const auto& s : list)
        found.insert(s.id);
    for (const auto& r : rows)
        EXPECT_EQ(found.contains((sessions / r.rel).string()), r.found) << r.rel;
    EXPECT_EQ(list.size(), found.size()) << "nothing reported twice";
    EXPECT_EQ(files->opens, 3) << "only the candidates are opened";

    EXPECT_TRUE(CodexProvider(c.home.str()).isAvailable());
    EXPECT_FALSE(CodexProvider((c.home / "nobody").string()).isAvailable());
    EXPECT_TRUE(CodexProvider((c.home / "nobody").string()).poll(kNow, 20).empty());
}

TEST(CodexProvider, UnreadableFileCostsOnlyItsOwnSession) {
    CodexHome c;
    const auto denied = c.write("a/rollout-1.jsonl", join({call}));
    const auto broken = c.write("a/rollout-2.jsonl", join({call}));
    const auto fine = c.write("a/rollout-3.jsonl", join({call}));
    auto files = std::make_shared<fray::test::FaultyFileAccess>();
    files->denied.insert(denied);
    files->readErrors.insert(broken);
    auto list = c.poll(20, files);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, fine);
}
