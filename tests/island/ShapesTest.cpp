#include "island/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace fray {
namespace {

const QRectF island(0, 0, 460, 108);
const QRectF notch(137.5, 0, 185, 32);

TEST(IslandShape, NotchAcceptance) {
    // r = 20 and fillet = 12 here, so the notch must start beyond x = 34 and end before 426.
    struct Case {
        const char* name;
        std::optional<QRectF> notch;
        bool wrapped;
    } cases[] = {
        {"no notch", std::nullopt, false},
        {"centred 185 x 32", notch, true},
        {"4 points tall", QRectF(137.5, 0, 185, 4), false},
        {"just over 4 tall", QRectF(137.5, 0, 185, 4.5), true},
        {"reaches to 8 above the bottom", QRectF(137.5, 0, 185, 100), false},
        {"stops 8.5 above the bottom", QRectF(137.5, 0, 185, 99.5), true},
        {"left edge at r + fillet + 2", QRectF(34, 0, 100, 32), false},
        {"left edge just inside", QRectF(34.5, 0, 100, 32), true},
        {"right edge at W - r - fillet - 2", QRectF(326, 0, 100, 32), false},
        {"right edge just inside", QRectF(325.5, 0, 100, 32), true},
        {"starts left of the island", QRectF(-20, 0, 185, 32), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandShape shape{c.notch};
        EXPECT_EQ(shape.wrapsNotch(island), c.wrapped);
        QPainterPath path = shape.path(island);
        // The middle of the notch is cut out of the body only when the notch is wrapped.
        if (c.notch) { EXPECT_EQ(path.contains(QPointF(c.notch->center().x(), std::min(2.0, c.notch->height() / 2))), !c.wrapped); }
        EXPECT_EQ(path.boundingRect(), island);
    }
}

TEST(IslandShape, CornerAndBiteRadii) {
    struct Case {
        const char* name;
        QRectF rect;
        std::optional<QRectF> notch;
        double corner, bite;
    } cases[] = {
        {"regular island", island, notch, 20, 9},
        {"flat island", QRectF(0, 0, 460, 30), std::nullopt, 15, 9},
        {"narrow island", QRectF(0, 0, 24, 108), std::nullopt, 12, 9},
        {"10-point notch bites with half its height", island, QRectF(137.5, 0, 185, 10), 20, 5},
        {"18-point notch keeps the full bite", island, QRectF(137.5, 0, 185, 18), 20, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandShape shape{c.notch};
        EXPECT_DOUBLE_EQ(shape.cornerRadius(c.rect), c.corner);
        EXPECT_DOUBLE_EQ(shape.biteRadius(), c.bite);
    }
}

TEST(IslandShape, WrappedBodyHugsTheNotchWhereverTheIslandIs) {
    struct Probe {
        const char* name;
        QPointF at;
        bool body;
    } probes[] = {
        {"just below the notch", {230, 33}, true},
        {"beside the notch", {136.5, 20}, true},
        {"inside the notch", {138.5, 20}, false},
        {"the notch's lower corner is rounded into the body", {138, 31}, true},
        {"above that rounding", {140, 29}, false},
        {"outer corners are rounded", {0.5, 0.5}, false},
    };
    for (QPointF origin : {QPointF(0, 0), QPointF(26, 26)}) {
        QPainterPath path = IslandShape{notch}.path(island.translated(origin));
        EXPECT_EQ(path.boundingRect(), island.translated(origin));
        for (const auto& p : probes) {
            SCOPED_TRACE(testing::Message() << p.name << " at origin " << origin.x());
            EXPECT_EQ(path.contains(p.at + origin), p.body);
        }
    }
}

TEST(ContinuousRoundedRect, CornersBeginEarlierThanACircularArcAndFitTheShortSide) {
    QPainterPath continuous = continuousRoundedRect(QRectF(0, 0, 200, 100), 20);
    QPainterPath circular;
    circular.addRoundedRect(QRectF(0, 0, 200, 100), 20, 20);
    const QPointF nearEdge(21, 0.12); // just past where a circular corner meets the top edge
    EXPECT_TRUE(circular.contains(nearEdge));
    EXPECT_FALSE(continuous.contains(nearEdge));
    const QPointF mid(20 - 20 / std::sqrt(2.0), 20 - 20 / std::sqrt(2.0)); // both pass near the arc's midpoint
    EXPECT_TRUE(continuous.contains(mid + QPointF(0.3, 0.3)));
    EXPECT_FALSE(continuous.contains(mid - QPointF(0.3, 0.3)));

    QPainterPath pill = continuousRoundedRect(QRectF(0, 0, 100, 30), 40);
    EXPECT_EQ(pill.boundingRect(), QRectF(0, 0, 100, 30));
    EXPECT_TRUE(pill.contains(QPointF(1, 15))) << "the rounded end still reaches the side";
}

TEST(Slant, LeanIsCappedAtSixPoints) {
    struct Case {
        double height, lean;
    } cases[] = {{10, 4.5}, {13, 5.85}, {13.4, 6}, {20, 6}, {0, 0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Slant::lean(c.height), c.lean) << c.height;
}

TEST(Slant, OutlineLeansAwayFromTheCentre) {
    // Player 1's top edge starts 4.5 in from the left; player 2 is the mirror image.
    const QRectF bar(10, 0, 100, 10);
    struct Case {
        bool mirrored;
        QPointF corners[4];
    } cases[] = {{false, {{14.5, 0}, {110, 0}, {105.5, 10}, {10, 10}}}, {true, {{10, 0}, {105.5, 0}, {110, 10}, {14.5, 10}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mirrored);
        QPainterPath p = Slant{c.mirrored}.path(bar);
        ASSERT_EQ(p.elementCount(), 5);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(QPointF(p.elementAt(i)), c.corners[i]) << i;
    }
}

} // namespace
} // namespace fray
