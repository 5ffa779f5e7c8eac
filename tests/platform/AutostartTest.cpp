// Behaviour both login-entry backends share: the freedesktop entry and the launch agent.
#include "platform/AppId.h"
#include "platform/AutostartDesktopEntry.h"
#include "platform/macos/AutostartLaunchAgent.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace fray;
using fray::test::TempDir;
namespace fs = std::filesystem;

namespace {

struct Backend {
    const char* name;
    // Builds the backend rooted in `base` for an executable path.
    std::function<std::unique_ptr<Autostart>(const std::string& base, const std::string& exe)> make;
    const char* expectedRelPath;
};

const Backend backends[] = {
    {"DesktopEntry",
     [](const std::string& base, const std::string& exe) {
         return std::make_unique<AutostartDesktopEntry>(base + "/config", exe);
     },
     "config/autostart/io.fraymark.Fraymark.desktop"},
    {"LaunchAgent",
     [](const std::string& base, const std::string& exe) {
         return std::make_unique<AutostartLaunchAgent>(base + "/home", exe);
     },
     "home/Library/LaunchAgents/io.fraymark.Fraymark.plist"},
};

void PrintTo(const Backend& b, std::ostream* os) {
    *os << b.name;
}

class AutostartBackend : public ::testing::TestWithParam<Backend> {
  protected:
    TempDir tmp;
    std::unique_ptr<Autostart> make(const std::string& exe = "/opt/fraymark/bin/fraymark") {
        return GetParam().make(tmp.str(), exe);
    }
    fs::path entry() const { return tmp / GetParam().expectedRelPath; }
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
    auto old = make("/old/copy/fraymark");
    EXPECT_FALSE(old->isEnabled());
    EXPECT_EQ(old->registeredPath(), std::nullopt);
    EXPECT_EQ(old->setEnabled(false), std::nullopt);
    EXPECT_FALSE(fs::exists(entry().parent_path())) << "disabling must not create folders";

    EXPECT_EQ(old->setEnabled(true), std::nullopt) << "creates the missing folders";
    EXPECT_TRUE(old->isEnabled());
    EXPECT_EQ(old->registeredPath(), "/old/copy/fraymark");
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
    auto err = GetParam().make("relative", "/usr/bin/fraymark")->setEnabled(true);
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(std::make_pair(err->domain, err->code), std::make_pair(std::string(appId), 2));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_TRUE(listing(tmp.path()).empty()) << "nothing is created before the checks";

    // Unreadable content still counts as present, and can be switched off.
    tmp.write(GetParam().expectedRelPath, "\x01\x02 this is not an entry at all {\n");
    EXPECT_TRUE(make()->isEnabled());
    EXPECT_EQ(make()->registeredPath(), std::nullopt);
    EXPECT_EQ(make()->setEnabled(false), std::nullopt);
    EXPECT_FALSE(fs::exists(entry()));

    // A non-empty folder where the entry goes: the final rename fails, and so does removing it.
    tmp.write((fs::path(GetParam().expectedRelPath) / "keep").string(), "x");
    err = make()->setEnabled(true);
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->description.find("Can't write"), std::string::npos) << err->description;
    EXPECT_EQ(fray::test::readFile(entry() / "keep"), "x");
    EXPECT_EQ(listing(entry().parent_path()), std::vector<fs::path>{entry().filename()});
    err = make()->setEnabled(false);
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->description.find("Can't remove"), std::string::npos) << err->description;

    // A file where the folder goes.
    fs::remove_all(entry().parent_path());
    tmp.write(entry().parent_path().lexically_relative(tmp.path()).string(), "a file, not a folder");
    EXPECT_EQ(
        make()->setEnabled(true),
        (AutostartError{"posix", ENOTDIR,
                        "Can't create folder " + entry().parent_path().string() + ": Not a directory"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, AutostartBackend, ::testing::ValuesIn(backends),
                         [](const auto& info) { return std::string(info.param.name); });
