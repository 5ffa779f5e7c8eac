#include "monitor/FileState.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {
const Instant T0 = fromUnixSeconds(1767225600.0);
constexpr auto absent = std::nullopt;
} // namespace

TEST(FileStateDerive, TableAtEveryBoundary) {
    using S = SessionStatus;
    using K = LineKind;
    struct Row {
        const char* name;
        LineKind kind;
        bool seenAssistant;
        double idle, age;
        std::optional<S> expect;
    } rows[] = {
        // clang-format off
        {"nothing yet, 44.9 s old", K::none, false, 0, 44.9, S::started},
        {"nothing yet, 45 s old", K::none, false, 0, 45, absent},
        {"user text, unanswered, 44.9 s old", K::userText, false, 5, 44.9, S::started},
        {"tool result, unanswered, 45 s old", K::toolResult, false, 5, 45, S::working},
        {"thinking, answered, young", K::assistantThinking, true, 5, 10, S::working},
        {"user text: busy", K::userText, true, 400, 1000, S::working},
        {"interrupted: finished, even unanswered and young", K::interrupted, false, 0, 1, S::completed},
        {"beyond the candidate window", K::userText, true, 2700.5, 9000, absent},
        // clang-format on
    };
    for (const auto& r : rows) {
        FileState st(T0 - r.age);
        st.lastKind = r.kind;
        st.seenAssistant = r.seenAssistant;
        st.lastActivity = T0 - r.idle;
        EXPECT_EQ(st.derive(T0, 20.0), r.expect) << r.name;
    }
}

TEST(FileStateDerive, StateSinceMovesOnlyOnChange) {
    FileState st(T0 - 1000);
    st.lastKind = LineKind::assistantToolUse;
    st.seenAssistant = true;
    st.lastActivity = T0;
    // A change moves stateSince (the same status kept leaves it, as the monitor's re-read
    // test shows); absent leaves it too, and a status after an absence starts afresh.
    for (auto [at, status, since] : {std::tuple{5.0, std::optional(SessionStatus::working), 5.0},
                                     {21.0, SessionStatus::needsAction, 21.0},
                                     {2701.0, absent, 21.0},
                                     {2705.0, SessionStatus::working, 2705.0}}) {
        if (at == 2705.0) st.lastActivity = T0 + 2700;
        EXPECT_EQ(st.derive(T0 + at, 20), status) << at;
        EXPECT_EQ(st.stateSince, T0 + since) << at;
    }
}

TEST(NotePrompt, DeduplicatesWithinThreeSecondsAndKeepsThe32Latest) {
    FileState st(T0);
    for (double at : {0.0, 2.5, 3.5, 1.0})
        st.notePrompt(T0 + at); // 2.5 and 1.0 are within 3 s of the last
    EXPECT_EQ(st.promptTimes, (std::vector<Instant>{T0, T0 + 3.5}));
    EXPECT_EQ(st.powerUpAt, T0 + 3.5);

    for (int i = 40; i >= 0; --i)
        st.notePrompt(T0 + 100.0 + 10.0 * i); // latest first: they must be sorted; an odd excess
    ASSERT_EQ(st.promptTimes.size(), 32u);
    EXPECT_EQ(st.promptTimes.front(), T0 + 190.0);
    EXPECT_EQ(st.promptTimes.back(), T0 + 500.0);
}

// The repository root, else the first non-generic name, else the transcript's directory
// name cut to its last 28 characters.
TEST(ProjectLabel, FromRealDirectoriesOrTheTranscriptPath) {
    fray::test::TempDir tmp;
    for (const char* d : {"repo/.git", "repo/packages/web", "plain/proj/SRC/Build", "wt/docs"})
        tmp.mkdir(d);
    tmp.write("wt/.git", "gitdir: elsewhere\n"); // worktrees have a .git file
    const std::string t = tmp.str();
    for (auto [cwd, dir, label] : {
             std::tuple{std::optional(t + "/repo/packages/web"), std::string("-p"), std::string("repo")},
             {t + "/wt/docs", "-p", "wt"},
             {t + "/plain/proj/SRC/Build", "-p", "proj"},
             {"/", "-srv-app-", "srv-app"},
             {absent, "-home-dev-code-an-exceedingly-long-project-name-", "xceedingly-long-project-name"},
         }) {
        FileState st;
        st.cwd = cwd;
        EXPECT_EQ(st.projectLabel("/h/.claude/projects/" + dir + "/a.jsonl", *posixFileAccess()), label)
            << cwd.value_or(dir);
    }
}
