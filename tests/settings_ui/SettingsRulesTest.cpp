#include "settings_ui/SettingsRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using namespace fray::SettingsRules;

TEST(SettingsRules, SliderMapsTheTrackToWholeSecondsAndClamps) {
    for (auto [name, x, width, value] : {std::tuple{"FarLeft", 0.0, 300.0, 10.0},
                                         {"PastLeft", -40.0, 300.0, 10.0},
                                         {"PastRight", 1000.0, 300.0, 90.0},
                                         {"Middle", 150.0, 300.0, 50.0},
                                         {"RoundsDown", 99.0, 300.0, 36.0}, // 36.4
                                         {"RoundsUp", 100.0, 300.0, 37.0},  // 36.67
                                         {"HalfRoundsUp", 1.0, 32.0, 13.0}, // 10 + 80 / 32 = 12.5 exactly
                                         {"NoWidth", 50.0, 0.0, 10.0}})
        EXPECT_EQ(sliderValue(x, width, delayLower, delayUpper), value) << name;
}

TEST(SettingsRules, FractionAndKeyboardStepsStayInRange) {
    for (auto [value, fraction] : {std::pair{10.0, 0.0}, {50.0, 0.5}, {120.0, 1.0}, {4.0, 0.0}})
        EXPECT_EQ(sliderFraction(value, 10, 90), fraction) << value;
    // Steps go from the whole seconds shown: 12.9 steps down to 11, not 12.
    for (auto [value, step, expected] : {std::tuple{12.9, -1.0, 11.0},
                                         {12.9, 1.0, 13.0},
                                         {10.0, -1.0, 10.0},
                                         {85.0, 10.0, 90.0},
                                         {4.0, 1.0, 11.0},
                                         {200.0, -1.0, 89.0}})
        EXPECT_EQ(sliderStep(value, step, 10, 90), expected) << value << " step " << step;
}

TEST(SettingsRules, LoginStatusTexts) {
    fray::test::TempDir tmp;
    const auto real = tmp.write("bin/fraymark", "#!"), link = tmp / "link";
    std::filesystem::create_symlink(real, link);
    const std::string off = "OFF BY DEFAULT. THE APP NEVER ADDS ITSELF — SWITCH THIS ON IF YOU WANT IT.";
    const std::string on = "ON — TAKES EFFECT AT YOUR NEXT LOGIN. TURN IT OFF HERE TO REMOVE IT.";
    auto other = [](const std::string& p) {
        return "ON, BUT POINTING AT A DIFFERENT COPY: " + p + ". TOGGLE OFF AND ON TO RE-AIM IT.";
    };
    struct Row {
        const char* name;
        bool enabled;
        std::optional<std::string> registered;
        std::string executable, text;
    };
    const Row rows[] = {
        {"Off", false, "/elsewhere/fraymark", real.string(), off},
        {"OnSameCopy", true, real.string(), real.string(), on},
        {"OnUnreadableEntry", true, std::nullopt, real.string(), on},
        {"OnSameFileThroughALink", true, link.string(), real.string(), on},
        {"OnOtherCopy", true, "/opt/old/fraymark", real.string(), other("/opt/old/fraymark")},
        {"OnExecutableUnknown", true, real.string(), "", other(real.string())},
    };
    for (const auto& r : rows)
        EXPECT_EQ(loginStatusText(r.enabled, r.registered, r.executable), r.text) << r.name;
    EXPECT_EQ(loginErrorText("Can't locate the app's executable."),
              "Couldn't update login item: Can't locate the app's executable.");
}
