#pragma once

#include "HealthBar.h"

#include <QPainter>
#include <QString>

namespace fray {

// The fixed upper band of the open island: both fighters, the round timer and the
// status line.
namespace CompactHUD {

struct Layout {
    QRectF p1, p2, medallion, status;
};
// `frame` is the island's width by IslandLayout::compactHeight.
Layout layout(const QRectF& frame);

void paint(QPainter& p, const QRectF& frame, const IslandModel& m, const StaminaRamp& ramp, Instant t);
void schedule(RedrawSchedule& s, const QRectF& frame, const IslandModel& m, const StaminaRamp& ramp,
              Instant t);
QString tooltipAt(const QRectF& frame, const IslandModel& m, QPointF pos, Instant t);

// Player 2 is always the agent.
inline const char* const p2Name = "CLAUDE";

} // namespace CompactHUD
} // namespace fray
