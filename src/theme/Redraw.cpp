#include "Redraw.h"

#include <algorithm>
#include <cmath>

namespace fray {

std::optional<Instant> RedrawSchedule::next() const {
    std::optional<Instant> best;
    for (const auto& i : items_)
        if (!best || i.due < *best) best = i.due;
    return best;
}

QRectF RedrawSchedule::areaDueBy(Instant t) const {
    QRectF area;
    for (const auto& i : items_)
        if (i.due <= t) area = area.united(i.area);
    return area;
}

namespace Redraw {

Instant nextSecond(Instant since, Instant t) {
    double e = secondsBetween(since, t);
    return since + (e < 0 ? 1.0 : std::floor(e) + 1);
}

std::int64_t elapsedSeconds(Instant since, Instant t) {
    double e = secondsBetween(since, t);
    return e <= 0 ? 0 : static_cast<std::int64_t>(e);
}

} // namespace Redraw
} // namespace fray
