#pragma once

#include "session/PlanUsage.h"
#include "theme/Redraw.h"

#include <QColor>
#include <QPainter>
#include <QString>

namespace fray {

// The three-step tint of a plan percentage.
namespace PlanTint {
QColor color(std::int64_t percent);
}

// The small plan figure at the right end of the status line.
namespace PlanBadge {
bool visible(const PlanUsage& plan, Instant now);
QSizeF size(const PlanUsage& plan, Instant now);
// Draws the badge right-aligned and vertically centred in `box`.
void paint(QPainter& p, const QRectF& box, const PlanUsage& plan, Instant now);
QString tooltip(const PlanUsage& plan, Instant now);
} // namespace PlanBadge

// The roster's plan line: both windows with their resets and the age of the cache.
namespace PlanLine {
inline constexpr double height = 18;
bool visible(const PlanUsage& plan, Instant now);
void paint(QPainter& p, const QRectF& frame, const PlanUsage& plan, Instant now);
} // namespace PlanLine

// The next instant at which any plan text or tint could read differently (age, staleness,
// reset countdowns); absent when nothing depends on time.
std::optional<Instant> nextPlanChange(const PlanUsage& plan, Instant now);

} // namespace fray
