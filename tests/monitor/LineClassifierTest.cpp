#include "monitor/LineClassifier.h"
#include "session/Timestamp.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);

std::string user(const std::string& content, const std::string& extra = "") {
    return R"({"type":"user","message":{"role":"user","content":)" + content + "}" + extra + "}";
}
std::string assistant(const std::string& content) {
    return R"({"type":"assistant","message":{"role":"assistant","content":)" + content + "}}";
}
std::string lastPrompt(const char* text) {
    return std::string(R"({"type":"last-prompt","lastPrompt":")") + text + "\"}";
}

// Everything a classified line may change, comparable in one assertion.
auto snapshot(const FileState& s) {
    return std::make_tuple(s.cwd, s.branch, static_cast<int>(s.lastKind), s.seenAssistant, s.combo,
                           s.lastPromptHash.has_value(), s.promptTimes.size(), s.powerUpAt.has_value());
}

// What a row expects; rows name only what differs from the start state.
struct Want {
    LineKind kind = LineKind::none;
    std::int64_t combo = 5; // the combo each row starts with
    std::size_t prompts = 0;
    bool power = false; // powered up
    bool seen = false;  // seenAssistant
    std::optional<std::string> cwd = {}, branch = {};
    bool lastPrompt = false; // a last-prompt text is known
};

} // namespace

TEST(LineClassifier, Classification) {
    using K = LineKind;
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        Want want;
        bool bootstrapping = false;
    } rows[] = {
        // clang-format off
        // Envelope keys.
        {"a sidechain line changes nothing, not even cwd",
         {R"({"isSidechain":true,"cwd":"/new","type":"assistant","message":{"content":[{"type":"tool_use"}]}})"}, {}},
        {"HEAD and an empty branch keep the named one; an empty cwd is ignored",
         {R"({"gitBranch":"feat/x","type":"x"})", R"({"gitBranch":"HEAD","cwd":"","type":"x"})"},
         {.branch = "feat/x"}},
        {"other types, and a type of the wrong case, update only cwd and branch",
         {R"({"type":"summary","cwd":"/a","gitBranch":"b"})", R"({"type":"User","message":{"content":"x"}})"},
         {.cwd = "/a", .branch = "b"}},
        // User lines.
        {"a prompt clears the combo and powers up", {user(R"("fix")")},
         {.kind = K::userText, .combo = 0, .prompts = 1, .power = true}},
        {"an interrupted text block keeps the combo", {user(R"([{"type":"text","text":"[Request interrupted by user]"}])")},
         {.kind = K::interrupted}},
        {"tool_result among the blocks wins over text",
         {user(R"([{"type":"text","text":"hello"},{"type":"tool_result","content":"x"}])")}, {.kind = K::toolResult}},
        {"a toolUseResult key, even null, makes a tool result", {user(R"("do it")", R"(,"toolUseResult":null)")},
         {.kind = K::toolResult}},
        {"the first text block decides; a mistyped text is no prompt",
         {user(R"([{"type":"image"},{"type":"text","text":7},{"type":"text","text":"later"}])")},
         {.kind = K::userText, .combo = 0}},
        // Assistant lines.
        {"two tool calls and text add two",
         {assistant(R"([{"type":"tool_use"},{"type":"text","text":"x"},{"type":"tool_use"}])")},
         {.kind = K::assistantToolUse, .combo = 7, .seen = true}},
        {"text beats thinking", {assistant(R"([{"type":"thinking"},{"type":"text"}])")},
         {.kind = K::assistantText, .seen = true}},
        {"no content keeps the last kind", {assistant(R"([{"type":"tool_use"}])"), R"({"type":"assistant","message":{"role":"assistant"}})"},
         {.kind = K::assistantToolUse, .combo = 6, .seen = true}},
        // Last-prompt records.
        {"a different text is a live prompt", {lastPrompt("a"), lastPrompt("b")},
         {.prompts = 1, .power = true, .lastPrompt = true}},
        {"a different text while bootstrapping is none", {lastPrompt("a"), lastPrompt("b")}, {.lastPrompt = true},
         true},
        {"the first only stores its text; the same again, or a non-string one, records nothing",
         {lastPrompt("a"), lastPrompt("a"), R"({"type":"last-prompt","lastPrompt":5})"}, {.lastPrompt = true}},
        // clang-format on
    };
    for (const auto& r : rows) {
        FileState st(kNow);
        st.combo = 5;
        st.bootstrapping = r.bootstrapping;
        for (const auto& l : r.lines)
            parseLine(l, st, kNow);
        const Want& w = r.want;
        EXPECT_EQ(snapshot(st), std::make_tuple(w.cwd, w.branch, static_cast<int>(w.kind), w.seen, w.combo,
                                                w.lastPrompt, w.prompts, w.power))
            << r.name;
    }
}

// What a turn's lines, as real versions write them, leave for the status: needs action
// only when the user can be asked, a turn over only when the transcript says so, and
// lines that are not the user speaking neither start a turn nor count as prompts.
TEST(LineClassifier, StatusOfRealTurns) {
    using S = SessionStatus;
    using Steps = std::vector<std::string_view>;
    const auto after = [](Steps more) { // a finished turn, then more lines
        Steps steps = {"prompt fix", "call Bash", "result", "end", "system stop_hook_summary"};
        steps.insert(steps.end(), more.begin(), more.end());
        return steps;
    };
    struct Row {
        const char* name;
        const char* mode;
        Steps steps;
        double idle;
        S status;
        std::int64_t combo = 1;
        std::size_t prompts = 1;
        const char* version = "2.1.30";
    } rows[] = {
        // clang-format off
        {"a question waits at once", "default", {"prompt fix", "call AskUserQuestion"}, 0, S::needsAction},
        {"a plan waits at once, even when nothing else asks", "bypassPermissions", {"prompt fix", "call ExitPlanMode"},
         0, S::needsAction},
        {"a blocking wait on background work works", "default", {"prompt fix", "call TaskOutput"}, 300, S::working},
        {"bypassPermissions never asks", "bypassPermissions", {"prompt fix", "call Bash"}, 100, S::working},
        {"acceptEdits still asks before a command", "acceptEdits", {"prompt fix", "call Bash"}, 21, S::needsAction},
        {"the latest mode counts", "bypassPermissions",
         {"prompt fix", "call Bash", "result", "mode default", "prompt fix", "call Bash"}, 21, S::needsAction},
        {"a command beside a sub-agent may ask", "default", {"prompt fix", "call Bash", "call Task"}, 21,
         S::needsAction, 2},
        {"a question beside other calls still waits", "default", {"prompt fix", "call AskUserQuestion", "call Read"},
         0, S::needsAction, 2},
        {"an answered question is forgotten by the next calls", "default",
         {"prompt fix", "call AskUserQuestion", "result", "call Read"}, 10, S::working, 2},
        {"progress records leave the call the last line", "default",
         {"prompt fix", "call Bash", "progress hook_progress", "progress bash_progress"}, 21, S::needsAction},
        {"text without an end marker works through the delay", "default", {"prompt fix", "text Update:"}, 20,
         S::working, 0},
        {"text without an end marker ends after the delay", "default", {"prompt fix", "text Update:"}, 21,
         S::completed, 0},
        {"end_turn ends at once", "default", {"prompt fix", "end"}, 0, S::completed, 0, 1, "2.0.64"},
        {"turn_duration ends at once", "default", {"prompt fix", "text", "system turn_duration"}, 0, S::completed, 0},
        {"a marker after a tool result ends nothing", "default",
         {"prompt fix", "call Bash", "result", "system turn_duration"}, 30, S::working},
        {"stop-hook feedback takes the turn on, no prompt", "default", after({"feedback"}), 30, S::working},
        {"a skill's meta line is no prompt", "default",
         {"prompt fix", "call Bash", "result", "meta Base directory for this skill: /x"}, 30, S::working},
        {"a slash command after the end clears the combo, stays finished", "default",
         after({"slash /mcp", "system local_command"}), 0, S::completed, 0},
        {"a manual compaction stays finished", "default",
         after({"slash /compact", "system compact_boundary", "compact"}), 0, S::completed, 0},
        {"a last-prompt repeating the turn's prompt adds nothing", "default",
         {"last-prompt earlier", "prompt fix", "end", "last-prompt fix"}, 0, S::completed, 0, 1, "2.0.64"},
        // clang-format on
    };
    for (const auto& r : rows) {
        fray::test::TranscriptGenerator g(11);
        g.setVersion(r.version);
        g.setPermissionMode(r.mode);
        g.setClock(kNow - 600);
        FileState st(kNow - 1000);
        const std::string lines = g.script(r.steps);
        for (std::size_t at = 0, lf; at < lines.size(); at = lf + 1) {
            lf = std::min(lines.find('\n', at), lines.size());
            parseLine(std::string_view(lines).substr(at, lf - at), st, kNow - 100);
        }
        st.lastActivity = kNow - r.idle;
        EXPECT_EQ(std::make_tuple(st.derive(kNow, 20), st.combo, st.promptTimes.size()),
                  std::make_tuple(std::optional(r.status), r.combo, r.prompts))
            << r.name;
    }
}

TEST(LineClassifier, BadInputLeavesStateUntouchedAndHugeLinesParse) {
    using namespace std::string_literals;
    const std::string good = fray::test::TranscriptGenerator(7).userPrompt(kNow, "x");
    const std::string bad[] = {
        good.substr(0, good.size() - 1),                                 // truncated
        "{\"type\":\"user\",\"message\":{\"content\":\"caf\xC3\x28\"}}", // invalid UTF-8
        "{\"type\":\"user\",\0\"message\":1}"s, // an embedded NUL, the literal's own length
        std::string(2000, '['),                 // deep nesting
    };
    for (const auto& line : bad) {
        FileState st(kNow);
        st.cwd = "/keep";
        st.combo = 4;
        const auto before = snapshot(st);
        parseLine(line, st, kNow);
        EXPECT_EQ(snapshot(st), before) << "line: " << line.substr(0, 80);
    }
    FileState st(kNow);
    parseLine(fray::test::TranscriptGenerator(3).toolResult(10u << 20), st, kNow);
    EXPECT_EQ(st.lastKind, LineKind::toolResult);
    parseLine(user(R"("after")"), st, kNow); // the parser still works once inflated
    EXPECT_EQ(st.lastKind, LineKind::userText);
}

// What a waiting session waits on: the tool and the one input field that says what it does
// (not the first text), on one line without control characters.
TEST(LineClassifier, PendingCallSummary) {
    FileState st;
    parseLine(assistant(R"([{"type":"tool_use","name":"Bash","input":)"
                        R"({"description":"Build","command":"cd a &&\n\tmake\u001b[2J  all"}}])"),
              st, kNow);
    ASSERT_TRUE(st.pendingCall);
    EXPECT_EQ(st.pendingCall->tool, "Bash");
    EXPECT_EQ(st.pendingCall->summary, "cd a && make [2J all");
}

TEST(ParseTimestamp, Rfc3339FormsAndMalformedText) {
    // (Whole seconds with an offset: the plan usage test's.)
    for (auto [text, unix] : {std::pair{"2025-01-31T09:15:42.123Z", 1738314942.123},
                              {"2025-01-31T04:45:42.250-04:30", 1738314942.25},
                              {"2024-02-29T00:00:00Z", 1709164800.0}}) {
        auto t = parseTimestamp(text);
        ASSERT_TRUE(t) << text;
        EXPECT_NEAR(toUnixSeconds(*t), unix, 1e-6) << text;
    }
    // Impossible dates and hours, which a calendar would roll over into the next ones; then
    // malformed: no zone (local or UTC?), an empty fraction, an offset without a colon, nothing.
    for (const char* bad : {"2025-02-30T00:00:00Z", "2023-02-29T00:00:00Z", "2025-01-31T24:00:00Z",
                            "2025-01-31T09:15:42", "2025-01-31T09:15:42.Z", "2025-01-31T09:15:42+0200", ""})
        EXPECT_FALSE(parseTimestamp(bad)) << bad;
}
