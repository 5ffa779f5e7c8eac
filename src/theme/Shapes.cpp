#include "Shapes.h"

#include <algorithm>

namespace fray {

namespace {
// A circular arc of radius r, drawn as one cubic, passes 0.2929 r from the corner.
constexpr double arcMidpoint = 0.29289321881;
constexpr double continuousExtent = 1.28195;
} // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, double radius) {
    QPainterPath p;
    double w = rect.width(), h = rect.height();
    double half = std::min(w, h) / 2;
    double r = std::clamp(radius, 0.0, half);
    if (r <= 0) {
        p.addRect(rect);
        return p;
    }
    double a = std::min(continuousExtent * r, half);  // where the curve leaves the edge
    double c = (arcMidpoint * r - 0.125 * a) / 0.375; // control distance from the corner
    double l = rect.left(), t = rect.top(), rr = rect.right(), b = rect.bottom();
    p.moveTo(l + a, t);
    p.lineTo(rr - a, t);
    p.cubicTo(rr - c, t, rr, t + c, rr, t + a);
    p.lineTo(rr, b - a);
    p.cubicTo(rr, b - c, rr - c, b, rr - a, b);
    p.lineTo(l + a, b);
    p.cubicTo(l + c, b, l, b - c, l, b - a);
    p.lineTo(l, t + a);
    p.cubicTo(l, t + c, l + c, t, l + a, t);
    p.closeSubpath();
    return p;
}

double IslandShape::cornerRadius(const QRectF& rect) const {
    return std::min(corner, std::min(rect.width(), rect.height()) / 2);
}

bool IslandShape::wrapsNotch(const QRectF& rect) const {
    if (!notch) return false;
    double r = cornerRadius(rect);
    double W = rect.width(), H = rect.height();
    return notch->height() > 4 && notch->height() < H - 8 && notch->left() > r + fillet + 2 &&
           notch->right() < W - r - fillet - 2;
}

double IslandShape::biteRadius() const {
    return notch ? std::min(biteCorner, notch->height() / 2) : biteCorner;
}

QPainterPath IslandShape::path(const QRectF& rect) const {
    double r = cornerRadius(rect);
    if (!wrapsNotch(rect)) return continuousRoundedRect(rect, r);

    double W = rect.width(), H = rect.height();
    double x0 = notch->left(), x1 = notch->right(), h = notch->height();
    double f = fillet, b = biteRadius();
    QPainterPath p;
    p.moveTo(r, 0);
    p.lineTo(x0 - f, 0);
    p.quadTo(x0, 0, x0, f);
    p.lineTo(x0, h - b);
    p.quadTo(x0, h, x0 + b, h);
    p.lineTo(x1 - b, h);
    p.quadTo(x1, h, x1, h - b);
    p.lineTo(x1, f);
    p.quadTo(x1, 0, x1 + f, 0);
    p.lineTo(W - r, 0);
    p.quadTo(W, 0, W, r);
    p.lineTo(W, H - r);
    p.quadTo(W, H, W - r, H);
    p.lineTo(r, H);
    p.quadTo(0, H, 0, H - r);
    p.lineTo(0, r);
    p.quadTo(0, 0, r, 0);
    p.closeSubpath();
    p.translate(rect.topLeft());
    return p;
}

double Slant::lean(double height) {
    return std::min(0.45 * height, 6.0);
}

QPainterPath Slant::path(const QRectF& rect) const {
    double s = lean(rect.height());
    QPainterPath p;
    if (!mirrored) {
        p.moveTo(rect.left() + s, rect.top());
        p.lineTo(rect.right(), rect.top());
        p.lineTo(rect.right() - s, rect.bottom());
        p.lineTo(rect.left(), rect.bottom());
    } else {
        p.moveTo(rect.left(), rect.top());
        p.lineTo(rect.right() - s, rect.top());
        p.lineTo(rect.right(), rect.bottom());
        p.lineTo(rect.left() + s, rect.bottom());
    }
    p.closeSubpath();
    return p;
}

QPainterPath Diamond::path(const QRectF& rect) const {
    QPainterPath p;
    QPointF c = rect.center();
    p.moveTo(c.x(), rect.top());
    p.lineTo(rect.right(), c.y());
    p.lineTo(c.x(), rect.bottom());
    p.lineTo(rect.left(), c.y());
    p.closeSubpath();
    return p;
}

} // namespace fray
