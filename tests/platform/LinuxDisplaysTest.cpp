// The Linux display backend against a real X server.
#include "platform/linux/LinuxDisplays.h"
#include "platform/linux/Edid.h"
#include "platform/linux/LinuxSounds.h"
#include "support/Xvfb.h"

#include <QGuiApplication>
#include <QRect>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fray;

TEST(LinuxDisplays, QtRectanglesBecomeGlobalYUp) {
    const QRect primary(0, 0, 1920, 1080);
    struct Row {
        QRect qt;
        GRect expect;
    } rows[] = {
        {primary, {0, 0, 1920, 1080}},
        {QRect(1920, 0, 2560, 1440), {1920, -360, 2560, 1440}},       // taller, top-aligned: reaches below
        {QRect(0, 1080, 1920, 1080), {0, -1080, 1920, 1080}},         // stacked underneath
        {QRect(-1280, -1024, 1280, 1024), {-1280, 1080, 1280, 1024}}, // up and to the left
        {QRect(0, 0, 1920, 1055), {0, 25, 1920, 1055}},               // work area below a top panel
    };
    for (const auto& r : rows)
        EXPECT_EQ(LinuxDisplays::toGlobal(r.qt, primary), r.expect);
    // A primary that is not at the virtual desktop's origin is still the origin.
    EXPECT_EQ(LinuxDisplays::toGlobal(QRect(1280, 200, 1920, 1080), QRect(1280, 200, 1920, 1080)),
              (GRect{0, 0, 1920, 1080}));

    EXPECT_TRUE(LinuxDisplays::isBuiltInConnector("eDP-1"));
    EXPECT_TRUE(LinuxDisplays::isBuiltInConnector("LVDS1"));
    EXPECT_TRUE(LinuxDisplays::isBuiltInConnector("DSI-2"));
    EXPECT_FALSE(LinuxDisplays::isBuiltInConnector("HDMI-1"));
    EXPECT_FALSE(LinuxDisplays::isBuiltInConnector("DP-1"));
}

TEST(Edid, IdentityFields) {
    std::vector<std::uint8_t> edid(128, 0);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, edid.begin());
    edid[8] = 0x10; // "DEL" packed: 00100 00101 01100
    edid[9] = 0xAC;
    edid[10] = 0x12; // product 0xA112, little-endian
    edid[11] = 0xA1;
    edid[12] = 0x4C; // serial 0x3030304C
    edid[13] = 0x30;
    edid[14] = 0x30;
    edid[15] = 0x30;
    auto ids = parseEdid(edid);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->vendor, 0x10ACu);
    EXPECT_EQ(ids->model, 0xA112u);
    EXPECT_EQ(ids->serial, 0x3030304Cu);

    edid[0] = 0x01;
    EXPECT_FALSE(parseEdid(edid)) << "no fixed header, no identity";
    EXPECT_FALSE(parseEdid(std::vector<std::uint8_t>(header, header + 8))) << "truncated block";
}

TEST(LinuxDisplays, RealXServer) {
    test::Xvfb x("1600x900x24");
    ASSERT_TRUE(x.ok()) << "Xvfb did not start";
    setenv("DISPLAY", x.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    auto screens = LinuxDisplays().screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].frame, (GRect{0, 0, 1600, 900}));
    EXPECT_FALSE(screens[0].builtIn);
    EXPECT_EQ(screens[0].vendor, 0u) << "Xvfb has no EDID";
    EXPECT_FALSE(screens[0].name.empty());
    // The server goes with this test; later tests must not reach for its display.
    unsetenv("DISPLAY");
}

TEST(LinuxSounds, CuesDieWithTheApplication) {
    // A cue played once keeps a Qt Multimedia object; it must not outlive the
    // application object, or the process corrupts its heap on the way out.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto sounds = std::make_unique<LinuxSounds>();
    {
        int argc = 1;
        char name[] = "test";
        char* argv[] = {name, nullptr};
        QGuiApplication app(argc, argv);
        Q_INIT_RESOURCE(test_sounds);
        EXPECT_TRUE(sounds->hasCue("ko"));
        EXPECT_FALSE(sounds->hasCue("nope"));
        sounds->playCue("ko");
        sounds->playCue("ko"); // replay from the start
        sounds->playCue("nope");
        EXPECT_FALSE(sounds->playSystemSound("NoSuchSound"));
    }
    sounds->playCue("ko"); // after the application: nothing, and no crash
    sounds.reset();
    EXPECT_STREQ(LinuxSounds::themeEventFor("Sosumi"), "message-new-instant");
    EXPECT_STREQ(LinuxSounds::themeEventFor("Hero"), "complete");
    EXPECT_STREQ(LinuxSounds::themeEventFor("Basso"), "dialog-error");
}
