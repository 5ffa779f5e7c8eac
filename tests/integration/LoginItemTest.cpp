#include "integration/LoginItem.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using fray::test::TempDir;

namespace {

class LoginItemTest : public ::testing::Test {
  protected:
    TempDir tmp;
    void SetUp() override { setPlatform(fake::makePlatform(tmp.str())); }
    std::string entry() const { return tmp.str() + "/.config/autostart/io.fraymark.Fraymark.desktop"; }
};

} // namespace

TEST_F(LoginItemTest, FollowsThePlatformsConfigFolderAndExecutable) {
    EXPECT_EQ(LoginItem::entryPath(), entry());
    EXPECT_FALSE(LoginItem::isEnabled());
    ASSERT_EQ(LoginItem::setEnabled(true), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(entry()));
    EXPECT_TRUE(LoginItem::isEnabled());
    EXPECT_EQ(LoginItem::registeredPath(), "/usr/local/bin/fraymark");

    // Paths are read at each call, so a moved config folder is honoured at once.
    platform().paths.configHome = tmp.str() + "/elsewhere";
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_EQ(LoginItem::registeredPath(), std::nullopt);
}
