#include "CollapsedViews.h"

#include "RageGlow.h"
#include "theme/Effects.h"
#include "theme/Shapes.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fray {

namespace {

constexpr double powerDuration = 1.5;

QLinearGradient plateGradient(const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Vortan::plateTop());
    g.setColorAt(1, Vortan::plateBottom());
    return g;
}

// The frame shared by both views: shadow, rage glow, idle fade.
void framed(QPainter& p, const QRectF& rect, const IslandModel& m, Instant t, const Effects::Shadow& shadow,
            double idleOpacity, double idleSaturation, const Effects::Content& content) {
    bool idle = m.status == IslandStatus::idle;
    QRectF reach = rect.adjusted(-24, -24, 24, 24);
    Effects::drawGroup(p, reach, idle ? idleOpacity : 1, idle ? idleSaturation : 1, [&](QPainter& g) {
        RageGlow::apply(g, reach, m.status == IslandStatus::needsAction, t, [&](QPainter& r) {
            Effects::drawWithShadow(r, rect.adjusted(-12, -12, 12, 12), shadow, content);
        });
    });
}

} // namespace

bool Collapsed::isPoweringUp(const IslandModel& m, Instant now) {
    if (!m.powerUpAt) return false;
    double e = secondsBetween(*m.powerUpAt, now);
    return e >= 0 && e <= powerDuration;
}

double Collapsed::flare(const IslandModel& m, Instant t) {
    if (!isPoweringUp(m, t)) return 0;
    return std::sin(std::numbers::pi * secondsBetween(*m.powerUpAt, t) / powerDuration);
}

void Collapsed::schedule(RedrawSchedule& s, const QRectF& area, const IslandModel& m, Instant t) {
    QRectF reach = area.adjusted(-RageGlow::reach, -RageGlow::reach, RageGlow::reach, RageGlow::reach);
    if (isPoweringUp(m, t))
        s.add(t + Redraw::flareInterval, reach);
    else if (m.status != IslandStatus::idle && m.status != IslandStatus::completed)
        s.add(Redraw::nextSecond(m.stateSince, t), area); // "—", "K.O." and "KO" do not tick
    RageGlow::schedule(s, m.status == IslandStatus::needsAction, area, t);
}

QColor BarMini::statusColour(IslandStatus s) {
    switch (s) {
    case IslandStatus::idle:
        return QColor::fromRgbF(1, 1, 1, 0.4f);
    case IslandStatus::started:
        return Vortan::fightCyan();
    case IslandStatus::working:
        return Vortan::barYellow();
    case IslandStatus::needsAction:
        return Vortan::rageRed();
    case IslandStatus::completed:
        return Vortan::gold();
    }
    return Vortan::gold();
}

double BarMini::cornerRadius(double height) {
    return std::min(0.34 * height, 9.0);
}
double BarMini::labelSize(double height) {
    return 0.54 * height;
}
double BarMini::badgeFontSize(double height) {
    return std::max(0.32 * height, 7.0);
}

QString BarMini::label(const IslandModel& m, Instant now) {
    if (m.status == IslandStatus::idle) return QStringLiteral("—");
    if (m.status == IslandStatus::completed) return QStringLiteral("K.O.");
    std::int64_t e = Redraw::elapsedSeconds(m.stateSince, now);
    return QString::asprintf("%d:%02d", int(std::min<std::int64_t>(e / 60, 99)), int(e % 60));
}

QString BarMini::badge(const IslandModel& m) {
    if (m.sessions.size() < 2) return {};
    return QString::number(std::min<std::size_t>(m.sessions.size(), 99));
}

void BarMini::paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant t) {
    const double h = rect.height();
    const double r = cornerRadius(h);
    const double fl = Collapsed::flare(m, t);
    framed(p, rect, m, t, {QColor::fromRgbF(0, 0, 0, 0.35f), 5, QPointF(0, 2)}, 0.82, 1, [&](QPainter& q) {
        q.save();
        q.setRenderHint(QPainter::Antialiasing, true);
        q.fillPath(continuousRoundedRect(rect, r), plateGradient(rect));

        const QColor colour = fl > 0 ? Vortan::barPale() : statusColour(m.status);
        const double lw = 1.5 + fl;
        const QRectF rimRect = rect.adjusted(lw / 2, lw / 2, -lw / 2, -lw / 2);
        Effects::drawWithShadow(q, rect.adjusted(-2, -2, 2, 2),
                                Effects::glow(colour, 0.55 + 0.4 * fl, 2 + 5 * fl), [&](QPainter& g) {
                                    g.strokePath(continuousRoundedRect(rimRect, std::max(0.0, r - lw / 2)),
                                                 QPen(colour, lw));
                                });

        const Text::Shaped text = Text::shape(label(m, t), Vortan::font(labelSize(h)));
        const double room = rect.width() - 8;
        const double scale = text.advance > room ? std::max(room / text.advance, 0.6) : 1.0;
        q.save();
        q.translate(rect.center());
        q.scale(scale, scale);
        Text::drawCentred(q, text, QRectF(-rect.width() / 2, -h / 2, rect.width(), h), Qt::white);
        q.restore();

        if (QString count = badge(m); !count.isEmpty()) {
            const Text::Shaped b = Text::shape(count, Vortan::fontDemi(badgeFontSize(h)));
            const double side = 0.44 * h;
            const QSizeF box(std::max(b.advance + 4, side), std::max(b.height(), side));
            const QRectF badgeRect(rect.right() - box.width() + 0.16 * h,
                                   rect.bottom() - box.height() + 0.16 * h, box.width(), box.height());
            // A circle for one digit; it stretches into a capsule so two digits stay on gold.
            const double d = std::min(badgeRect.width(), badgeRect.height());
            q.setPen(Qt::NoPen);
            q.setBrush(Vortan::gold());
            q.drawRoundedRect(
                badgeRect.adjusted(0, (badgeRect.height() - d) / 2, 0, -(badgeRect.height() - d) / 2), d / 2,
                d / 2);
            Text::drawCentred(q, b, badgeRect, Qt::black);
        }
        q.restore();
    });
}

QColor CollapsedIsland::statusColor(IslandStatus s) {
    return s == IslandStatus::idle ? QColor::fromRgbF(1, 1, 1, 0.35f) : BarMini::statusColour(s);
}

QString CollapsedIsland::dialText(const IslandModel& m, Instant now) {
    if (m.status == IslandStatus::idle) return QStringLiteral("--");
    if (m.status == IslandStatus::completed) return QStringLiteral("KO");
    std::int64_t e = Redraw::elapsedSeconds(m.stateSince, now);
    if (e < 60) return QString::asprintf("%02d", int(e));
    return QString::number(std::min<std::int64_t>(e / 60, 99)) + "M";
}

QString CollapsedIsland::badge(const IslandModel& m) {
    return m.sessions.size() >= 2 ? QString::number(m.sessions.size()) : QString();
}

void CollapsedIsland::paint(QPainter& p, QPointF topLeft, const IslandModel& m, Instant t) {
    const QRectF rect(topLeft, QSizeF(width, height));
    const double fl = Collapsed::flare(m, t);
    framed(p, rect, m, t, {QColor::fromRgbF(0, 0, 0, 0.35f), 7, QPointF(0, 3)}, 0.75, 0.4, [&](QPainter& q) {
        q.save();
        q.setRenderHint(QPainter::Antialiasing, true);
        q.fillPath(continuousRoundedRect(rect, 13), plateGradient(rect));
        QLinearGradient border(rect.topLeft(), rect.bottomRight());
        border.setColorAt(0, Vortan::withOpacity(Vortan::goldLight(), 0.85));
        border.setColorAt(1, Vortan::withOpacity(Vortan::goldDark(), 0.8));
        q.strokePath(continuousRoundedRect(rect.adjusted(0.6, 0.6, -0.6, -0.6), 12.4),
                     QPen(QBrush(border), 1.2));

        const QColor colour = fl > 0 ? Vortan::withOpacity(Vortan::barPale(), fl) : statusColor(m.status);
        const double d = 30 + 5 * fl;
        const QRectF dial(rect.center().x() - d / 2, rect.center().y() - d / 2, d, d);
        Effects::drawWithShadow(q, dial.adjusted(-3, -3, 3, 3),
                                Effects::glow(colour, 0.7 + 0.3 * fl, 3 + 7 * fl), [&](QPainter& g) {
                                    g.setPen(QPen(colour, 2 + 1.5 * fl));
                                    g.setBrush(Qt::NoBrush);
                                    g.drawEllipse(dial);
                                });
        Text::drawCentred(q, Text::shape(dialText(m, t), Vortan::font(12.5)), dial, Qt::white);

        if (QString count = badge(m); !count.isEmpty()) {
            const Text::Shaped b = Text::shape(count, Vortan::fontDemi(9));
            Text::draw(q, b, QPointF(rect.right() - 4 - b.advance, rect.bottom() - 1 - b.descent),
                       Vortan::gold());
        }
        q.restore();
    });
}

} // namespace fray
