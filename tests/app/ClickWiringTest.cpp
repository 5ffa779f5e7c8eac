// The controller connects a click on a session to bringing that session forward.
#include "app/AppDelegate.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

TEST(ClickWiring, ARowClickResumesTheSession) {
    test::TempDir home;
    home.mkdir("work/app");
    Platform platform = fake::makePlatform(home.str());
    Settings settings{std::make_shared<PreferencesStore>()};
    AppDelegate delegate(false, false, settings, platform);
    ASSERT_TRUE(delegate.model().resumeSession);

    SessionInfo s;
    s.id = home.str() + "/transcripts/0d5f3c1e-8a2b-4c6d-9e0f-1a2b3c4d5e6f.jsonl";
    s.cwd = home.str() + "/work/app";
    delegate.model().resumeSession(s);
    EXPECT_EQ(static_cast<fake::Terminal&>(*platform.terminal).scripts,
              std::vector<std::string>{home.str() + "/.cache/fraymark/resume.sh"});
}
