#pragma once

#include "IslandModel.h"
#include "theme/Redraw.h"

#include <QColor>
#include <QPainter>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace fray {

// One fighter of the roster.
namespace SessionRow {
QColor colour(SessionStatus s);
QString moveWord(const SessionInfo& s);
// "m:ss" in the current state, minutes capped at 99.
QString age(const SessionInfo& s, Instant now);
QString tooltip();

void paint(QPainter& p, const QRectF& row, const SessionInfo& s, bool hovering, Instant now);
} // namespace SessionRow

// The roster under the compact HUD while the island is expanded.
namespace ExpandedList {

double height(const IslandModel& m, Instant now);

struct Row {
    QRectF rect;
    const SessionInfo* session;
};
// The clickable rows, top to bottom.
std::vector<Row> rows(const QRectF& frame, const IslandModel& m);

// `hoveredRow` is the id of the row under the pointer (view-local state of the owner).
void paint(QPainter& p, const QRectF& frame, const IslandModel& m,
           const std::optional<std::string>& hoveredRow, Instant now);
void schedule(RedrawSchedule& s, const QRectF& frame, const IslandModel& m, Instant now);

} // namespace ExpandedList
} // namespace fray
