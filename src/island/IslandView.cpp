#include "IslandView.h"

#include "CompactHUD.h"
#include "RageGlow.h"
#include "model/IslandLayout.h"
#include "theme/Backplate.h"
#include "theme/Effects.h"
#include "theme/Shapes.h"
#include "theme/Vortan.h"

#include <QLinearGradient>

#include <cmath>
#include <deque>
#include <map>

namespace fray::IslandView {

namespace {

const Effects::Shadow dropShadow{QColor::fromRgbF(0, 0, 0, 0.38f), 8, QPointF(0, 3)};
constexpr double maxGlowRadius = 10; // RageGlow at the top of its pulse
constexpr double bodyPad = 30;       // room for the drop shadow in the cached images

QPen rimPen(const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, Vortan::withOpacity(Vortan::goldLight(), 0.9));
    g.setColorAt(0.5, Vortan::withOpacity(Vortan::goldDark(), 0.85));
    g.setColorAt(1, Vortan::withOpacity(Vortan::goldLight(), 0.5));
    QPen pen(QBrush(g), 1.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

// Everything of the island that does not change between frames, pre-rendered at one
// device scale: drop shadow and plate under the content, the rim over it, and the alpha
// of the whole for the rage glow. Origins are device pixels relative to the island's top-left.
struct Body {
    QSizeF size;
    std::optional<QRectF> notch;
    double scale = 0;

    QImage under;
    QImage over;
    QPoint origin; // of both images
    Effects::Mask glowMask;
    // The glow pulses between two radii; blurred masks by radius in quarter points.
    mutable std::map<int, Effects::Mask> glowByRadius;

    const Effects::Mask& glow(double radius) const {
        int key = int(std::lround(radius * 4));
        auto it = glowByRadius.find(key);
        if (it == glowByRadius.end()) {
            Effects::Mask m = Effects::blurred(glowMask, key / 4.0 * scale);
            // Nothing beyond the panel's margin is ever on screen: keep only that much.
            const double reachPx = IslandView::reach * scale;
            QRectF keep(QPointF(-reachPx, -reachPx) - m.origin,
                        QSizeF(size.width() * scale + 2 * reachPx, size.height() * scale + 2 * reachPx));
            QRect cells = QRectF(keep.topLeft() / m.step, keep.size() / m.step).toAlignedRect() &
                          QRect(QPoint(0, 0), m.alpha.size());
            m.alpha = m.alpha.copy(cells);
            m.origin += QPointF(cells.topLeft()) * m.step;
            it = glowByRadius.emplace(key, std::move(m)).first;
        }
        return it->second;
    }
};

QImage blank(QSize size) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

Body buildBody(QSizeF size, const std::optional<QRectF>& notch, double scale) {
    Body b{size, notch, scale, {}, {}, {}, {}, {}};
    const QRectF r(QPointF(0, 0), size);
    const QPainterPath shape = IslandShape{notch}.path(r);
    const QPen rim = rimPen(r);
    const QSize px(int(std::ceil((size.width() + 2 * bodyPad) * scale)),
                   int(std::ceil((size.height() + 2 * bodyPad) * scale)));
    b.origin = QPoint(-int(std::ceil(bodyPad * scale)), -int(std::ceil(bodyPad * scale)));

    auto begin = [&](QPainter& p, QImage& img) {
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(-b.origin.x(), -b.origin.y());
        p.scale(scale, scale);
    };

    b.over = blank(px);
    {
        QPainter p;
        begin(p, b.over);
        p.strokePath(shape, rim);
    }
    b.under = blank(px);
    {
        QPainter p;
        begin(p, b.under);
        // The shadow falls from the body with its rim; the rim itself is drawn over the content.
        Effects::drawWithShadow(p, r.adjusted(-2, -2, 2, 2), dropShadow, [&](QPainter& q) {
            Backplate{shape}.paint(q, r);
            q.strokePath(shape, rim);
        });
        Backplate{shape}.paint(p, r);
    }
    QImage whole = b.under;
    {
        QPainter p(&whole);
        p.drawImage(0, 0, b.over);
    }
    b.glowMask = Effects::maskOf(whole, b.origin, maxGlowRadius * scale);
    return b;
}

const Body& body(QSizeF size, const std::optional<QRectF>& notch, double scale) {
    thread_local std::deque<Body> cache;
    for (const Body& b : cache)
        if (b.size == size && b.notch == notch && b.scale == scale) return b;
    if (cache.size() >= 6) cache.pop_back();
    cache.push_front(buildBody(size, notch, scale));
    return cache.front();
}

} // namespace

double height(const IslandModel& m, const std::optional<QRectF>& notch, Instant now) {
    double h = (notch ? notch->height() : 0) + IslandLayout::compactHeight;
    if (m.expanded) h += ExpandedList::height(m, now);
    return h;
}

QRectF bodyRect(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, Instant now) {
    return QRectF(topLeft, QSizeF(IslandLayout::islandWidth, height(m, notch, now)));
}

QRectF hudFrame(QPointF topLeft, const std::optional<QRectF>& notch) {
    return QRectF(topLeft.x(), topLeft.y() + (notch ? notch->height() : 0), IslandLayout::islandWidth,
                  IslandLayout::compactHeight);
}

QRectF listFrame(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, Instant now) {
    QRectF hud = hudFrame(topLeft, notch);
    return QRectF(hud.left(), hud.bottom(), hud.width(), m.expanded ? ExpandedList::height(m, now) : 0);
}

void paint(QPainter& p, QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
           const IslandViewState& state, Instant t) {
    const QRectF r = bodyRect(topLeft, m, notch, t);
    const double scale = Effects::deviceScale(p);
    const Body& b = body(r.size(), notch, scale);
    const QPointF device = p.deviceTransform().map(topLeft);
    const QPoint at(int(std::lround(device.x())), int(std::lround(device.y())));

    if (m.status == IslandStatus::needsAction) {
        const Effects::Shadow glow = RageGlow::shadow(t);
        // The opaque body hides the glow beneath it; only the rim of it needs drawing.
        const double s = b.scale;
        const double top = notch ? notch->height() + 2 : 22;
        const QRect hidden =
            QRectF(at.x() + 22 * s, at.y() + top * s, (r.width() - 44) * s, (r.height() - top - 22) * s)
                .toAlignedRect()
                .adjusted(2, 2, -2, -2);
        Effects::drawMask(p, b.glow(glow.radius), glow.color, QPointF(at), hidden);
    }
    Effects::drawDevice(p, b.under, b.origin + at);
    CompactHUD::paint(p, hudFrame(topLeft, notch), m, state.ramp, t);
    if (m.expanded) ExpandedList::paint(p, listFrame(topLeft, m, notch, t), m, state.hoveredRow, t);
    Effects::drawDevice(p, b.over, b.origin + at);
}

void schedule(RedrawSchedule& s, QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
              const IslandViewState& state, Instant t) {
    CompactHUD::schedule(s, hudFrame(topLeft, notch), m, state.ramp, t);
    if (m.expanded) ExpandedList::schedule(s, listFrame(topLeft, m, notch, t), m, t);
    RageGlow::schedule(s, m.status == IslandStatus::needsAction, bodyRect(topLeft, m, notch, t), t);
}

std::vector<ExpandedList::Row> rows(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch,
                                    Instant now) {
    if (!m.expanded) return {};
    return ExpandedList::rows(listFrame(topLeft, m, notch, now), m);
}

QString tooltipAt(QPointF topLeft, const IslandModel& m, const std::optional<QRectF>& notch, QPointF pos,
                  Instant now) {
    if (m.onResume)
        for (const auto& row : rows(topLeft, m, notch, now))
            if (row.rect.contains(pos)) return SessionRow::tooltip();
    return CompactHUD::tooltipAt(hudFrame(topLeft, notch), m, pos, now);
}

} // namespace fray::IslandView
