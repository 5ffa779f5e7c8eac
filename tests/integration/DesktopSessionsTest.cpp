// The desktop app's session files: where they must sit, what they must say, and what
// a click takes from them.
#include "integration/DesktopSessions.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace fray;
using namespace fray::test;
using DesktopSessions::Match;

namespace {

const std::string cli = "0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f";
const std::string compact = "{\"cliSessionId\":\"" + cli + "\"";

} // namespace

TEST(DesktopSessions, WhichFileMatchesAndWhatItGives) {
    const std::string ok = "a/b/local_1.json"; // two folders deep, as the app keeps them
    struct Row {
        const char* name;
        std::string relPath;
        std::string content;
        std::optional<Match> expect;
    } rows[] = {
        // clang-format off
        {"the title, and the last non-empty bridge id", ok,
         compact + R"(,"title":"Fix login","bridgeSessionIds":["b1","b2","b3",""]})", Match{"b3", "Fix login"}},
        {"empty array falls back to the single id", ok,
         compact + R"(,"bridgeSessionIds":[],"bridgeSessionId":"solo","title":""})", Match{"solo", ""}},
        {"one level too shallow", "a/local_1.json", compact + "}", std::nullopt},
        {"one level too deep", "a/b/c/local_1.json", compact + "}", std::nullopt},
        {"no local_ prefix", "a/b/remote_1.json", compact + "}", std::nullopt},
        {"the needle in the title, another session's id", ok,
         R"({"cliSessionId":"other","title":"see \"cliSessionId\":\")" + cli + R"(\""})", std::nullopt},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TempDir dir;
        dir.write(r.relPath, r.content);
        EXPECT_EQ(DesktopSessions::find(*posixFileAccess(), dir.str(), cli), r.expect);
    }
}

TEST(DesktopSessions, HostileTreesAndFiles) {
    TempDir dir;
    // A file bigger than any session record is never read, needle or not.
    {
        std::ofstream big(dir.mkdir("a/b") / "local_big.json");
        big << compact << R"(,"title":")" << std::string(DesktopSessions::maxFileSize, 'x') << "\"}";
    }
    // Links that loop, and a FIFO that would block a plain read.
    std::filesystem::create_directory_symlink(dir.path() / "a", dir.path() / "a" / "loop");
    ::mkfifo((dir.path() / "a/b/local_fifo.json").c_str(), 0600);
    auto files = std::make_shared<FaultyFileAccess>();
    EXPECT_EQ(DesktopSessions::find(*files, dir.str(), cli), std::nullopt);
    EXPECT_EQ(files->bytesRead.load(), 0u);
    std::filesystem::remove(dir.path() / "a" / "loop");

    // A file that fails to read is skipped; the search goes on to the next.
    const auto broken = dir.write("a/b/local_2.json", compact + R"(,"title":"broken"})");
    dir.write("z/y/local_3.json", compact + R"(,"title":"good"})");
    files->readErrors.insert(broken.string());
    EXPECT_EQ(DesktopSessions::find(*files, dir.str(), cli), (Match{std::nullopt, "good"}));
}

// The bridge id goes into the link escaped: it cannot add a query or a fragment.
TEST(DesktopSessions, DeepLink) {
    EXPECT_EQ(DesktopSessions::deepLink("bridge_01"), "claude://claude.ai/code/bridge_01");
    EXPECT_EQ(DesktopSessions::deepLink("a b/c?d#é"), "claude://claude.ai/code/a%20b/c%3Fd%23%C3%A9");
}
