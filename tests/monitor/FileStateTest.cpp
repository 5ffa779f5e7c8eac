#include "monitor/FileState.h"
#include "monitor/Tuning.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {
const Instant T0 = fromUnixSeconds(1767225600.0);
constexpr auto absent = std::nullopt;
} // namespace

TEST(FileStateDerive, TableAtEveryBoundary) {
    using S = SessionStatus;
    struct Row {
        const char* name;
        LineKind kind;
        bool seenAssistant;
        double idle, age;
        std::optional<S> expect;
    } rows[] = {
        {"none, young", LineKind::none, false, 0, 10, S::started},
        {"none, 44.9 s", LineKind::none, false, 0, 44.9, S::started},
        {"none, exactly 45 s", LineKind::none, false, 0, 45, absent},
        {"user text, unanswered, young", LineKind::userText, false, 5, 30, S::started},
        {"tool result, unanswered, 45 s old", LineKind::toolResult, false, 5, 45, S::working},
        {"thinking, answered, young", LineKind::assistantThinking, true, 5, 10, S::working},
        {"user text, idle 480", LineKind::userText, true, 480, 1000, S::working},
        {"user text, idle 480.5", LineKind::userText, true, 480.5, 1000, S::completed},
        {"user text, idle 5 min", LineKind::userText, true, 300, 1000, S::working},
        {"user text, idle 9 min", LineKind::userText, true, 540, 1000, S::completed},
        {"user text, idle 720", LineKind::userText, true, 720, 1000, S::completed},
        {"user text, idle 720.5", LineKind::userText, true, 720.5, 1000, absent},
        {"tool use, idle 19 s", LineKind::assistantToolUse, true, 19, 1000, S::working},
        {"tool use, idle = delay", LineKind::assistantToolUse, true, 20, 1000, S::working},
        {"tool use, idle 21 s", LineKind::assistantToolUse, true, 21, 1000, S::needsAction},
        {"tool use, idle 40 min", LineKind::assistantToolUse, true, 2400, 9000, S::needsAction},
        {"tool use, idle 2700", LineKind::assistantToolUse, true, 2700, 9000, S::needsAction},
        {"tool use, idle 2700.5", LineKind::assistantToolUse, true, 2700.5, 9000, absent},
        {"tool use, idle 46 min", LineKind::assistantToolUse, true, 2760, 9000, absent},
        {"text, idle 11 min", LineKind::assistantText, true, 660, 1000, S::completed},
        {"text, idle 13 min", LineKind::assistantText, true, 780, 1000, absent},
        {"interrupted, idle 0", LineKind::interrupted, false, 0, 1, S::completed},
        {"text, young file", LineKind::assistantText, true, 0, 1, S::completed},
    };
    for (const auto& r : rows) {
        FileState st(T0 - r.age);
        st.lastKind = r.kind;
        st.seenAssistant = r.seenAssistant;
        st.mtime = T0 - r.idle;
        EXPECT_EQ(st.derive(T0, 20.0), r.expect) << r.name;
        EXPECT_EQ(st.lastStatus, r.expect) << r.name;
    }
}

TEST(FileStateDerive, StateSinceMovesOnlyOnChange) {
    FileState st(T0 - 1000);
    st.lastKind = LineKind::assistantToolUse;
    st.seenAssistant = true;
    st.mtime = T0;
    EXPECT_EQ(st.derive(T0 + 5, 20), SessionStatus::working);
    EXPECT_EQ(st.stateSince, T0 + 5);
    EXPECT_EQ(st.derive(T0 + 10, 20), SessionStatus::working);
    EXPECT_EQ(st.stateSince, T0 + 5) << "same status keeps stateSince";
    EXPECT_EQ(st.derive(T0 + 21, 20), SessionStatus::needsAction);
    EXPECT_EQ(st.stateSince, T0 + 21) << "first derivation that saw needsAction";
    EXPECT_EQ(st.derive(T0 + 30, 20), SessionStatus::needsAction);
    EXPECT_EQ(st.stateSince, T0 + 21);

    // Absent does not touch stateSince; reappearing starts afresh.
    EXPECT_FALSE(st.derive(T0 + 2701, 20));
    EXPECT_EQ(st.stateSince, T0 + 21);
    st.mtime = T0 + 2800;
    EXPECT_EQ(st.derive(T0 + 2805, 20), SessionStatus::working);
    EXPECT_EQ(st.stateSince, T0 + 2805);
}

TEST(Stamina, Examples) {
    struct Row {
        std::vector<double> agos; // seconds before now, oldest first
        double expect;
    } rows[] = {
        {{}, 0.5},
        {{0}, 0.70},
        {{60, 0}, 0.86},
        {{120, 60, 0}, 1.0},
        {{500, 450, 420}, 0.36},
        {{60}, 0.60},
        {{1200}, 0.04},
        {{3600}, 0.02},
        {{-30}, 0.70}, // a prompt in the future counts and idles 0
    };
    for (const auto& r : rows) {
        std::vector<Instant> times;
        for (double a : r.agos) times.push_back(T0 - a);
        EXPECT_DOUBLE_EQ(staminaValue(times, T0), r.expect) << "prompts: " << r.agos.size();
    }
}

TEST(NotePrompt, DeduplicatesCapsAndPowersUp) {
    FileState st(T0);
    st.notePrompt(T0);
    st.notePrompt(T0 + 2.5);
    EXPECT_EQ(st.promptTimes.size(), 1u) << "2.5 s apart is one prompt";
    st.notePrompt(T0 + 3.5);
    EXPECT_EQ(st.promptTimes.size(), 2u);
    st.notePrompt(T0 + 1.0);
    EXPECT_EQ(st.promptTimes.size(), 2u) << "within 3 s of the last, even backwards";
    EXPECT_EQ(st.powerUpAt, T0 + 3.5);

    FileState many(T0);
    for (int i = 40; i >= 1; --i) many.notePrompt(T0 + 10.0 * i - (i % 2 ? 400 : 0));
    ASSERT_EQ(many.promptTimes.size(), 32u);
    EXPECT_TRUE(std::is_sorted(many.promptTimes.begin(), many.promptTimes.end()));

    FileState forty(T0);
    for (int i = 0; i < 40; ++i) forty.notePrompt(T0 + 10.0 * i);
    ASSERT_EQ(forty.promptTimes.size(), 32u);
    EXPECT_EQ(forty.promptTimes.front(), T0 + 80.0) << "the 32 latest remain";
    EXPECT_EQ(forty.promptTimes.back(), T0 + 390.0);

    FileState boot(T0);
    boot.bootstrapping = true;
    boot.notePrompt(T0);
    EXPECT_EQ(boot.promptTimes.size(), 1u);
    EXPECT_FALSE(boot.powerUpAt);
}

TEST(FileState, SoftResetKeepsIdentityForgetsContent) {
    FileState st(T0 - 50);
    st.size = 999;
    st.leftover = "partial";
    st.initialized = true;
    st.lastKind = LineKind::assistantText;
    st.seenAssistant = true;
    st.combo = 7;
    st.cwd = "/a";
    st.branch = "b";
    st.lastStatus = SessionStatus::completed;
    st.lastPromptText = "p";
    st.promptTimes = {T0};
    st.powerUpAt = T0;
    st.mtime = T0;
    st.softReset();
    EXPECT_EQ(st.size, 0u);
    EXPECT_TRUE(st.leftover.empty());
    EXPECT_FALSE(st.initialized || st.seenAssistant || st.lastPromptText);
    EXPECT_EQ(st.lastKind, LineKind::none);
    EXPECT_EQ(st.combo, 0);
    EXPECT_TRUE(st.promptTimes.empty());
    EXPECT_EQ(st.cwd, "/a");
    EXPECT_EQ(st.branch, "b");
    EXPECT_EQ(st.lastStatus, SessionStatus::completed);
    EXPECT_EQ(st.powerUpAt, T0);
    EXPECT_EQ(st.created, T0 - 50);
}
