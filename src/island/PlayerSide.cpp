#include "PlayerSide.h"

#include "theme/Effects.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <cmath>
#include <numbers>

namespace fray {

namespace {
QFont nameFont() {
    return Vortan::kerned(Vortan::fontDemi(11), 1.4);
}
constexpr double chipW = 4, chipH = 9, chipGap = 4;
} // namespace

double PlayerSide::nameRowHeight() {
    return std::max(chipH, Text::shape("P", nameFont()).height());
}

double PlayerSide::powerFlare(Instant now) const {
    if (mirrored_ || !model_.powerUpAt) return 0;
    double e = secondsBetween(*model_.powerUpAt, now);
    if (e < 0 || e > HealthBar::powerDuration) return 0;
    return std::sin(std::numbers::pi * e / HealthBar::powerDuration);
}

QRectF PlayerSide::barRect(const QRectF& side) const {
    return QRectF(side.left(), side.top() + nameRowHeight() + 2, side.width(), HealthBar::height);
}

void PlayerSide::paint(QPainter& p, const QRectF& side, Instant t) const {
    const double rowH = nameRowHeight();
    const QRectF row(side.left(), side.top(), side.width(), rowH);
    const QFont font = nameFont();
    const Text::Shaped name = Text::shape(Text::elided(name_, font, side.width() - chipW - chipGap), font);

    auto drawPlate = [&](QPainter& q) {
        q.save();
        q.setRenderHint(QPainter::Antialiasing, true);
        double chipX = mirrored_ ? row.right() - chipW : row.left();
        q.translate(chipX + chipW / 2, row.center().y());
        q.rotate(mirrored_ ? -14 : 14);
        q.fillRect(QRectF(-chipW / 2, -chipH / 2, chipW, chipH), chip_);
        q.restore();
        double nameX =
            mirrored_ ? row.right() - chipW - chipGap - name.advance : row.left() + chipW + chipGap;
        Text::draw(q, name, QPointF(nameX, row.center().y() - name.height() / 2 + name.ascent),
                   QColor::fromRgbF(1, 1, 1, 0.88f));
    };
    auto drawRow = [&](QPainter& q) {
        const QString key =
            QStringLiteral("plate-") + (mirrored_ ? "r-" : "l-") + chip_.name(QColor::HexArgb) + name_;
        Effects::drawCached(q, key, row.adjusted(-2, -3, 2, 3), drawPlate);
    };
    double flare = powerFlare(t);
    if (flare > 0)
        Effects::drawWithShadow(p, row, Effects::glow(Vortan::barPale(), 0.9 * flare, 6 * flare), drawRow);
    else
        drawRow(p);

    // Each side draws its bar with a fresh view of the shared model.
    HealthBar(model_, mirrored_, ramp_).paint(p, barRect(side), t);
}

void PlayerSide::schedule(RedrawSchedule& s, const QRectF& side, Instant t) const {
    HealthBar bar(model_, mirrored_, ramp_);
    bar.schedule(s, barRect(side), t);
    if (bar.power(t)) s.add(t + Redraw::barInterval, side.adjusted(-20, -20, 20, 20)); // the plate's glow
}

} // namespace fray
