#include "settings_ui/SettingsRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using namespace fray::SettingsRules;

TEST(SettingsRules, LoginStatusTexts) {
    const std::string off = "OFF BY DEFAULT. THE APP NEVER ADDS ITSELF — SWITCH THIS ON IF YOU WANT IT.";
    const std::string on = "ON — TAKES EFFECT AT YOUR NEXT LOGIN. TURN IT OFF HERE TO REMOVE IT.";
    auto other = [](const std::string& p) {
        return "ON, BUT POINTING AT A DIFFERENT COPY: " + p + ". TOGGLE OFF AND ON TO RE-AIM IT.";
    };
    struct Row {
        const char* name;
        bool enabled;
        std::optional<std::string> registered;
        bool here;
        std::string text;
    };
    const Row rows[] = {
        {"Off", false, "/elsewhere/fraymark", false, off},
        {"OnThisCopy", true, "/usr/bin/fraymark", true, on},
        {"OnUnreadableEntry", true, std::nullopt, false, on},
        {"OnOtherCopy", true, "/opt/old/fraymark", false, other("/opt/old/fraymark")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(loginStatusText(r.enabled, r.registered, r.here), r.text) << r.name;
    EXPECT_EQ(loginErrorText("Can't locate the app's executable."),
              "Couldn't update login item: Can't locate the app's executable.");
}
