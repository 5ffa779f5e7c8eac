#include "theme/Shapes.h"

#include <gtest/gtest.h>

#include <optional>

namespace fray {
namespace {

const QRectF island(0, 0, 460, 108);
const QRectF centredNotch(137.5, 0, 185, 32);

TEST(IslandShape, NotchAcceptance) {
    // r = 20 and fillet = 12 here, so the notch must start beyond x = 34 and end before 426.
    for (auto [name, notch, wrapped] : {std::tuple{"no notch", std::optional<QRectF>(), false},
                                        {"centred 185 x 32", centredNotch, true},
                                        {"4 points tall", QRectF(137.5, 0, 185, 4), false},
                                        {"just over 4 tall", QRectF(137.5, 0, 185, 4.5), true},
                                        {"reaches to 8 above the bottom", QRectF(137.5, 0, 185, 100), false},
                                        {"stops 8.5 above the bottom", QRectF(137.5, 0, 185, 99.5), true},
                                        {"left edge at r + fillet + 2", QRectF(34, 0, 100, 32), false},
                                        {"left edge just inside", QRectF(34.5, 0, 100, 32), true},
                                        {"right edge at W - r - fillet - 2", QRectF(326, 0, 100, 32), false},
                                        {"right edge just inside", QRectF(325.5, 0, 100, 32), true},
                                        {"starts left of the island", QRectF(-20, 0, 185, 32), false}}) {
        SCOPED_TRACE(name);
        IslandShape shape{notch};
        EXPECT_EQ(shape.wrapsNotch(island), wrapped);
        // The notch is cut out of the body, wherever the island sits, only when it is wrapped.
        for (QPointF origin : {QPointF(0, 0), QPointF(26, 26)}) {
            QPainterPath path = shape.path(island.translated(origin));
            EXPECT_EQ(path.boundingRect(), island.translated(origin));
            if (!notch) continue;
            EXPECT_EQ(
                path.contains(origin + QPointF(notch->center().x(), std::min(2.0, notch->height() / 2))),
                !wrapped);
        }
    }
}

TEST(IslandShape, CornerAndBiteRadii) {
    // The corner is 20 but at most half the shorter side; the bite is 9 but at most half the notch.
    for (auto [rect, corner] :
         {std::pair{island, 20.0}, {QRectF(0, 0, 460, 30), 15.0}, {QRectF(0, 0, 24, 108), 12.0}})
        EXPECT_DOUBLE_EQ(IslandShape{centredNotch}.cornerRadius(rect), corner)
            << rect.width() << " x " << rect.height();
    for (auto [height, bite] : {std::pair{32.0, 9.0}, {18.0, 9.0}, {10.0, 5.0}})
        EXPECT_DOUBLE_EQ(IslandShape{QRectF(137.5, 0, 185, height)}.biteRadius(), bite) << height;
    EXPECT_DOUBLE_EQ(IslandShape{}.biteRadius(), 9);
}

TEST(Slant, OutlineLeansAwayFromTheCentre) {
    // Player 1's top edge starts 4.5 in from the left; player 2 is the mirror image.
    const QRectF bar(10, 0, 100, 10);
    struct Case {
        bool mirrored;
        QPointF corners[4];
    } cases[] = {{false, {{14.5, 0}, {110, 0}, {105.5, 10}, {10, 10}}},
                 {true, {{10, 0}, {105.5, 0}, {110, 10}, {14.5, 10}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mirrored);
        QPainterPath p = Slant{c.mirrored}.path(bar);
        ASSERT_EQ(p.elementCount(), 5);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(QPointF(p.elementAt(i)), c.corners[i]) << i;
    }
}

} // namespace
} // namespace fray
