// The Linux display backend's conversions, EDID identities and the sound cues' lifetime;
// the desktop tests run the backend against real X servers.
#include "platform/linux/LinuxDisplays.h"
#include "platform/linux/Edid.h"
#include "platform/linux/LinuxSounds.h"

#include <QGuiApplication>
#include <QRect>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fray;

TEST(LinuxDisplays, QtRectanglesBecomeGlobalYUp) {
    const QRect primary(0, 0, 1920, 1080);
    const std::pair<QRect, GRect> rows[] = {
        {primary, {0, 0, 1920, 1080}},
        {QRect(1920, 0, 2560, 1440), {1920, -360, 2560, 1440}},       // taller, top-aligned: reaches below
        {QRect(-1280, -1024, 1280, 1024), {-1280, 1080, 1280, 1024}}, // up and to the left
    };
    for (const auto& [qt, global] : rows)
        EXPECT_EQ(LinuxDisplays::toGlobal(qt, primary), global);
    // A primary that is not at the virtual desktop's origin is still the origin.
    EXPECT_EQ(LinuxDisplays::toGlobal(QRect(1280, 200, 1920, 1080), QRect(1280, 200, 1920, 1080)),
              (GRect{0, 0, 1920, 1080}));

    for (auto [connector, builtIn] :
         {std::pair{"eDP-1", true}, {"LVDS1", true}, {"DSI-2", true}, {"HDMI-1", false}, {"DP-1", false}})
        EXPECT_EQ(LinuxDisplays::isBuiltInConnector(connector), builtIn) << connector;
}

TEST(Edid, IdentityFields) {
    // "DEL" packed as 00100 00101 01100, product 0xA112 and serial 0x3030304C little-endian.
    std::vector<std::uint8_t> edid{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
                                   0x10, 0xAC, 0x12, 0xA1, 0x4C, 0x30, 0x30, 0x30};
    edid.resize(128);
    auto ids = parseEdid(edid);
    ASSERT_TRUE(ids);
    EXPECT_EQ(std::make_tuple(ids->vendor, ids->model, ids->serial),
              std::make_tuple(0x10ACu, 0xA112u, 0x3030304Cu));
    EXPECT_FALSE(parseEdid({edid.begin(), edid.begin() + 8})) << "truncated block";
    edid[0] = 0x01;
    EXPECT_FALSE(parseEdid(edid)) << "no fixed header, no identity";
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
        sounds->playCue("nope");
        EXPECT_FALSE(sounds->playSystemSound("NoSuchSound"));
    }
    sounds->playCue("ko"); // after the application: nothing, and no crash
    sounds.reset();
}
