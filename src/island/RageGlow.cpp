#include "RageGlow.h"

#include "theme/Vortan.h"

#include <cmath>

namespace fray::RageGlow {

double pulse(Instant t) {
    return 0.55 + 0.45 * std::sin(5 * Redraw::phase(t));
}

Effects::Shadow shadow(Instant t) {
    double p = pulse(t);
    return Effects::glow(Vortan::rageRed(), 0.32 + 0.4 * p, 6 + 4 * p);
}

void apply(QPainter& p, const QRectF& bounds, bool active, Instant t, const Effects::Content& content) {
    if (!active) {
        content(p);
        return;
    }
    Effects::drawWithShadow(p, bounds, shadow(t), content);
}

void schedule(RedrawSchedule& s, bool active, const QRectF& bounds, Instant t) {
    if (active) s.add(t + Redraw::glowInterval, bounds.adjusted(-reach, -reach, reach, reach));
}

} // namespace fray::RageGlow
