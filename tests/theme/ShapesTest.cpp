#include "theme/Shapes.h"

#include <gtest/gtest.h>

#include <optional>

namespace fray {
namespace {

const QRectF island(0, 0, 460, 108);
const QRectF centredNotch(137.5, 0, 185, 32);

TEST(IslandShape, NotchAcceptance) {
    // r = 20 and fillet = 12 here: the notch must be over 4 tall, stop over 8 above the
    // bottom, and keep r + fillet + 2 from either side. Each row sits on one limit.
    for (auto [name, notch, wrapped] :
         {std::tuple{"no notch", std::optional<QRectF>(), false},
          {"centred 185 x 32", centredNotch, true},
          {"4 points tall", QRectF(137.5, 0, 185, 4), false},
          {"reaches to 8 above the bottom", QRectF(137.5, 0, 185, 100), false},
          {"left edge at r + fillet + 2", QRectF(34, 0, 100, 32), false},
          {"right edge at W - r - fillet - 2", QRectF(326, 0, 100, 32), false}}) {
        SCOPED_TRACE(name);
        IslandShape shape{notch};
        EXPECT_EQ(shape.wrapsNotch(island), wrapped);
        // The notch is cut out of the body, wherever the island sits, only when it is wrapped.
        const QPointF origin(26, 26);
        QPainterPath path = shape.path(island.translated(origin));
        EXPECT_EQ(path.boundingRect(), island.translated(origin));
        if (notch) {
            EXPECT_EQ(
                path.contains(origin + QPointF(notch->center().x(), std::min(2.0, notch->height() / 2))),
                !wrapped);
        }
    }
}

} // namespace
} // namespace fray
