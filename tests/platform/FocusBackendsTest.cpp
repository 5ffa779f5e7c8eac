// The Linux backends a click uses, over temporary data folders and a fake procfs: desktop
// entries, Exec lines, the terminal chain, the process table.
#include "platform/linux/LinuxApplications.h"
#include "platform/linux/LinuxProcessTable.h"
#include "platform/linux/LinuxTerminal.h"
#include "support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

using namespace fray;
using namespace fray::test;
using Words = std::vector<std::string>;

TEST(LinuxApplications, ExecLinesSplitAndExpand) {
    const std::pair<std::string, std::optional<Words>> rows[] = {
        {"claude-desktop --no-sandbox %U %F", Words{"claude-desktop", "--no-sandbox"}},
        {R"("/opt/My Apps/claude" --name=%c)", Words{"/opt/My Apps/claude", "--name=Claude"}},
        {R"(sh -c "echo \"hi\" \$HOME \\ \`x\`")", Words{"sh", "-c", R"(echo "hi" $HOME \ `x`)"}},
        {"app %i --entry %k 100%%", Words{"app", "--icon", "claude", "--entry", "/a/c.desktop", "100%"}},
        {R"(app "unterminated)", std::nullopt},
    };
    for (const auto& [exec, words] : rows)
        EXPECT_EQ(LinuxApplications::splitExec(exec, "Claude", "claude", "/a/c.desktop"), words) << exec;
}

TEST(LinuxApplications, EntriesByDesktopIdUserFirst) {
    TempDir user, system;
    LinuxApplications apps({user.str(), system.str()}, "/");
    const std::string vendor = "com.anthropic.claudefordesktop.desktop", plain = "claude-desktop.desktop";
    auto entry = [](const std::string& body) {
        return "# comment\n[Desktop Entry]\n" + body + "\n[Desktop Action x]\nExec=nope\n";
    };
    auto put = [&](TempDir& in, const std::string& id, const std::string& body) {
        in.write("applications/" + id, entry(body));
    };
    const Words ids{vendor, plain};
    put(system, plain,
        "Type=Application\nName=Claude\nName[de]=Klod\nExec=/usr/bin/claude-desktop %u\n"
        "StartupWMClass=Claude");
    const AppEntry found{
        system.str() + "/applications/" + plain, "Claude", {"/usr/bin/claude-desktop"}, "Claude"};
    EXPECT_EQ(apps.find(ids), found);

    // The vendor's id comes first; the user's copy of an id overrides the system's,
    // and a user's hidden copy deletes the application.
    put(system, vendor, "Type=Application\nName=A\nExec=a");
    EXPECT_EQ(apps.find(ids)->name, "A");
    put(user, vendor, "Type=Application\nName=B\nExec=b");
    EXPECT_EQ(apps.find(ids)->name, "B");
    put(user, vendor, "Type=Application\nName=B\nExec=b\nHidden=true");
    EXPECT_EQ(apps.find(ids)->name, "Claude");

    for (const char* bad :
         {"Type=Link\nName=L\nURL=x", "Type=Application\nName=NoExec", "Name=Untyped\nExec=x"})
        EXPECT_EQ(LinuxApplications::parseEntry(entry(bad), "/x"), std::nullopt) << bad;
    // A FIFO under the name neither blocks nor counts.
    ASSERT_EQ(::mkfifo((user / "applications" / plain).c_str(), 0600), 0);
    EXPECT_EQ(LinuxApplications({user.str()}, "/").find({plain}), std::nullopt);
}

TEST(LinuxTerminal, ChainAndARealStart) {
    EXPECT_EQ(LinuxTerminal::candidates("", "/c/resume.sh"),
              (std::vector<Words>{{"xdg-terminal-exec", "/c/resume.sh"},
                                  {"x-terminal-emulator", "-T", "Fraymark", "-e", "/c/resume.sh"},
                                  {"xterm", "-T", "Fraymark", "-e", "/c/resume.sh"}}));
    EXPECT_EQ(LinuxTerminal::candidates("kitty --single-instance", "/s").front(),
              (Words{"kitty", "--single-instance", "-e", "/s"}));

    // $TERMINAL names a stand-in that records its arguments; a missing one is skipped.
    TempDir dir;
    const auto term = dir.write("term", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/args\"\n");
    std::filesystem::permissions(term, std::filesystem::perms::owner_all);
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    setenv("TERMINAL", term.c_str(), 1);
    EXPECT_TRUE(LinuxTerminal(dir.str()).runScript("/c/resume.sh"));
    for (int i = 0; i < 200 && !std::filesystem::exists(dir / "args"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(dir / "args"), "-e|/c/resume.sh|");
    unsetenv("TERMINAL");
}

TEST(LinuxProcessTable, StatLinesAndAProcfs) {
    ProcessInfo p;
    ASSERT_TRUE(LinuxProcessTable::parseStat("42 (tmux: server) S 1 42 42 0 -1", p));
    EXPECT_EQ(std::make_pair(p.name, p.ppid), std::make_pair(std::string("tmux: server"), 1));
    ASSERT_TRUE(LinuxProcessTable::parseStat("7 (a) b) (c) R 6 7", p));
    EXPECT_EQ(std::make_pair(p.name, p.ppid), std::make_pair(std::string("a) b) (c"), 6));
    EXPECT_FALSE(LinuxProcessTable::parseStat("7 no name", p));
    EXPECT_FALSE(LinuxProcessTable::parseStat("7 (x)", p));

    TempDir proc;
    proc.write("12/stat", "12 (claude) S 11 12 12");
    proc.write("12/cmdline", std::string("node\0/usr/lib/cli.js\0--resume\0", 30));
    proc.write("12/environ", std::string("A=1\0TMUX=/tmp/s,5,0\0", 20));
    std::filesystem::create_symlink("/srv/my app", proc.path() / "12/cwd");
    std::filesystem::create_symlink("/usr/bin/node", proc.path() / "12/exe");
    proc.write("13/stat", "13 (gone"); // a process that ended while being read
    proc.write("self/stat", "1 (x) S 0");
    LinuxProcessTable table(proc.str());
    EXPECT_EQ(
        table.snapshot(),
        (std::vector<ProcessInfo>{
            {12, 11, "claude", {"node", "/usr/lib/cli.js", "--resume"}, "/usr/bin/node", "/srv/my app"}}));
    EXPECT_EQ(table.environment(12, "TMUX"), "/tmp/s,5,0");
    EXPECT_EQ(table.environment(12, "TMUX_PANE"), std::nullopt);
    EXPECT_EQ(table.environment(99, "A"), std::nullopt);
}
