#include "island/Shapes.h"

#include <gtest/gtest.h>

#include <optional>

namespace fray {
namespace {

const QRectF island(0, 0, 460, 108);

struct NotchCase {
    const char* name;
    std::optional<QRectF> notch;
    bool wrapped;
};

TEST(IslandShape, NotchAcceptance) {
    // r = 20 and fillet = 12 here, so the notch must start beyond x = 34 and end before 426.
    const NotchCase cases[] = {
        {"no notch", std::nullopt, false},
        {"centred 185 x 32", QRectF(137.5, 0, 185, 32), true},
        {"3 points tall", QRectF(137.5, 0, 185, 3), false},
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
        if (c.notch) {
            QPointF inNotch(c.notch->center().x(), std::min(2.0, c.notch->height() / 2));
            EXPECT_EQ(path.contains(inNotch), !c.wrapped);
        }
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
        {"regular island", island, QRectF(137.5, 0, 185, 32), 20, 9},
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

TEST(IslandShape, WrappedBodyHugsTheNotch) {
    QRectF notch(137.5, 0, 185, 32);
    QPainterPath path = IslandShape{notch}.path(island);
    EXPECT_TRUE(path.contains(QPointF(230, 33))) << "just below the notch is body";
    EXPECT_TRUE(path.contains(QPointF(136.5, 20))) << "beside the notch is body";
    EXPECT_FALSE(path.contains(QPointF(138.5, 20))) << "inside the notch is not";
    EXPECT_TRUE(path.contains(QPointF(138, 31))) << "the notch's lower corner is rounded into the body";
    EXPECT_FALSE(path.contains(QPointF(140, 29)));
    EXPECT_FALSE(path.contains(QPointF(0.5, 0.5))) << "outer corners are rounded";
}

TEST(IslandShape, ShapeFollowsTheRectanglesOrigin) {
    QRectF moved(26, 26, 460, 108);
    QPainterPath path = IslandShape{QRectF(137.5, 0, 185, 32)}.path(moved);
    EXPECT_EQ(path.boundingRect(), moved);
    EXPECT_FALSE(path.contains(QPointF(26 + 230, 26 + 10)));
    EXPECT_TRUE(path.contains(QPointF(26 + 230, 26 + 40)));
}

TEST(ContinuousRoundedRect, CornersBeginEarlierThanACircularArc) {
    QRectF r(0, 0, 200, 100);
    QPainterPath continuous = continuousRoundedRect(r, 20);
    QPainterPath circular;
    circular.addRoundedRect(r, 20, 20);
    QPointF nearEdge(21, 0.12); // just past where a circular corner meets the top edge
    EXPECT_TRUE(circular.contains(nearEdge));
    EXPECT_FALSE(continuous.contains(nearEdge));
    // Both pass (almost) through the arc's midpoint.
    QPointF mid(20 - 20 / std::sqrt(2.0), 20 - 20 / std::sqrt(2.0));
    EXPECT_TRUE(continuous.contains(mid + QPointF(0.3, 0.3)));
    EXPECT_FALSE(continuous.contains(mid - QPointF(0.3, 0.3)));
}

TEST(ContinuousRoundedRect, RadiusIsLimitedByTheShorterSide) {
    QRectF pill(0, 0, 100, 30);
    QPainterPath p = continuousRoundedRect(pill, 40);
    EXPECT_EQ(p.boundingRect(), pill);
    EXPECT_TRUE(p.contains(QPointF(1, 15))) << "the rounded end still reaches the side";
    EXPECT_FALSE(p.contains(QPointF(2, 2)));
}

TEST(Slant, LeanIsCappedAtSixPoints) {
    struct Case {
        double height, lean;
    } cases[] = {{10, 4.5}, {13, 5.85}, {13.4, 6}, {20, 6}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_DOUBLE_EQ(Slant::lean(c.height), c.lean);
    }
}

TEST(Slant, OutlineLeansAwayFromTheCentre) {
    QRectF bar(10, 0, 100, 10);
    QPainterPath p1 = Slant{false}.path(bar);
    QPainterPath p2 = Slant{true}.path(bar);
    ASSERT_EQ(p1.elementCount(), 5);
    ASSERT_EQ(p2.elementCount(), 5);
    // Player 1: the top edge starts 4.5 in from the left, the bottom edge ends 4.5 short of the right.
    EXPECT_EQ(QPointF(p1.elementAt(0)), QPointF(14.5, 0));
    EXPECT_EQ(QPointF(p1.elementAt(1)), QPointF(110, 0));
    EXPECT_EQ(QPointF(p1.elementAt(2)), QPointF(105.5, 10));
    EXPECT_EQ(QPointF(p1.elementAt(3)), QPointF(10, 10));
    // Player 2 is the mirror image.
    EXPECT_EQ(QPointF(p2.elementAt(0)), QPointF(10, 0));
    EXPECT_EQ(QPointF(p2.elementAt(1)), QPointF(105.5, 0));
    EXPECT_EQ(QPointF(p2.elementAt(2)), QPointF(110, 10));
    EXPECT_EQ(QPointF(p2.elementAt(3)), QPointF(14.5, 10));
}

TEST(Diamond, InscribedInItsRectangle) {
    QPainterPath d = Diamond{}.path(QRectF(0, 0, 8, 8));
    EXPECT_EQ(d.boundingRect(), QRectF(0, 0, 8, 8));
    EXPECT_TRUE(d.contains(QPointF(4, 4)));
    EXPECT_FALSE(d.contains(QPointF(1, 1)));
    EXPECT_FALSE(d.contains(QPointF(7, 7)));
}

} // namespace
} // namespace fray
