#include "CompactHUD.h"

#include "Medallion.h"
#include "PlanViews.h"
#include "PlayerSide.h"
#include "StatusLine.h"
#include "theme/Effects.h"
#include "theme/Vortan.h"

namespace fray::CompactHUD {

namespace {
constexpr double padX = 14, padTop = 8, padBottom = 7, sidesHeight = 30, gap = 46, spacing = 3;
} // namespace

Layout layout(const QRectF& frame) {
    const double contentH = padTop + sidesHeight + spacing + StatusLine::height + padBottom;
    const double top = frame.top() + (frame.height() - contentH) / 2 + padTop;
    const double inner = frame.width() - 2 * padX;
    const double sideW = (inner - gap) / 2;
    Layout l;
    l.p1 = QRectF(frame.left() + padX, top, sideW, PlayerSide::height());
    l.p2 = QRectF(frame.right() - padX - sideW, top, sideW, PlayerSide::height());
    const QPointF c = frame.center() - QPointF(0, 15);
    l.medallion =
        QRectF(c.x() - Medallion::size / 2, c.y() - Medallion::size / 2, Medallion::size, Medallion::size);
    l.status = QRectF(frame.left() + padX, top + sidesHeight + spacing, inner, StatusLine::height);
    return l;
}

void paint(QPainter& p, const QRectF& frame, const IslandModel& m, const StaminaRamp& ramp, Instant t) {
    const Layout l = layout(frame);
    auto draw = [&](QPainter& q) {
        PlayerSide(QString::fromStdString(m.p1Name), Vortan::p1Blue(), false, m, ramp).paint(q, l.p1, t);
        PlayerSide(p2Name, Vortan::p2Red(), true, m, ramp).paint(q, l.p2, t);
        StatusLine::paint(q, l.status, m, t);
        Medallion::paint(q, l.medallion, m, t);
    };
    // With nobody to fight the whole HUD waits greyed out.
    if (m.status == IslandStatus::idle)
        Effects::drawGroup(p, frame, 0.82, 0.35, draw);
    else
        draw(p);
}

void schedule(RedrawSchedule& s, const QRectF& frame, const IslandModel& m, const StaminaRamp& ramp,
              Instant t) {
    const Layout l = layout(frame);
    PlayerSide(QString(), Vortan::p1Blue(), false, m, ramp).schedule(s, l.p1, t);
    PlayerSide(QString(), Vortan::p2Red(), true, m, ramp).schedule(s, l.p2, t);
    Medallion::schedule(s, l.medallion, m, t);
    StatusLine::schedule(s, l.status, m, t);
}

QString tooltipAt(const QRectF& frame, const IslandModel& m, QPointF pos, Instant t) {
    const Layout l = layout(frame);
    if (QLineF(pos, l.medallion.center()).length() <= Medallion::size / 2) return Medallion::tooltip();
    if (PlanBadge::visible(m.plan, t) &&
        StatusLine::planBadgeRect(l.status, m, t).adjusted(-2, -2, 2, 2).contains(pos))
        return PlanBadge::tooltip(m.plan, t);
    return {};
}

} // namespace fray::CompactHUD
