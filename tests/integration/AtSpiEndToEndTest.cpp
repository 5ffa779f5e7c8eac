// --ax-status and --ax-click of the real program against a real application on a
// private session bus with its own accessibility bus: the stand-in desktop app lists
// session rows, and the row whose title matches is pressed.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace fray::test;
using namespace std::chrono_literals;

namespace {

const std::string notTrusted = "not trusted — run --ax-status first and grant access\n";

} // namespace

TEST(AtSpiEndToEnd, StatusThenClickByTitle) {
    TempDir home;
    XSession x(XSession::Screens::bare);
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    auto env = isolatedEnv(home.str());
    env["DISPLAY"] = x.display();
    // The bus launcher reads toolkit-accessibility from GSettings: in memory, starting off.
    env["GSETTINGS_BACKEND"] = "memory";

    BackgroundProcess bus("/usr/bin/dbus-daemon",
                          {"--session", "--nofork", "--nopidfile", "--print-address=1"}, env);
    auto address = bus.readLine(10s);
    ASSERT_TRUE(address && !address->empty()) << bus.stderrText();
    env["DBUS_SESSION_BUS_ADDRESS"] = *address;
    BackgroundProcess launcher("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"}, env);

    // The stand-in app is "the Claude desktop app" by its desktop entry.
    home.write(".local/share/applications/com.anthropic.claudefordesktop.desktop",
               "[Desktop Entry]\nType=Application\nName=Claude\nExec=" AX_TEST_APP " %u\n");
    auto appEnv = env;
    appEnv["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1";
    appEnv["QT_QPA_PLATFORM"] = "xcb";
    BackgroundProcess app(AX_TEST_APP, {}, appEnv);
    ASSERT_EQ(app.readLine(15s), "ready") << app.stderrText();

    auto fraymark = [&](std::vector<std::string> args) {
        return runProcess(FRAYMARK_BINARY, args, env, 30s);
    };
    {
        SCOPED_TRACE("before access");
        auto got = fraymark({"--ax-click", "Fix the login bug"});
        EXPECT_EQ(std::make_pair(got.exitCode, got.out), std::make_pair(1, notTrusted)) << got.err;
        got = fraymark({"--ax-status"});
        EXPECT_EQ(got.exitCode, 0);
        EXPECT_EQ(got.out,
                  "accessibility: NOT TRUSTED\nprompted — enable assistive technologies in your desktop's "
                  "accessibility settings, then relaunch Claude\n");
    }
    {
        SCOPED_TRACE("after the prompt switched it on");
        auto got = fraymark({"--ax-status"});
        EXPECT_EQ(std::make_pair(got.exitCode, got.out),
                  std::make_pair(0, std::string("accessibility: TRUSTED\n")))
            << got.err;

        got = fraymark({"--ax-click", "  fix the LOGIN\n bug "});
        EXPECT_EQ(got.exitCode, 0) << got.err;
        EXPECT_EQ(got.out, "pressed a sidebar row matching \"  fix the LOGIN\\n bug \"\n");
        EXPECT_EQ(app.readLine(5s), "pressed Fix the login bug · 2m");

        got = fraymark({"--ax-click", "say \"hi\" \\ \x1b[31m"});
        EXPECT_EQ(got.exitCode, 1) << got.err;
        EXPECT_EQ(got.out, "no matching row found for \"say \\\"hi\\\" \\\\ \\u{1B}[31m\"\n");
    }
    EXPECT_EQ(app.readLine(100ms), std::nullopt) << "nothing else was pressed";
    // The launcher ends its accessibility bus only when it ends in good order.
    app.stop(SIGTERM);
    launcher.stop(SIGTERM);
    bus.stop(SIGTERM);
}
