#pragma once

#include "IslandModel.h"
#include "theme/Redraw.h"

#include <QPainter>
#include <QString>

namespace fray {

// The announcer's line under the fighters: where player 1 fights, the centre word,
// the fighter count and the plan badge.
namespace StatusLine {

inline constexpr double height = 26;

// "PROJECT  ·  branch", empty while idle.
QString location(const IslandModel& m);

enum class Word { awaiting, fight, fightOn, hits, yourMove, knockOut };
struct CentreWord {
    Word kind;
    QString main;   // the big word or number
    QString second; // "HIT"/"HITS" after a combo, the finish after "K.O.!"
};
CentreWord centreWord(const IslandModel& m);

// "×3" with two or more sessions, else empty.
QString count(const IslandModel& m);

// The heartbeat of "YOUR MOVE!": 0 to 1.
double movePulse(Instant t);

void paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant t);
void schedule(RedrawSchedule& s, const QRectF& rect, const IslandModel& m, Instant t);
QRectF planBadgeRect(const QRectF& rect, const IslandModel& m, Instant t);

} // namespace StatusLine
} // namespace fray
