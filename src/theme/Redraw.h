#pragma once

#include "session/Instant.h"

#include <QRectF>

#include <optional>
#include <vector>

namespace fray {

// When each animated part of a view next changes, and where. The live window repaints
// only those areas, no sooner than they are due; a view that is settled adds nothing.
class RedrawSchedule {
  public:
    struct Item {
        Instant due;
        QRectF area;
    };

    void add(Instant due, const QRectF& area) { items_.push_back({due, area}); }

    std::optional<Instant> next() const;
    // Union of the areas due at or before `t`.
    QRectF areaDueBy(Instant t) const;
    const std::vector<Item>& items() const { return items_; }
    bool empty() const { return items_.empty(); }

  private:
    std::vector<Item> items_;
};

namespace Redraw {
// Minimum frame intervals of the animated parts.
inline constexpr double barInterval = 1.0 / 14;
inline constexpr double glowInterval = 1.0 / 12;
inline constexpr double drainInterval = 2.0;
inline constexpr double flareInterval = 0.05;

// The next instant at which whole seconds elapsed since `since` (never below 0) ticks over.
Instant nextSecond(Instant since, Instant t);
// Frame time in seconds, the phase of every periodic animation.
inline double phase(Instant t) {
    return toUnixSeconds(t);
}
// Whole seconds elapsed since `since`, truncated, never negative.
std::int64_t elapsedSeconds(Instant since, Instant t);
} // namespace Redraw

} // namespace fray
