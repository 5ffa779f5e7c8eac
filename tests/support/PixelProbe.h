#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QWidget>

#include <cmath>

namespace fray::test {

// A transparent canvas at `scale` device pixels per point, painted in points.
inline QImage canvas(double w, double h, double scale = 2, QColor fill = Qt::transparent) {
    QImage img(int(std::lround(w * scale)), int(std::lround(h * scale)), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(fill);
    return img;
}

// The widget drawn at `scale` onto a transparent canvas, as the preview renderer draws it.
inline QImage rendered(QWidget& w, double scale = 2) {
    QImage img = canvas(w.width(), w.height(), scale);
    QPainter p(&img);
    w.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// The colour of the device pixel under the point `pt` (in points).
inline QColor at(const QImage& img, QPointF pt) {
    double s = img.devicePixelRatio();
    return img.pixelColor(int(pt.x() * s), int(pt.y() * s));
}

// Saturation-like measure: the spread between the strongest and weakest channel.
inline int chroma(const QColor& c) {
    return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
}

} // namespace fray::test
