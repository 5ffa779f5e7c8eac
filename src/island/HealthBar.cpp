#include "HealthBar.h"

#include "theme/Effects.h"
#include "theme/Shapes.h"
#include "theme/Vortan.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fray {

void StaminaRamp::update(double stamina, Instant now) {
    if (!shown) {
        from = to = stamina;
        start = distantPast();
        shown = true;
        return;
    }
    if (stamina == to) return;
    from = eased(now);
    to = stamina;
    start = now;
}

double StaminaRamp::eased(Instant t) const {
    double p = secondsBetween(start, t) / duration;
    double e = p < 0 ? 0 : 1 - std::pow(1 - std::min(p, 1.0), 3);
    return from + e * (to - from);
}

bool StaminaRamp::ramping(Instant t) const {
    double since = secondsBetween(start, t);
    return since >= 0 && since < duration;
}

double HealthBar::pressure(const IslandModel& m, Instant now) {
    if (m.status != IslandStatus::working) return 0;
    return std::clamp(secondsBetween(m.stateSince, now) / 600, 0.0, 1.0);
}

std::optional<HealthBar::Power> HealthBar::power(Instant t) const {
    if (mirrored_ || !m_.powerUpAt) return std::nullopt;
    double e = secondsBetween(*m_.powerUpAt, t);
    if (e < 0 || e > powerDuration) return std::nullopt;
    return Power{e / powerDuration, std::sin(std::numbers::pi * e / powerDuration)};
}

double HealthBar::fill(Instant t) const {
    if (m_.status == IslandStatus::idle) return 1;
    if (mirrored_) {
        switch (m_.status) {
        case IslandStatus::working:
            return std::min(0.7 + 0.3 * pressure(m_, t) + 0.04 * std::sin(2.1 * Redraw::phase(t)), 1.0);
        case IslandStatus::completed:
            return 0;
        default:
            return 1;
        }
    }
    return std::max((1 - 0.8 * pressure(m_, t)) * ramp_.eased(t), 0.02);
}

double HealthBar::trail(Instant t) const {
    double f = fill(t);
    double w = f;
    if (!mirrored_)
        w = std::min(f + 0.1, 1.0);
    else if (m_.status == IslandStatus::working)
        w = std::min(f + 0.15, 1.0);
    else if (m_.status == IslandStatus::completed)
        w = 0.22;
    return std::max(w, 0.0);
}

bool HealthBar::sheen(double fillWidth) const {
    return mirrored_ && m_.status == IslandStatus::working && fillWidth > 10;
}

bool HealthBar::animating(Instant t) const {
    if (mirrored_) return m_.status == IslandStatus::working;
    return power(t).has_value() || ramp_.ramping(t) || m_.status == IslandStatus::needsAction;
}

namespace {

// A slant of `width` aligned to the bar's leading edge (player 1) or trailing edge (player 2).
QRectF aligned(const QRectF& bar, double width, bool mirrored) {
    width = std::max(width, 0.0);
    return mirrored ? QRectF(bar.right() - width, bar.top(), width, bar.height())
                    : QRectF(bar.left(), bar.top(), width, bar.height());
}

} // namespace

void HealthBar::paint(QPainter& p, const QRectF& rect, Instant t) const {
    const double W = rect.width(), H = rect.height();
    const double phase = Redraw::phase(t);
    const double f = fill(t);
    const auto pw = power(t);
    const double flare = pw ? pw->flare : 0;
    const Slant slant{mirrored_};
    const QPainterPath whole = slant.path(rect);

    auto draw = [&](QPainter& q) {
        q.save();
        q.setRenderHint(QPainter::Antialiasing, true);
        if (flare > 0) {
            // The bar swells vertically about its centre with the flare.
            q.translate(rect.center());
            q.scale(1, 1 + 0.22 * flare);
            q.translate(-rect.center());
        }
        const QString side = mirrored_ ? QStringLiteral("p2") : QStringLiteral("p1");
        Effects::drawCached(q, "bar-track-" + side, rect,
                            [&](QPainter& c) { c.fillPath(whole, Vortan::barBack()); });
        q.fillPath(slant.path(aligned(rect, trail(t) * W, mirrored_)),
                   Vortan::withOpacity(Vortan::damageRed(), 0.8));

        const QRectF fillRect = aligned(rect, f * W, mirrored_);
        if (fillRect.width() > 0) {
            QPointF outer = mirrored_ ? fillRect.topRight() : fillRect.topLeft();
            QPointF inner = mirrored_ ? fillRect.topLeft() : fillRect.topRight();
            QLinearGradient g(outer, inner);
            g.setColorAt(0, Vortan::barPale());
            g.setColorAt(0.5, Vortan::barYellow());
            g.setColorAt(1, Vortan::barOrange());
            const QPainterPath fillPath = slant.path(fillRect);
            q.fillPath(fillPath, g);
            if (sheen(fillRect.width())) {
                double sweep = phase * 0.55;
                double x = fillRect.left() + (sweep - std::floor(sweep)) * (fillRect.width() + 84) - 42;
                QLinearGradient band(QPointF(x, 0), QPointF(x + 42, 0));
                band.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0));
                band.setColorAt(0.5, QColor::fromRgbF(1, 1, 1, 0.55f));
                band.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
                q.save();
                q.setClipPath(fillPath, Qt::IntersectClip);
                q.fillRect(QRectF(x, rect.top(), 42, H), band);
                q.restore();
            }
        }

        if (!mirrored_ && m_.status == IslandStatus::needsAction)
            q.fillPath(whole, Vortan::withOpacity(Vortan::rageRed(), 0.16 + 0.16 * std::sin(6 * phase)));

        if (pw) {
            q.fillPath(whole, Vortan::withOpacity(Vortan::barPale(), flare * 0.3));
            double x = rect.left() + (W + 112) * pw->progress - 56;
            QLinearGradient streak(QPointF(x, 0), QPointF(x + 56, 0));
            QColor clear = Vortan::withOpacity(Vortan::barPale(), 0);
            streak.setColorAt(0, clear);
            streak.setColorAt(0.25, Vortan::withOpacity(Vortan::barPale(), 0.75));
            streak.setColorAt(0.5, Qt::white);
            streak.setColorAt(0.75, Vortan::withOpacity(Vortan::barPale(), 0.75));
            streak.setColorAt(1, clear);
            // The streak is softened by a 1.5-point blur and masked by the bar.
            Effects::Layer streakLayer(q, rect, 3);
            streakLayer.painter().fillRect(QRectF(x, rect.top(), 56, H), streak);
            streakLayer.finish();
            Effects::blur(streakLayer.image(), Effects::sigmaFor(q, 1.5));
            q.save();
            q.setClipPath(whole, Qt::IntersectClip);
            streakLayer.drawInto(q);
            q.restore();
        }

        // Ticks cut the bar into five segments; the outline closes it.
        Effects::drawCached(q, "bar-overlay-" + side, rect.adjusted(-1, -1, 1, 1), [&](QPainter& c) {
            QColor tick = QColor::fromRgbF(0, 0, 0, 0.3f);
            for (int i = 1; i <= 4; ++i) {
                c.save();
                c.translate(rect.left() + W * i / 5, rect.center().y());
                c.rotate(mirrored_ ? 16 : -16);
                c.fillRect(QRectF(-0.5, -H / 2, 1, H), tick);
                c.restore();
            }
            QPen outline(QColor::fromRgbF(0, 0, 0, 0.55f), 1);
            outline.setMiterLimit(10);
            outline.setJoinStyle(Qt::MiterJoin);
            c.strokePath(whole, outline);
        });
        q.restore();
    };

    if (flare > 0)
        Effects::drawWithShadow(p, rect.adjusted(-2, -H, 2, H),
                                Effects::glow(Vortan::barPale(), 0.9 * flare, 10 * flare), draw);
    else
        draw(p);
}

void HealthBar::schedule(RedrawSchedule& s, const QRectF& rect, Instant t) const {
    QRectF area = rect.adjusted(-overdraw(), -overdraw(), overdraw(), overdraw());
    if (animating(t))
        s.add(t + Redraw::barInterval, area);
    else if (!mirrored_ && m_.status == IslandStatus::working)
        s.add(t + Redraw::drainInterval, area);
}

} // namespace fray
