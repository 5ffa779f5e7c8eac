// The resume script: the ids it accepts, and the script run for real under bash against a
// fake `claude` that records how it was called. (The zsh variant is the same template with
// that shell's words for its prompt and login shell.)
#include "integration/ResumeScript.h"
#include "platform/AtomicFile.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using namespace fray::test;
namespace RS = ResumeScript;

namespace {
const std::string uuid = "0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f";
}

TEST(ResumeScript, OnlyPlainIdsAreResumed) {
    for (const char* ok : {"0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f", "agent-1.2:3_x", "A"})
        EXPECT_TRUE(RS::isSafeId(ok)) << ok;
    for (const char* bad : {"", "it's", "$(touch pwned)", "`id`", "a b", "a\nb", "a\"b", "a;b", "a/b",
                            "\xff\xfe", "caf\xc3\xa9"})
        EXPECT_FALSE(RS::isSafeId(bad)) << bad;

    const std::pair<std::string, std::optional<std::string>> rollouts[] = {
        {"/h/.codex/sessions/2025/01/22/rollout-2025-01-22T10-30-00-" + uuid + ".jsonl", uuid},
        {"rollout-2025-01-22T10-30-00-0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6.jsonl",
         std::nullopt}, // 35 characters
        {"rollout-x-0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6g.jsonl", std::nullopt},
        {"short.jsonl", std::nullopt},
    };
    for (const auto& [path, expect] : rollouts)
        EXPECT_EQ(RS::codexSessionId(path), expect) << path;
}

// The bash script under bash, with `cd` into a folder whose name holds every shell
// metacharacter. The fake claude writes its folder and arguments to a file.
TEST(ResumeScript, BashScriptRunsTheToolInTheFolder) {
    TempDir home;
    const std::string weird = "it's $(touch PWNED) `id` \"q\" \\ new\nline \xff\xfe";
    const auto cwd = home.mkdir("p/" + weird);
    const std::string record = (home.path() / "record").string();
    const std::string fake = "#!/bin/sh\n{ pwd; printf '[%s]' \"$0\" \"$@\"; } > '" + record + "'\n";
    auto env = isolatedEnv(home.str());
    env["TERM"] = "dumb";
    const std::string script = (home.path() / "resume.sh").string();
    ASSERT_EQ(writeFileAtomically(
                  script, RS::text(RS::Shell::bash, {"claude", "--resume", uuid}, cwd.string()), 0755),
              0);

    // The fake claude put at `where`: the script finds it and runs it in the folder.
    auto runsTheFakeAt = [&](const std::string& where) {
        SCOPED_TRACE(where);
        std::filesystem::permissions(home.write(where, fake), std::filesystem::perms::owner_all);
        auto got = runProcess("/bin/bash", {script}, env);
        EXPECT_EQ(got.exitCode, 0) << got.err;
        EXPECT_EQ(readFile(record),
                  cwd.string() + "\n[" + home.str() + "/" + where + "][--resume][" + uuid + "]");
    };
    runsTheFakeAt(".local/bin/claude"); // the fixed location first
    std::filesystem::remove(home.path() / ".local/bin/claude");
    home.write(".profile", "PATH=\"$HOME/bin:$PATH\"\n");
    runsTheFakeAt("bin/claude"); // else the login shell's PATH
    EXPECT_FALSE(std::filesystem::exists(cwd / "PWNED"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "p/PWNED"));

    // The folder is gone: the script says so and runs nothing.
    std::filesystem::remove(record);
    std::filesystem::remove_all(home.path() / "p");
    auto gone = runProcess("/bin/bash", {script}, env);
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.out.find("Project folder is gone."), std::string::npos) << gone.out;
    EXPECT_FALSE(std::filesystem::exists(record));
}
