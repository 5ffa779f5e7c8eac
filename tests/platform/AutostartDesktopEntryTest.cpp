#include "platform/AutostartDesktopEntry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

namespace {

struct QuoteCase {
    const char* name;
    std::string path;
    std::string execLine; // as it must appear in the file
};

const QuoteCase quoteCases[] = {
    {"Plain", "/usr/local/bin/fraymark", "Exec=/usr/local/bin/fraymark"},
    {"Space", "/opt/My Apps/fraymark", "Exec=\"/opt/My Apps/fraymark\""},
    {"Dollar", "/opt/a$HOME/fraymark", "Exec=\"/opt/a\\\\$HOME/fraymark\""},
    {"Backslash", "/opt/a\\b/fraymark", "Exec=\"/opt/a\\\\\\\\b/fraymark\""},
    {"DoubleQuote", "/opt/say \"hi\"/fraymark", "Exec=\"/opt/say \\\\\"hi\\\\\"/fraymark\""},
    {"Percent", "/opt/100%/fraymark", "Exec=/opt/100%%/fraymark"},
    {"SingleQuote", "/home/o'brien/fraymark", "Exec=\"/home/o'brien/fraymark\""},
    {"Newline", "/opt/a\nb/fraymark", "Exec=\"/opt/a\\nb/fraymark\""},
    {"ShellMetacharacters", "/opt/a&b;c|d(e)*?#~<>/fraymark", "Exec=\"/opt/a&b;c|d(e)*?#~<>/fraymark\""},
    {"Unicode", "/home/zoë/Прога/fraymark", "Exec=/home/zoë/Прога/fraymark"},
};

void PrintTo(const QuoteCase& c, std::ostream* os) {
    *os << c.name;
}

class DesktopEntryQuoting : public ::testing::TestWithParam<QuoteCase> {};

} // namespace

TEST_P(DesktopEntryQuoting, WritesTheExecLineAndReadsThePathBack) {
    const auto& c = GetParam();
    std::string text = AutostartDesktopEntry::entryText(c.path);
    EXPECT_NE(text.find("\n" + c.execLine + "\n"), std::string::npos) << text;

    TempDir tmp;
    AutostartDesktopEntry entry(tmp.str(), c.path);
    ASSERT_EQ(entry.setEnabled(true), std::nullopt);
    EXPECT_EQ(entry.registeredPath(), c.path);
}

INSTANTIATE_TEST_SUITE_P(Paths, DesktopEntryQuoting, ::testing::ValuesIn(quoteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopEntry, WrittenEntryIsAnAutostartApplication) {
    std::string text = AutostartDesktopEntry::entryText("/usr/bin/fraymark");
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "Type"), "Application");
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "Name"), "Fraymark");
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "X-GNOME-Autostart-enabled"), "true");
    // Hidden from menus would also hide it from the desktop's own startup-apps list.
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "NoDisplay"), std::nullopt);
    EXPECT_EQ(AutostartDesktopEntry::entryValue(text, "Hidden"), std::nullopt);
}

TEST(DesktopEntry, RegisteredPathOfHandWrittenEntries) {
    struct Row {
        const char* name;
        std::string text;
        std::optional<std::string> path;
    };
    const Row rows[] = {
        {"ArgumentsAfterThePath", "[Desktop Entry]\nExec=/usr/bin/fraymark --demo %U\n", "/usr/bin/fraymark"},
        {"QuotedWithFieldCode", "[Desktop Entry]\nExec=\"/opt/my app/fraymark\" %f\n",
         "/opt/my app/fraymark"},
        {"BlanksAroundEquals", "[Desktop Entry]\nExec =   /usr/bin/fraymark\n", "/usr/bin/fraymark"},
        {"EscapedSpaceShellStyle", "[Desktop Entry]\nExec=/opt/my\\\\ app/fraymark\n",
         "/opt/my app/fraymark"},
        {"StringEscapeSpace", "[Desktop Entry]\nExec=\"/opt/my\\sapp/fraymark\"\n", "/opt/my app/fraymark"},
        {"CommentsAndOtherGroups",
         "# autostart\n[Desktop Action x]\nExec=/wrong\n\n[Desktop Entry]\n# here\nName=F\nExec=/right\n",
         "/right"},
        {"LocalizedKeyIgnored", "[Desktop Entry]\nExec[de]=/de\nExec=/plain\n", "/plain"},
        {"CarriageReturns", "[Desktop Entry]\r\nExec=/usr/bin/fraymark\r\n", "/usr/bin/fraymark"},
        {"UnterminatedQuote", "[Desktop Entry]\nExec=\"/opt/my app/fraymark\n", std::nullopt},
        {"EmptyExec", "[Desktop Entry]\nExec=\n", std::nullopt},
        {"NoExec", "[Desktop Entry]\nName=Fraymark\n", std::nullopt},
        {"ExecOutsideTheMainGroup", "[Other]\nExec=/usr/bin/fraymark\n", std::nullopt},
    };
    for (const auto& r : rows) {
        TempDir tmp;
        tmp.write("autostart/io.fraymark.Fraymark.desktop", r.text);
        AutostartDesktopEntry entry(tmp.str(), "/usr/bin/fraymark");
        EXPECT_EQ(entry.registeredPath(), r.path) << r.name;
        EXPECT_TRUE(entry.isEnabled()) << r.name;
    }
}

TEST(DesktopEntry, EntriesTheDesktopWasToldToSkipCountAsOff) {
    struct Row {
        const char* name;
        const char* extra;
        bool enabled;
    };
    const Row rows[] = {
        {"HiddenTrue", "Hidden=true\n", false},
        {"HiddenFalse", "Hidden=false\n", true},
        {"GnomeDisabled", "X-GNOME-Autostart-enabled=false\n", false},
        {"GnomeEnabled", "X-GNOME-Autostart-enabled=true\n", true},
        {"HiddenInAnotherGroup", "[Desktop Action a]\nHidden=true\n", true},
    };
    for (const auto& r : rows) {
        TempDir tmp;
        tmp.write("autostart/io.fraymark.Fraymark.desktop",
                  std::string("[Desktop Entry]\nExec=/usr/bin/fraymark\n") + r.extra);
        AutostartDesktopEntry entry(tmp.str(), "/usr/bin/fraymark");
        EXPECT_EQ(entry.isEnabled(), r.enabled) << r.name;
        if (!r.enabled) {
            // Switching on rewrites the entry so that it starts again.
            ASSERT_EQ(entry.setEnabled(true), std::nullopt) << r.name;
            EXPECT_TRUE(entry.isEnabled()) << r.name;
        }
    }
}
