// The login-entry backends, the freedesktop entry and the launch agent: what both share,
// then the form each writes and how the desktop entry reads one the desktop rewrote.
#include "platform/AppId.h"
#include "platform/AutostartDesktopEntry.h"
#include "platform/macos/AutostartLaunchAgent.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace fray;
using fray::test::TempDir;
namespace fs = std::filesystem;

namespace {

// Each backend by its entry's path under the folder it is given (config home or home).
const char* const entries[] = {"autostart/io.fraymark.Fraymark.desktop",
                               "Library/LaunchAgents/io.fraymark.Fraymark.plist"};

class AutostartBackend : public ::testing::TestWithParam<const char*> {
  protected:
    TempDir tmp;
    std::unique_ptr<Autostart> make(const std::string& exe = "/opt/fraymark/bin/fraymark",
                                    const std::string& base = "") {
        const std::string folder = base.empty() ? tmp.str() : base;
        if (GetParam() == entries[0]) return std::make_unique<AutostartDesktopEntry>(folder, exe);
        return std::make_unique<AutostartLaunchAgent>(folder, exe);
    }
    fs::path entry() const { return tmp / GetParam(); }
    ino_t inode() const {
        struct stat st {};
        return ::stat(entry().c_str(), &st) == 0 ? st.st_ino : 0;
    }
};

std::vector<fs::path> listing(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir, ec))
        out.push_back(e.path().filename());
    return out;
}

} // namespace

TEST_P(AutostartBackend, OffOnReaimedAndOffAgain) {
    // Markup, quotes and blanks in the path survive the round trip through the file.
    const std::string oldPath = "/old/R&D <beta>/\"q\" 's'/fray mark";
    auto old = make(oldPath);
    EXPECT_EQ(old->setEnabled(false), std::nullopt);
    EXPECT_FALSE(fs::exists(entry().parent_path())) << "disabling must not create folders";

    EXPECT_EQ(old->setEnabled(true), std::nullopt) << "creates the missing folders";
    EXPECT_TRUE(old->isEnabled());
    EXPECT_EQ(old->registeredPath(), oldPath);
    const ino_t before = inode();

    auto current = make("/new/copy/fraymark");
    EXPECT_FALSE(current->registeredHere());
    EXPECT_EQ(current->setEnabled(true), std::nullopt);
    EXPECT_TRUE(current->registeredHere());
    EXPECT_NE(inode(), before) << "replaced by rename, not rewritten in place";
    EXPECT_EQ(listing(entry().parent_path()).size(), 1u) << "no temporary files left behind";

    EXPECT_EQ(current->setEnabled(false), std::nullopt);
    EXPECT_FALSE(fs::exists(entry()));
    EXPECT_TRUE(fs::is_directory(entry().parent_path())) << "only the file goes";
    EXPECT_FALSE(current->isEnabled());

    // An entry made through a link to this executable is not another copy.
    const auto real = tmp.write("bin/fraymark", "#!"), link = tmp / "link";
    fs::create_symlink(real, link);
    ASSERT_EQ(make(link.string())->setEnabled(true), std::nullopt);
    EXPECT_TRUE(make(real.string())->registeredHere());
    EXPECT_FALSE(make("")->registeredHere()) << "an unknown executable is never the one registered";
}

TEST_P(AutostartBackend, RefusalsAndFailuresSayWhyAndKeepWhatWasThere) {
    EXPECT_EQ(make("")->setEnabled(true),
              (AutostartError{std::string(appId), 1, "Can't locate the app's executable."}));
    auto err = make("/usr/bin/fraymark", "relative")->setEnabled(true);
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(std::make_pair(err->domain, err->code), std::make_pair(std::string(appId), 2));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_TRUE(listing(tmp.path()).empty()) << "nothing is created before the checks";

    // Unreadable content still counts as present, and can be switched off.
    tmp.write(GetParam(), "\x01\x02 this is not an entry at all {\n");
    EXPECT_TRUE(make()->isEnabled());
    EXPECT_EQ(make()->registeredPath(), std::nullopt);
    EXPECT_EQ(make()->setEnabled(false), std::nullopt);
    EXPECT_FALSE(fs::exists(entry()));

    // A non-empty folder where the entry goes: the final rename fails, and so does removing it.
    tmp.write((fs::path(GetParam()) / "keep").string(), "x");
    err = make()->setEnabled(true);
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->description.find("Can't write"), std::string::npos) << err->description;
    EXPECT_EQ(fray::test::readFile(entry() / "keep"), "x");
    EXPECT_EQ(listing(entry().parent_path()), std::vector<fs::path>{entry().filename()});
    err = make()->setEnabled(false);
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->description.find("Can't remove"), std::string::npos) << err->description;
    // A file where the folder goes is the settings window's test.
}

INSTANTIATE_TEST_SUITE_P(Backends, AutostartBackend, ::testing::ValuesIn(entries),
                         [](const auto& info) { return info.index == 0 ? "DesktopEntry" : "LaunchAgent"; });

TEST(DesktopEntry, ExecLineQuoted) {
    const std::pair<std::string, std::string> rows[] = {
        // the executable, and the Exec line as it must appear in the file
        {"/opt/My Apps/fraymark", "Exec=\"/opt/My Apps/fraymark\""},
        {"/opt/a$HOME/fraymark", "Exec=\"/opt/a\\\\$HOME/fraymark\""},
        {"/opt/a\\b/fraymark", "Exec=\"/opt/a\\\\\\\\b/fraymark\""},
        {"/opt/100%/fraymark", "Exec=/opt/100%%/fraymark"},
        {"/opt/a\nb/fraymark", "Exec=\"/opt/a\\nb/fraymark\""},
    };
    // Reading them back is the backends' round trip above and the fuzz target's.
    for (const auto& [path, execLine] : rows) {
        const std::string text = AutostartDesktopEntry::entryText(path);
        EXPECT_NE(text.find("\n" + execLine + "\n"), std::string::npos) << text;
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
        {"CommentsAndOtherGroups", "# autostart\n[Desktop Action x]\nExec=/wrong\n\n[Desktop Entry]\n# here\nName=F\nExec=/right\n", "/right"},
        {"UnterminatedQuote", head + "Exec=\"/opt/my app/fraymark\n", std::nullopt},
        {"HiddenTrue", head + "Exec=/a\nHidden=true\n", "/a", false},
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

TEST(LaunchAgent, StartsAtLogin) {
    TempDir tmp;
    AutostartLaunchAgent agent(tmp.str(), "/Apps/Fraymark");
    ASSERT_EQ(agent.setEnabled(true), std::nullopt);
    EXPECT_NE(fray::test::readFile(agent.entryPath()).find("<key>RunAtLoad</key>\n\t<true/>"),
              std::string::npos);
}
