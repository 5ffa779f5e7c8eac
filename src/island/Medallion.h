#pragma once

#include "IslandModel.h"
#include "theme/Redraw.h"

#include <QPainter>
#include <QString>

namespace fray {

// The round timer between the fighters: time in player 1's current state.
namespace Medallion {

inline constexpr double size = 42;

struct Figures {
    QString minutes; // empty when hidden
    QString seconds;
    double secondsSize = 19;
};
Figures figures(const IslandModel& m, Instant now);

void paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant now);
void schedule(RedrawSchedule& s, const QRectF& rect, const IslandModel& m, Instant now);

QString tooltip();

} // namespace Medallion
} // namespace fray
