#include "monitor/FileState.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

namespace {
std::string label(std::optional<std::string> cwd, const std::string& path = "/h/.claude/projects/-p/s.jsonl") {
    FileState st;
    st.cwd = std::move(cwd);
    return st.projectLabel(path);
}
} // namespace

TEST(ProjectLabel, TranscriptPathFallback) {
    EXPECT_EQ(label(std::nullopt, "/h/.claude/projects/-Users-x-my-project/a.jsonl"), "Users-x-my-project");
    EXPECT_EQ(label("/", "/h/.claude/projects/-srv-app-/a.jsonl"), "srv-app");
    EXPECT_EQ(label("", "/h/p/--x--/a.jsonl"), "x");
    std::string forty = "-home-someone-code-a-rather-long-project";
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(label(std::nullopt, "/h/" + forty + "/a.jsonl"), forty.substr(12));
    // 28 characters, counted in code points: "é" is two bytes and is never split.
    std::string accented = "-home-" + std::string(20, 'x') + "\xC3\xA9\xC3\xA9" + "-proj"; // 32 code points
    auto got = label(std::nullopt, "/h/" + accented + "/a.jsonl");
    EXPECT_EQ(got, "-" + std::string(20, 'x') + "\xC3\xA9\xC3\xA9" + "-proj"); // trimmed, then cut
}

TEST(ProjectLabel, RepositoryRootAndGenericNames) {
    TempDir tmp;
    auto root = tmp.mkdir("monorepo");
    tmp.mkdir("monorepo/.git");
    tmp.mkdir("monorepo/packages/web");
    tmp.mkdir("plain/proj/src");
    tmp.mkdir("plain/proj/SRC/Build");
    tmp.write("filegit/.git", "gitdir: elsewhere\n"); // worktrees use a .git file
    tmp.mkdir("filegit/lib");

    EXPECT_EQ(label((tmp / "monorepo/packages/web").string()), "monorepo");
    EXPECT_EQ(label((tmp / "monorepo").string() + "/"), "monorepo");
    EXPECT_EQ(label((tmp / "filegit/lib").string()), "filegit");
    EXPECT_EQ(label((tmp / "plain/proj/src").string()), "proj");
    EXPECT_EQ(label((tmp / "plain/proj/SRC/Build").string()), "proj");
    // Four generic levels in a row: the search gives up and keeps the last component.
    tmp.mkdir("plain/src/lib/app/bin");
    EXPECT_EQ(label((tmp / "plain/src/lib/app/bin").string()), "bin");
    // A directory that does not exist is labelled by name alone.
    EXPECT_EQ(label("/nonexistent/thing/tests"), "thing");
    EXPECT_EQ(label("/src"), "src");
}
