#include "model/IslandPlacement.h"

#include <gtest/gtest.h>

using namespace fray;
using namespace fray::IslandPlacement;

namespace fray {
void PrintTo(const GRect& r, std::ostream* os) {
    *os << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}
} // namespace fray

namespace {

// A display at (x, 0); `menu` points of menu bar; a centred notch `notchW` wide and `inset` tall.
ScreenInfo screen(double x, double w, double h, double menu = 24, double inset = 0, double notchW = 185,
                  std::string name = "A") {
    ScreenInfo s;
    s.id = s.name = std::move(name);
    s.frame = {x, 0, w, h};
    s.visibleFrame = {x, 0, w, h - menu};
    s.safeAreaTop = inset;
    if (inset > 0) {
        const double side = (w - notchW) / 2;
        s.auxiliaryTopLeft = GRect{x, h - inset, side, inset};
        s.auxiliaryTopRight = GRect{x + side + notchW, h - inset, side, inset};
    }
    return s;
}

} // namespace

TEST(IslandPlacement, Layout) {
    using M = IslandMode;
    using P = IslandPosition;
    const auto laptop = screen(0, 1512, 982, 24, 32);
    const auto hd = screen(0, 1920, 1080);
    struct Row {
        const char* name;
        ScreenInfo screen;
        Input input;
        GRect panel;
        std::optional<QRectF> notch;
    } rows[] = {
        // clang-format off
        {"NotchWrapped", laptop, Input{}, {500, 848, 512, 160}, QRectF(137.5, 0, 185, 32)},
        {"NotchNotUnderALeftIsland", laptop, Input{M::compact, P::left}, {4, 880, 512, 128}, {}},
        {"CollapsedOverTheNotchSitsLower", laptop, Input{M::collapsed}, {690, 950 + 8 + 26 - 84, 132, 84}, {}},
        {"BelowTheMenuBar", hd, Input{M::compact, P::center, false}, {704, 1080 - 26 + 26 - 128, 512, 128}, {}},
        {"SecondDisplay", screen(1920, 1280, 800), Input{}, {1920 + 640 - 256, 800 + 26 - 128, 512, 128}, {}},
        {"CustomSpotOffTheRightAndBelowTheBottom", hd, Input{M::compact, P::center, true, GPoint{5000, 5000}}, {1920 - 60, 76 + 26 - 128, 512, 128}, {}},
        {"CustomSpotOffTheLeftAndTop", hd, Input{M::compact, P::center, true, GPoint{-5000, -300}}, {-512 + 60, 978, 512, 128}, {}},
        {"CustomSpotCollapsedStaysInside", hd, Input{M::collapsed, P::center, true, GPoint{5000, 0}}, {1920 - 26 - 60, 1106 - 76, 112, 76}, {}},
        {"CustomSpotSnapsUpAroundTheNotch", laptop, Input{M::compact, P::center, true, GPoint{480, 10}}, {480, 848, 512, 160}, QRectF(157.5, 0, 185, 32)},
        {"CustomSpotAwayFromTheNotch", laptop, Input{M::compact, P::center, true, GPoint{480, 300}}, {480, 682 + 26 - 128, 512, 128}, {}},
        // clang-format on
    };
    for (const auto& r : rows) {
        const Result got = layout(r.screen, r.input);
        EXPECT_EQ(got.panelFrame, r.panel) << r.name;
        EXPECT_EQ(got.notchLocal, r.notch) << r.name;
        // The input region: the body under the top halo, inside the margins.
        EXPECT_EQ(got.contentRect, QRectF(26, 26, got.panelFrame.width - 52, got.panelFrame.height - 52))
            << r.name;
    }
}

TEST(IslandPlacement, TargetScreenAndCover) {
    const auto a = screen(0, 1280, 800, 24, 0, 0, "A"), b = screen(1280, 1920, 1080, 24, 0, 0, "B");
    EXPECT_EQ(targetScreen({a, b}, std::nullopt)->name, "A") << "the system's first";
    EXPECT_EQ(targetScreen({a, b}, "name:B")->name, "B");
    EXPECT_EQ(targetScreen({a, b}, "name:gone")->name, "A") << "a pinned display that is away";
    EXPECT_EQ(targetScreen({}, "name:B"), std::nullopt);

    EXPECT_TRUE(covers({0.5, -2.9, 1919, 1082}, {0, 0, 1920, 1080}));
    EXPECT_FALSE(covers({0, 0, 1920, 1050}, {0, 0, 1920, 1080})) << "a maximised window under a panel";
    EXPECT_FALSE(covers(b.frame, a.frame)) << "the other display";
}
