#include "settings_ui/SettingsRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fray;
using namespace fray::SettingsRules;

TEST(SettingsRules, SliderMapsTheTrackToWholeSecondsAndClamps) {
    struct Row {
        const char* name;
        double x, width, value;
    };
    const Row rows[] = {
        {"FarLeft", 0, 300, 10},      {"PastLeft", -40, 300, 10}, {"PastRight", 1000, 300, 90},
        {"Middle", 150, 300, 50},     {"RoundsDown", 99, 300, 36}, // 36.4
        {"RoundsUp", 100, 300, 37},   // 36.67
        {"HalfRoundsUp", 1, 32, 13},  // 10 + 80 / 32 = 12.5 exactly
        {"NoWidth", 50, 0, 10},
    };
    for (const auto& r : rows) EXPECT_EQ(sliderValue(r.x, r.width, delayLower, delayUpper), r.value) << r.name;
}

TEST(SettingsRules, FractionAndKeyboardStepsStayInRange) {
    for (auto [value, fraction] : {std::pair{10.0, 0.0}, {50.0, 0.5}, {120.0, 1.0}, {4.0, 0.0}})
        EXPECT_EQ(sliderFraction(value, 10, 90), fraction) << value;
    struct Row {
        double value, step, expected;
    };
    const Row rows[] = {
        {12.9, -1, 11}, // steps from the shown 12, not from 13
        {12.9, 1, 13},  {10, -1, 10}, {85, 10, 90}, {4, 1, 11}, {200, -1, 89},
    };
    for (const auto& r : rows) EXPECT_EQ(sliderStep(r.value, r.step, 10, 90), r.expected) << r.value << " step " << r.step;
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
    for (const auto& r : rows) EXPECT_EQ(loginStatusText(r.enabled, r.registered, r.executable), r.text) << r.name;
    EXPECT_EQ(loginErrorText("Can't locate the app's executable."),
              "Couldn't update login item: Can't locate the app's executable.");
}
