#include "monitor/LineClassifier.h"
#include "session/Timestamp.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <random>

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
const std::string kToolUse = assistant(R"([{"type":"tool_use"}])");

// Everything a classified line may change, comparable in one assertion.
auto snapshot(const FileState& s) {
    return std::make_tuple(s.cwd, s.branch, static_cast<int>(s.lastKind), s.seenAssistant, s.combo,
                           s.lastPromptText, s.promptTimes.size(), s.powerUpAt.has_value());
}

// What a row expects; rows name only what differs from the start state.
struct Want {
    LineKind kind = LineKind::none;
    std::int64_t combo = 5; // the combo each row starts with
    std::size_t prompts = 0;
    bool power = false; // powered up
    bool seen = false;  // seenAssistant
    std::optional<std::string> cwd = {}, branch = {}, lastPrompt = {};
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
        {"isSidechain of another type is no sidechain",
         {R"({"isSidechain":"true","cwd":"/new","type":"summary"})"}, {.cwd = "/new"}},
        {"HEAD and an empty branch keep the named one; an empty cwd is ignored",
         {R"({"gitBranch":"feat/x","type":"x"})", R"({"gitBranch":"HEAD","cwd":"","type":"x"})"},
         {.branch = "feat/x"}},
        {"wrong-typed cwd, branch and type count as absent",
         {R"({"cwd":42,"gitBranch":["main"],"type":7,"message":{"content":"hi"}})"}, {}},
        {"other types, and a type of the wrong case, update only cwd and branch",
         {R"({"type":"summary","cwd":"/a","gitBranch":"b"})", R"({"type":"User","message":{"content":"x"}})"},
         {.cwd = "/a", .branch = "b"}},
        // User lines.
        {"a prompt clears the combo and powers up", {user(R"("fix")")},
         {.kind = K::userText, .combo = 0, .prompts = 1, .power = true}},
        {"a prompt while bootstrapping does not power up", {user(R"("fix")")},
         {.kind = K::userText, .combo = 0, .prompts = 1}, true},
        {"an interrupted string keeps the combo", {user(R"("[Request interrupted by user] and more")")},
         {.kind = K::interrupted}},
        {"an interrupted text block", {user(R"([{"type":"text","text":"[Request interrupted by user]"}])")},
         {.kind = K::interrupted}},
        {"tool_result among the blocks wins over text",
         {user(R"([{"type":"text","text":"hello"},{"type":"tool_result","content":"x"}])")}, {.kind = K::toolResult}},
        {"a toolUseResult key, even null, makes a tool result", {user(R"("do it")", R"(,"toolUseResult":null)")},
         {.kind = K::toolResult}},
        {"command noise clears the combo but is no prompt", {user(R"("  \n<command-name>/clear</command-name>")")},
         {.kind = K::userText, .combo = 0}},
        {"the first text block decides; a mistyped text is no prompt",
         {user(R"([{"type":"image"},{"type":"text","text":7},{"type":"text","text":"later"}])")},
         {.kind = K::userText, .combo = 0}},
        {"a non-object element disqualifies the whole array", {user(R"([{"type":"tool_result"},"stray"])")}, {}},
        {"blocks without a string type are skipped", {user(R"([{"type":3},{"kind":"text"}])")}, {}},
        {"message not an object, content missing or a number",
         {R"({"type":"user","message":"hello"})", R"({"type":"user","message":{"role":"user"}})", user("12")}, {}},
        // Assistant lines.
        {"two tool calls and text add two",
         {assistant(R"([{"type":"tool_use"},{"type":"text","text":"x"},{"type":"tool_use"}])")},
         {.kind = K::assistantToolUse, .combo = 7, .seen = true}},
        {"the combo carries across tool results", {kToolUse, user(R"([{"type":"tool_result"}])"), kToolUse},
         {.kind = K::assistantToolUse, .combo = 7, .seen = true}},
        {"user text resets the combo", {kToolUse, user(R"("next")"), kToolUse},
         {.kind = K::assistantToolUse, .combo = 1, .prompts = 1, .power = true, .seen = true}},
        {"redacted thinking alone", {assistant(R"([{"type":"redacted_thinking"}])")},
         {.kind = K::assistantThinking, .seen = true}},
        {"text beats thinking", {assistant(R"([{"type":"thinking"},{"type":"text"}])")},
         {.kind = K::assistantText, .seen = true}},
        {"no content keeps the last kind", {kToolUse, R"({"type":"assistant","message":{"role":"assistant"}})"},
         {.kind = K::assistantToolUse, .combo = 6, .seen = true}},
        {"string content counts as no blocks", {assistant(R"("plain")")}, {.seen = true}},
        {"message not an object: not even seenAssistant", {R"({"type":"assistant","message":[1]})"}, {}},
        // Last-prompt records.
        {"the first only stores its text", {lastPrompt("a")}, {.lastPrompt = "a"}},
        {"a different text is a live prompt", {lastPrompt("a"), lastPrompt("b")},
         {.prompts = 1, .power = true, .lastPrompt = "b"}},
        {"a different text while bootstrapping is none", {lastPrompt("a"), lastPrompt("b")}, {.lastPrompt = "b"},
         true},
        {"the same text again, or a non-string one, records nothing",
         {lastPrompt("a"), lastPrompt("a"), R"({"type":"last-prompt","lastPrompt":5})"}, {.lastPrompt = "a"}},
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

TEST(LineClassifier, BadInputLeavesStateUntouched) {
    const std::string good = fray::test::TranscriptGenerator(7).userPrompt(kNow, "x");
    std::vector<std::string> bad = {
        "",
        "{",
        "[]",
        "\"str\"",
        "42",
        "null",
        good.substr(0, good.size() - 1),                                 // truncated
        good + "{}",                                                     // trailing garbage
        good + "\n" + good,                                              // two objects
        "{\"type\":\"user\",\"message\":{\"content\":\"caf\xC3\x28\"}}", // invalid UTF-8
        std::string("{\"type\":\"user\",\0\"message\":1}", 30),
        std::string(2000, '['), // deep nesting
    };
    // Random bytes and random slices of a real line.
    std::mt19937_64 rng(99);
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 200, '\0');
        for (char& c : s)
            c = static_cast<char>(rng());
        bad.push_back(s);
        bad.push_back(good.substr(0, rng() % good.size()));
    }
    for (const auto& line : bad) {
        FileState st(kNow);
        st.cwd = "/keep";
        st.combo = 4;
        const auto before = snapshot(st);
        parseLine(line, st, kNow);
        EXPECT_EQ(snapshot(st), before) << "line: " << line.substr(0, 80);
    }
}

TEST(LineClassifier, TenMegabyteLineWholeOrCut) {
    const auto big = fray::test::TranscriptGenerator(3).toolResult(10u << 20);
    ASSERT_GT(big.size(), 10'000'000u);
    FileState st(kNow), cut(kNow);
    parseLine(big, st, kNow);
    EXPECT_EQ(st.lastKind, LineKind::toolResult);
    parseLine(std::string_view(big).substr(0, big.size() / 2), cut, kNow);
    EXPECT_EQ(cut.lastKind, LineKind::none);
    parseLine(user(R"("after")"), st, kNow); // the parser still works once inflated
    EXPECT_EQ(st.lastKind, LineKind::userText);
}

TEST(CommandNoise, Prefixes) {
    for (const char* noise : {" \n\t<local-command-stdout>x", "<system-reminder>", "Caveat: the messages"})
        EXPECT_TRUE(isCommandNoise(noise)) << noise;
    for (const char* prompt : {"caveat: lower case", "please <command-name>", ""})
        EXPECT_FALSE(isCommandNoise(prompt)) << prompt;
}

TEST(ParseTimestamp, Rfc3339FormsAndImpossibleDates) {
    for (auto [text, unix] : {std::pair{"2025-01-31T09:15:42Z", 1738314942.0},
                              {"2025-01-31T09:15:42.123Z", 1738314942.123},
                              {"2025-01-31T11:15:42+02:00", 1738314942.0},
                              {"2025-01-31T04:45:42.250-04:30", 1738314942.25},
                              {"2024-02-29T00:00:00Z", 1709164800.0}}) {
        auto t = parseTimestamp(text);
        ASSERT_TRUE(t) << text;
        EXPECT_NEAR(toUnixSeconds(*t), unix, 1e-6) << text;
    }
    // Impossible dates and times (no leap second either), then malformed text: no zone, a
    // space for T, an empty fraction, offsets without a colon or out of range, trailing
    // junk, a one-digit month.
    for (const char* bad :
         {"2025-02-30T00:00:00Z", "2023-02-29T00:00:00Z", "2025-01-31T24:00:00Z", "2025-01-31T09:60:00Z",
          "2025-01-31T09:15:60Z", "2025-13-01T00:00:00Z", "2025-00-10T00:00:00Z", "2025-01-31T09:15:42",
          "2025-01-31 09:15:42Z", "2025-01-31T09:15:42.Z", "2025-01-31T09:15:42+0200",
          "2025-01-31T09:15:42+24:00", "2025-01-31T09:15:42Zjunk", "2025-1-31T09:15:42Z", ""})
        EXPECT_FALSE(parseTimestamp(bad)) << bad;
}
