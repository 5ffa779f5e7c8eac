#pragma once

#include <optional>

namespace fray {

// A rectangle in global screen coordinates: points, origin at the bottom-left of the
// primary display, y growing upwards. The platform layer converts from the window
// system's y-down coordinates once, so placement formulas read as designed.
struct GRect {
    double x = 0, y = 0, width = 0, height = 0;

    double left() const { return x; }
    double right() const { return x + width; }
    double bottom() const { return y; }
    double top() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    bool contains(double px, double py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    GRect insetBy(double dx, double dy) const { return {x + dx, y + dy, width - 2 * dx, height - 2 * dy}; }
    bool operator==(const GRect&) const = default;
};

struct GPoint {
    double x = 0, y = 0;
    bool operator==(const GPoint&) const = default;
};

} // namespace fray
