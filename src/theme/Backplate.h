#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace fray {

// The dark plate that fills the island and the settings window: a vertical plate
// gradient, a faint diagonal hatch and a sheen fading out at the middle, all inside `shape`.
struct Backplate {
    QPainterPath shape;

    // `frame` is the rectangle the gradients and the hatch span; by default the shape's bounds.
    void paint(QPainter& p) const { paint(p, shape.boundingRect()); }
    void paint(QPainter& p, const QRectF& frame) const;

    static constexpr double hatchStep = 7;
    static constexpr double hatchOpacity = 0.025;
    static constexpr double sheenOpacity = 0.1;
};

} // namespace fray
