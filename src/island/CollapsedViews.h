#pragma once

#include "IslandModel.h"
#include "theme/Redraw.h"

#include <QColor>
#include <QPainter>
#include <QString>

namespace fray {

// Shared by both collapsed views.
namespace Collapsed {
bool isPoweringUp(const IslandModel& m, Instant now);
// sin(π e / 1.5) during the 1.5 s after a power-up, else 0.
double flare(const IslandModel& m, Instant t);
void schedule(RedrawSchedule& s, const QRectF& area, const IslandModel& m, Instant t);
} // namespace Collapsed

// The live collapsed island: a small plate the size of the menu bar.
namespace BarMini {
QColor statusColour(IslandStatus s);
double cornerRadius(double height);
double labelSize(double height);
double badgeFontSize(double height);
QString label(const IslandModel& m, Instant now);
// The session count (capped at 99), empty below two sessions.
QString badge(const IslandModel& m);

void paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant t);
} // namespace BarMini

// The fixed 58 x 46 dial the renderers draw.
namespace CollapsedIsland {
inline constexpr double width = 58, height = 46;
QColor statusColor(IslandStatus s);
QString dialText(const IslandModel& m, Instant now);
QString badge(const IslandModel& m);

void paint(QPainter& p, QPointF topLeft, const IslandModel& m, Instant t);
} // namespace CollapsedIsland

} // namespace fray
