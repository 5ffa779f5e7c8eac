#pragma once

#include <QPainterPath>
#include <QRectF>

#include <optional>

namespace fray {

// A rounded rectangle with "continuous" corners: each corner curve starts further along
// the edge than a circular arc and passes through the arc's midpoint, so the straight
// edges flow into the corners without a visible kink. When the radius is as large as the
// rectangle allows, the corner falls back to the circular arc.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

// The island's outline; its top edge dips down around the display's notch.
struct IslandShape {
    std::optional<QRectF> notch; // in the shape's own coordinates (origin at its top-left)
    double corner = 20;
    double fillet = 12;
    double biteCorner = 9;

    // The outer corner radius used in `rect`.
    double cornerRadius(const QRectF& rect) const;
    // Whether the notch is wrapped; a notch too flat, too deep or too close to a side is ignored.
    bool wrapsNotch(const QRectF& rect) const;
    // Radius of the notch's lower corners.
    double biteRadius() const;

    QPainterPath path(const QRectF& rect) const;
};

// The slanted outline of a health bar; mirrored for player 2.
struct Slant {
    bool mirrored = false;

    // How far the top and bottom edges are offset from each other.
    static double lean(double height);
    QPainterPath path(const QRectF& rect) const;
};

// The rhombus inscribed in its rectangle (the roster marker).
struct Diamond {
    QPainterPath path(const QRectF& rect) const;
};

} // namespace fray
