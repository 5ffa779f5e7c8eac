#include "platform/macos/AutostartLaunchAgent.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

namespace {

std::string plistWithArguments(const std::string& value) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>Label</key><string>io.fraymark.Fraymark</string>\n"
           "<key>ProgramArguments</key>" +
           value + "\n</dict>\n</plist>\n";
}

} // namespace

TEST(LaunchAgent, StartsAtLoginAndMarkupInThePathRoundTrips) {
    for (std::string path : {"/Apps/R&D <beta>/Fraymark", "/a/\"q\"/'s'"}) {
        SCOPED_TRACE(path);
        TempDir tmp;
        AutostartLaunchAgent agent(tmp.str(), path);
        ASSERT_EQ(agent.setEnabled(true), std::nullopt);
        EXPECT_NE(fray::test::readFile(agent.entryPath()).find("<key>RunAtLoad</key>\n\t<true/>"),
                  std::string::npos);
        EXPECT_EQ(agent.registeredPath(), path);
    }
}

TEST(LaunchAgent, RegisteredPathOfHandWrittenFiles) {
    const std::string truncated = plistWithArguments("<array><string>/a/b</string></array>");
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        // clang-format off
        {plistWithArguments("<array><string>/a/b</string><string>--x</string></array>"), "/a/b"},
        {plistWithArguments("<array/>"), std::nullopt},
        {plistWithArguments("<array><string>/a/b</string><integer>3</integer></array>"), std::nullopt},
        {plistWithArguments("<string>/a/b</string>"), std::nullopt},
        {"<plist version=\"1.0\"><dict><key>Label</key><string>x</string></dict></plist>", std::nullopt},
        {truncated.substr(0, truncated.size() - 30), std::nullopt}, // cut inside the array
        {"<html><dict><key>ProgramArguments</key><array><string>/a</string></array></dict></html>", std::nullopt},
        // clang-format on
    };
    for (const auto& [text, path] : rows) {
        SCOPED_TRACE(text);
        TempDir tmp;
        tmp.write("Library/LaunchAgents/io.fraymark.Fraymark.plist", text);
        AutostartLaunchAgent agent(tmp.str(), "/unused");
        EXPECT_EQ(agent.registeredPath(), path);
        EXPECT_TRUE(agent.isEnabled());
    }
}
