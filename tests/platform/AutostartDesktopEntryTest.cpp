#include "platform/AutostartDesktopEntry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

TEST(DesktopEntry, ExecLineQuotedAndReadBack) {
    const std::pair<std::string, std::string> rows[] = {
        // the executable, and the Exec line as it must appear in the file
        {"/usr/local/bin/fraymark", "Exec=/usr/local/bin/fraymark"},
        {"/opt/My Apps/fraymark", "Exec=\"/opt/My Apps/fraymark\""},
        {"/opt/a$HOME/fraymark", "Exec=\"/opt/a\\\\$HOME/fraymark\""},
        {"/opt/a\\b/fraymark", "Exec=\"/opt/a\\\\\\\\b/fraymark\""},
        {"/opt/100%/fraymark", "Exec=/opt/100%%/fraymark"},
        {"/opt/a\nb/fraymark", "Exec=\"/opt/a\\nb/fraymark\""},
    };
    for (const auto& [path, execLine] : rows) {
        SCOPED_TRACE(path);
        const std::string text = AutostartDesktopEntry::entryText(path);
        EXPECT_NE(text.find("\n" + execLine + "\n"), std::string::npos) << text;
        TempDir tmp;
        AutostartDesktopEntry entry(tmp.str(), path);
        ASSERT_EQ(entry.setEnabled(true), std::nullopt);
        EXPECT_EQ(entry.registeredPath(), path);
    }
    // Hidden from menus would also hide it from the desktop's own startup-apps list.
    const std::string text = AutostartDesktopEntry::entryText("/usr/bin/fraymark");
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "NoDisplay"), std::nullopt);
}

TEST(DesktopEntry, HandWrittenEntries) {
    const std::string head = "[Desktop Entry]\n";
    struct Row {
        const char* name;
        std::string text;
        std::optional<std::string> path;
        bool enabled = true; // false: the desktop was told to skip it, so switching on rewrites it
    } rows[] = {
        // clang-format off
        {"ArgumentsAfterThePath", head + "Exec=/usr/bin/fraymark --demo %U\n", "/usr/bin/fraymark"},
        {"QuotedWithFieldCode", head + "Exec=\"/opt/my app/fraymark\" %f\n", "/opt/my app/fraymark"},
        {"BlanksAroundEquals", head + "Exec =   /usr/bin/fraymark\n", "/usr/bin/fraymark"},
        {"EscapedSpaceShellStyle", head + "Exec=/opt/my\\\\ app/fraymark\n", "/opt/my app/fraymark"},
        {"StringEscapeSpace", head + "Exec=\"/opt/my\\sapp/fraymark\"\n", "/opt/my app/fraymark"},
        {"CommentsAndOtherGroups", "# autostart\n[Desktop Action x]\nExec=/wrong\n\n[Desktop Entry]\n# here\nName=F\nExec=/right\n", "/right"},
        {"LocalizedKeyIgnored", head + "Exec[de]=/de\nExec=/plain\n", "/plain"},
        {"CarriageReturns", "[Desktop Entry]\r\nExec=/usr/bin/fraymark\r\n", "/usr/bin/fraymark"},
        {"UnterminatedQuote", head + "Exec=\"/opt/my app/fraymark\n", std::nullopt},
        {"EmptyExec", head + "Exec=\n", std::nullopt},
        {"ExecOutsideTheMainGroup", "[Other]\nExec=/usr/bin/fraymark\n", std::nullopt},
        {"HiddenTrue", head + "Exec=/a\nHidden=true\n", "/a", false},
        {"HiddenFalse", head + "Exec=/a\nHidden=false\n", "/a"},
        {"GnomeDisabled", head + "Exec=/a\nX-GNOME-Autostart-enabled=false\n", "/a", false},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TempDir tmp;
        tmp.write("autostart/io.fraymark.Fraymark.desktop", r.text);
        AutostartDesktopEntry entry(tmp.str(), "/usr/bin/fraymark");
        EXPECT_EQ(entry.registeredPath(), r.path);
        EXPECT_EQ(entry.isEnabled(), r.enabled);
        if (!r.enabled) {
            ASSERT_EQ(entry.setEnabled(true), std::nullopt);
            EXPECT_TRUE(entry.isEnabled());
        }
    }
}
