#include "monitor/LineClassifier.h"
#include "support/StateSnapshot.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace fray;
using fray::test::snapshot;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);

struct Row {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(const FileState&)> check;
};

void runRows(const std::vector<Row>& rows, const std::function<void(FileState&)>& prepare = {}) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FileState st(kNow);
        if (prepare) prepare(st);
        for (const auto& l : row.lines) parseLine(l, st, kNow);
        row.check(st);
    }
}

std::string user(const std::string& content, const std::string& extra = "") {
    return R"({"type":"user","message":{"role":"user","content":)" + content + "}" + extra + "}";
}
std::string assistant(const std::string& content) {
    return R"({"type":"assistant","message":{"role":"assistant","content":)" + content + "}}";
}
const std::string kToolUse = assistant(R"([{"type":"tool_use","id":"t1","name":"Bash","input":{}}])");

} // namespace

TEST(LineClassifier, EnvelopeKeys) {
    runRows({
        {"sidechain line changes nothing, not even cwd or seenAssistant",
         {R"({"isSidechain":true,"cwd":"/new","type":"assistant","message":{"content":[]}})"},
         [](const FileState& s) {
             EXPECT_FALSE(s.cwd);
             EXPECT_FALSE(s.seenAssistant);
         }},
        {"isSidechain of another type is not a sidechain",
         {R"({"isSidechain":"true","cwd":"/new","type":"summary"})"},
         [](const FileState& s) { EXPECT_EQ(s.cwd, "/new"); }},
        {"HEAD and empty branch keep the named branch",
         {R"({"gitBranch":"feat/x","type":"x"})", R"({"gitBranch":"HEAD","type":"x"})",
          R"({"gitBranch":"","cwd":"","type":"x"})"},
         [](const FileState& s) {
             EXPECT_EQ(s.branch, "feat/x");
             EXPECT_FALSE(s.cwd);
         }},
        {"wrong-typed cwd, branch and type count as absent",
         {R"({"cwd":42,"gitBranch":["main"],"type":7,"message":{"content":"hi"}})"},
         [](const FileState& s) {
             EXPECT_FALSE(s.cwd);
             EXPECT_FALSE(s.branch);
             EXPECT_EQ(s.lastKind, LineKind::none);
         }},
        {"other line types only update cwd and branch",
         {R"({"type":"summary","cwd":"/a","gitBranch":"b","message":{"content":"x"}})",
          R"({"type":"User","message":{"content":"x"}})"},
         [](const FileState& s) {
             EXPECT_EQ(s.cwd, "/a");
             EXPECT_EQ(s.branch, "b");
             EXPECT_EQ(s.lastKind, LineKind::none);
             EXPECT_TRUE(s.promptTimes.empty());
         }},
    });
}

TEST(LineClassifier, UserLines) {
    auto withCombo = [](FileState& s) { s.combo = 5; };
    runRows(
        {
            {"interrupted string keeps the combo",
             {user(R"("[Request interrupted by user for tool use] and more")")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::interrupted);
                 EXPECT_EQ(s.combo, 5);
                 EXPECT_TRUE(s.promptTimes.empty());
             }},
            {"tool_result among blocks wins over text",
             {user(R"([{"type":"text","text":"hello"},{"type":"tool_result","content":"x"}])")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::toolResult);
                 EXPECT_EQ(s.combo, 5);
             }},
            {"toolUseResult key (even null) makes a tool result, no prompt",
             {user(R"("please do it")", R"(,"toolUseResult":null)")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::toolResult);
                 EXPECT_EQ(s.combo, 5);
                 EXPECT_TRUE(s.promptTimes.empty());
             }},
            {"command noise clears the combo but is no prompt",
             {user(R"("  \n<command-name>/clear</command-name>")")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::userText);
                 EXPECT_EQ(s.combo, 0);
                 EXPECT_TRUE(s.promptTimes.empty());
             }},
            {"prompt without timestamp is recorded now",
             {user(R"("fix it")")},
             [](const FileState& s) {
                 ASSERT_EQ(s.promptTimes.size(), 1u);
                 EXPECT_EQ(s.promptTimes[0], kNow);
                 EXPECT_EQ(s.powerUpAt, kNow);
                 EXPECT_EQ(s.combo, 0);
             }},
            {"whole-second and millisecond timestamps are exact",
             {user(R"("one")", R"(,"timestamp":"2025-01-31T09:15:42Z")"),
              user(R"("two")", R"(,"timestamp":"2025-01-31T09:16:42.125Z")")},
             [](const FileState& s) {
                 ASSERT_EQ(s.promptTimes.size(), 2u);
                 EXPECT_EQ(toUnixSeconds(s.promptTimes[0]), 1738314942.0);
                 EXPECT_EQ(toUnixSeconds(s.promptTimes[1]), 1738315002.125);
             }},
            {"unparseable or mistyped timestamp falls back to now",
             {user(R"("a")", R"(,"timestamp":"2025-02-30T00:00:00Z")")},
             [](const FileState& s) { EXPECT_EQ(s.promptTimes.at(0), kNow); }},
            {"first text block decides; text of wrong type is userText without prompt",
             {user(R"([{"type":"image"},{"type":"text","text":7},{"type":"text","text":"later"}])")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::userText);
                 EXPECT_EQ(s.combo, 0);
                 EXPECT_TRUE(s.promptTimes.empty());
             }},
            {"interrupted text block",
             {user(R"([{"type":"text","text":"[Request interrupted by user]"}])")},
             [](const FileState& s) { EXPECT_EQ(s.lastKind, LineKind::interrupted); }},
            {"non-object element disqualifies the whole array",
             {user(R"([{"type":"tool_result"},"stray"])")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::none);
                 EXPECT_EQ(s.combo, 5);
             }},
            {"blocks without string type are skipped",
             {user(R"([{"type":3},{"kind":"text"}])")},
             [](const FileState& s) { EXPECT_EQ(s.lastKind, LineKind::none); }},
            {"message not an object, or content missing: no kind",
             {R"({"type":"user","message":"hello"})", R"({"type":"user","message":{"role":"user"}})",
              user("12")},
             [](const FileState& s) {
                 EXPECT_EQ(s.lastKind, LineKind::none);
                 EXPECT_EQ(s.combo, 5);
             }},
        },
        withCombo);
}

TEST(LineClassifier, AssistantLines) {
    runRows({
        {"two tool calls and text add two to the combo",
         {assistant(R"([{"type":"tool_use"},{"type":"text","text":"x"},{"type":"tool_use"}])")},
         [](const FileState& s) {
             EXPECT_EQ(s.lastKind, LineKind::assistantToolUse);
             EXPECT_EQ(s.combo, 2);
             EXPECT_TRUE(s.seenAssistant);
         }},
        {"combo accumulates across lines until user text",
         {kToolUse, user(R"([{"type":"tool_result"}])"), kToolUse, kToolUse},
         [](const FileState& s) { EXPECT_EQ(s.combo, 3); }},
        {"user text resets the combo",
         {kToolUse, kToolUse, user(R"("next")"), kToolUse},
         [](const FileState& s) { EXPECT_EQ(s.combo, 1); }},
        {"redacted thinking alone",
         {assistant(R"([{"type":"redacted_thinking","data":"x"}])")},
         [](const FileState& s) { EXPECT_EQ(s.lastKind, LineKind::assistantThinking); }},
        {"text beats thinking",
         {assistant(R"([{"type":"thinking"},{"type":"text"}])")},
         [](const FileState& s) { EXPECT_EQ(s.lastKind, LineKind::assistantText); }},
        {"no content: seenAssistant, lastKind unchanged",
         {kToolUse, R"({"type":"assistant","message":{"role":"assistant"}})"},
         [](const FileState& s) {
             EXPECT_TRUE(s.seenAssistant);
             EXPECT_EQ(s.lastKind, LineKind::assistantToolUse);
         }},
        {"string content counts as no blocks",
         {assistant(R"("plain")")},
         [](const FileState& s) {
             EXPECT_TRUE(s.seenAssistant);
             EXPECT_EQ(s.lastKind, LineKind::none);
         }},
        {"message not an object: not even seenAssistant",
         {R"({"type":"assistant","message":[1]})"},
         [](const FileState& s) { EXPECT_FALSE(s.seenAssistant); }},
    });
}

TEST(LineClassifier, LastPromptRecords) {
    auto lp = [](const char* t) { return std::string(R"({"type":"last-prompt","lastPrompt":")") + t + "\"}"; };
    runRows({
        {"first only stores the text", {lp("a")},
         [](const FileState& s) {
             EXPECT_EQ(s.lastPromptText, "a");
             EXPECT_TRUE(s.promptTimes.empty());
         }},
        {"a different text records a prompt now", {lp("a"), lp("b")},
         [](const FileState& s) {
             ASSERT_EQ(s.promptTimes.size(), 1u);
             EXPECT_EQ(s.powerUpAt, kNow);
         }},
        {"the same text records nothing", {lp("a"), lp("a")},
         [](const FileState& s) { EXPECT_TRUE(s.promptTimes.empty()); }},
        {"non-string text is ignored", {lp("a"), R"({"type":"last-prompt","lastPrompt":5})"},
         [](const FileState& s) { EXPECT_EQ(s.lastPromptText, "a"); }},
    });
    FileState boot(kNow);
    boot.bootstrapping = true;
    parseLine(lp("a"), boot, kNow);
    parseLine(lp("b"), boot, kNow);
    EXPECT_TRUE(boot.promptTimes.empty()) << "no prompt from last-prompt changes while bootstrapping";
    EXPECT_EQ(boot.lastPromptText, "b");
}

TEST(LineClassifier, BadInputLeavesStateUntouched) {
    fray::test::TranscriptGenerator gen(7);
    const std::string good = gen.userPrompt(kNow, "x") ;
    std::vector<std::string> bad = {
        "", "{", "[]", "\"str\"", "42", "null",
        good.substr(0, good.size() - 1),                    // truncated
        good + "{}",                                        // trailing garbage
        good + "\n" + good,                                 // two objects
        R"({"type":"user","message":{"content":"caf)" "\xC3\x28" R"("}})", // invalid UTF-8
        std::string("{\"type\":\"user\",\0\"message\":1}", 30),
        std::string(2000, '['),                             // deep nesting
    };
    // Random bytes and random slices of a real line.
    std::mt19937_64 rng(99);
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 200, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        bad.push_back(s);
        bad.push_back(good.substr(0, rng() % good.size()));
    }
    for (const auto& line : bad) {
        FileState st(kNow);
        st.cwd = "/keep";
        st.combo = 4;
        auto before = snapshot(st);
        parseLine(line, st, kNow);
        EXPECT_EQ(snapshot(st), before) << "line: " << line.substr(0, 80);
    }
}

TEST(LineClassifier, HugeLines) {
    fray::test::TranscriptGenerator gen(3);
    FileState st(kNow);
    st.combo = 2;
    auto big = gen.toolResult(10u << 20); // about 10 MB of escaped output
    ASSERT_GT(big.size(), 10'000'000u);
    parseLine(big, st, kNow);
    EXPECT_EQ(st.lastKind, LineKind::toolResult);
    EXPECT_EQ(st.combo, 2);

    // The same line cut short in the middle of its payload changes nothing.
    FileState cut(kNow);
    parseLine(std::string_view(big).substr(0, big.size() / 2), cut, kNow);
    EXPECT_EQ(cut.lastKind, LineKind::none);

    // A small line still parses after the parser was inflated.
    parseLine(user(R"("after")"), st, kNow);
    EXPECT_EQ(st.lastKind, LineKind::userText);
}

TEST(CommandNoise, Prefixes) {
    EXPECT_TRUE(isCommandNoise(" \n\t<local-command-stdout>x"));
    EXPECT_TRUE(isCommandNoise("<system-reminder>"));
    EXPECT_TRUE(isCommandNoise("Caveat: the messages below"));
    EXPECT_FALSE(isCommandNoise("caveat: lower case"));
    EXPECT_FALSE(isCommandNoise("please <command-name>"));
    EXPECT_FALSE(isCommandNoise(""));
}
