#include "settings_ui/SettingsRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace fray;
using namespace fray::SettingsRules;

TEST(SettingsRules, SliderMapsTheTrackToWholeSecondsAndClamps) {
    struct Row {
        const char* name;
        double x, width;
        double value;
    };
    const Row rows[] = {
        {"FarLeft", 0, 300, 10},
        {"FarRight", 300, 300, 90},
        {"PastLeft", -40, 300, 10},
        {"PastRight", 1000, 300, 90},
        {"Middle", 150, 300, 50},
        {"RoundsDown", 100, 300, 37},  // 36.67 -> 37
        {"RoundsUp", 101, 300, 37},    // 36.93 -> 37
        {"HalfRoundsUp", 1, 32, 13},   // 10 + 80 / 32 = 12.5 exactly
        {"NoWidth", 50, 0, 10},
    };
    for (const auto& r : rows) {
        double v = sliderValue(r.x, r.width, delayLower, delayUpper);
        EXPECT_EQ(v, r.value) << r.name;
        EXPECT_EQ(v, std::round(v)) << r.name;
    }
}

TEST(SettingsRules, FractionAndKeyboardStepsStayInRange) {
    EXPECT_EQ(sliderFraction(10, 10, 90), 0);
    EXPECT_EQ(sliderFraction(90, 10, 90), 1);
    EXPECT_EQ(sliderFraction(50, 10, 90), 0.5);
    EXPECT_EQ(sliderFraction(120, 10, 90), 1);
    EXPECT_EQ(sliderFraction(4, 10, 90), 0);

    struct Row {
        double value, step, expected;
    };
    const Row rows[] = {
        {12.9, -1, 11}, // steps from the shown 12, not from 13
        {12.9, 1, 13},  {10, -1, 10}, {90, 1, 90}, {85, 10, 90}, {4, 1, 11}, {200, -1, 89},
    };
    for (const auto& r : rows)
        EXPECT_EQ(sliderStep(r.value, r.step, 10, 90), r.expected) << r.value << " step " << r.step;
}

TEST(SettingsRules, LoginStatusTexts) {
    fray::test::TempDir tmp;
    auto real = tmp.write("bin/fraymark", "#!");
    auto link = tmp / "link";
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
        std::string executable;
        std::string text;
    };
    const Row rows[] = {
        {"Off", false, "/elsewhere/fraymark", real.string(), off},
        {"OnSameCopy", true, real.string(), real.string(), on},
        {"OnUnreadableEntry", true, std::nullopt, real.string(), on},
        {"OnSameFileThroughALink", true, link.string(), real.string(), on},
        {"OnOtherCopy", true, "/opt/old/fraymark", real.string(), other("/opt/old/fraymark")},
        {"OnExecutableUnknown", true, real.string(), "", other(real.string())},
    };
    for (const auto& r : rows) EXPECT_EQ(loginStatusText(r.enabled, r.registered, r.executable), r.text) << r.name;
    EXPECT_EQ(loginErrorText("Can't locate the app's executable."),
              "Couldn't update login item: Can't locate the app's executable.");
}

