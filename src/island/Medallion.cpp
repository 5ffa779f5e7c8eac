#include "Medallion.h"

#include "theme/Effects.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>

namespace fray::Medallion {

Figures figures(const IslandModel& m, Instant now) {
    std::int64_t elapsed = Redraw::elapsedSeconds(m.stateSince, now);
    std::int64_t minutes = std::min<std::int64_t>(elapsed / 60, 99);
    Figures f;
    bool idle = m.status == IslandStatus::idle;
    if (minutes >= 1 && !idle) f.minutes = QString::number(minutes) + "M";
    f.seconds = idle ? QStringLiteral("--") : QString::asprintf("%02d", int(elapsed % 60));
    f.secondsSize = minutes == 0 ? 19 : 16;
    return f;
}

void paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant now) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = rect.center();

    // The face never changes: drawn once per scale and reused.
    Effects::drawCached(p, QStringLiteral("medallion-face"), rect, [&](QPainter& q) {
        QRadialGradient disc(c, 24);
        disc.setColorAt(2.0 / 24, QColor::fromRgbF(0.16f, 0.17f, 0.25f));
        disc.setColorAt(1, QColor::fromRgbF(0.05f, 0.05f, 0.09f));
        q.setPen(Qt::NoPen);
        q.setBrush(disc);
        q.drawEllipse(rect);
        QLinearGradient rim(rect.topLeft(), rect.bottomLeft());
        rim.setColorAt(0, Vortan::goldLight());
        rim.setColorAt(1, Vortan::goldDark());
        q.setBrush(Qt::NoBrush);
        q.setPen(QPen(QBrush(rim), 2.5));
        q.drawEllipse(rect.adjusted(1.25, 1.25, -1.25, -1.25));
    });

    const Figures f = figures(m, now);
    const bool showMinutes = !f.minutes.isEmpty();
    const Text::Shaped mins = Text::shape(f.minutes, Vortan::kerned(Vortan::fontDemi(8.5), 0.4));
    const Text::Shaped secs = Text::shape(f.seconds, Vortan::font(f.secondsSize));
    const double stackH = showMinutes ? mins.height() - 3 + secs.height() : secs.height();
    const bool minutesRun = Redraw::elapsedSeconds(m.stateSince, now) >= 60;
    const double dx = -1, dy = minutesRun ? 1 : 0;
    double top = c.y() - stackH / 2 + dy;
    if (showMinutes) {
        Text::draw(p, mins, QPointF(c.x() + dx - mins.advance / 2, top + mins.ascent), Vortan::gold());
        top += mins.height() - 3;
    }
    const QPointF origin(c.x() + dx - secs.advance / 2, top + secs.ascent);
    const QRectF lineBox(origin.x(), top, secs.advance, secs.height());
    QLinearGradient shine(lineBox.topLeft(), lineBox.bottomLeft());
    shine.setColorAt(0, Qt::white);
    shine.setColorAt(1, Vortan::goldLight());
    Effects::drawWithShadow(p, lineBox.adjusted(-3, -3, 3, 3),
                            {QColor::fromRgbF(0, 0, 0, 0.8f), 1, QPointF(1, 1)},
                            [&](QPainter& q) { Text::draw(q, secs, origin, shine); });
    p.restore();
}

void schedule(RedrawSchedule& s, const QRectF& rect, const IslandModel& m, Instant now) {
    if (m.status == IslandStatus::idle) return; // "--" does not tick
    s.add(Redraw::nextSecond(m.stateSince, now), rect);
}

QString tooltip() {
    return QStringLiteral(
        "Round timer: time in the current state — seconds, with minutes above once it passes 1:00");
}

} // namespace fray::Medallion
