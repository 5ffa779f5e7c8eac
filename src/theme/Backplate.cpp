#include "Backplate.h"

#include "Vortan.h"

#include <QLinearGradient>

namespace fray {

void Backplate::paint(QPainter& p, const QRectF& frame) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);

    QLinearGradient plate(frame.topLeft(), frame.bottomLeft());
    plate.setColorAt(0, Vortan::plateTop());
    plate.setColorAt(1, Vortan::plateBottom());
    QPainterPath filled = shape;
    filled.setFillRule(Qt::WindingFill);
    p.fillPath(filled, plate);

    p.setClipPath(filled, Qt::IntersectClip);

    const double W = frame.width(), H = frame.height();
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, float(hatchOpacity)), 1));
    for (double x = -H; x < W; x += hatchStep)
        p.drawLine(QPointF(frame.left() + x, frame.top()), QPointF(frame.left() + x + H, frame.bottom()));

    QLinearGradient sheen(frame.topLeft(), QPointF(frame.left(), frame.center().y()));
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, float(sheenOpacity)));
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(frame.left(), frame.top(), W, H / 2), sheen);
    p.restore();
}

} // namespace fray
