#pragma once

#include "HealthBar.h"
#include "Roster.h"

#include <QPainter>
#include <QString>

#include <optional>
#include <string>

namespace fray {

// View-local state of the open island, kept by its owner between frames.
struct IslandViewState {
    StaminaRamp ramp;
    std::optional<std::string> hoveredRow; // id of the roster row under the pointer
};

// The open island: the compact HUD and, expanded, the roster, inside the island body
// with its gold rim, drop shadow and (while player 1 needs the user) the rage glow.
namespace IslandView {

// Island height: the notch's height, the HUD and the roster when expanded.
double height(const IslandModel& m, const std::optional<QRectF>& notch, Instant now);
QRectF bodyRect(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, Instant now);
QRectF hudFrame(QPointF topLeft, const std::optional<QRectF>& notch);
QRectF listFrame(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, Instant now);

void paint(QPainter& p, QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
           const IslandViewState& state, Instant t);
void schedule(RedrawSchedule& s, QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
              const IslandViewState& state, Instant t);

// The roster rows that take clicks (only while expanded).
std::vector<ExpandedList::Row> rows(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
                                    Instant now);
QString tooltipAt(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, QPointF pos,
                  Instant now);

// How far shadow and glow reach outside the body, in points.
inline constexpr double reach = 26;

} // namespace IslandView
} // namespace fray
