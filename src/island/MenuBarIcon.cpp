#include "MenuBarIcon.h"

#include <QPainter>

#include <cmath>

namespace fray {

namespace MenuBarIcon {

namespace {
// The drawing grid has y upwards; the image y downwards.
QRectF up(double x, double y, double w, double h) {
    return QRectF(x, gridH - y - h, w, h);
}
QPointF up(double x, double y) {
    return QPointF(x, gridH - y);
}
} // namespace

std::vector<QPainterPath> paths(Clash clash) {
    std::vector<QPainterPath> out;

    QPainterPath left;
    left.setFillRule(Qt::OddEvenFill);
    left.addEllipse(up(0.2, 4.0, 9.8, 9.8));
    left.addEllipse(up(5.9, 7.8, 2.6, 2.6));
    out.push_back(left);

    QPainterPath right;
    right.setFillRule(Qt::OddEvenFill);
    right.addRoundedRect(up(15.6, 4.0, 10.0, 9.8), 2.6, 2.6);
    right.addEllipse(up(17.4, 7.5, 2.6, 2.6));
    right.addEllipse(up(21.2, 7.5, 2.6, 2.6));
    out.push_back(right);

    QPainterPath antenna;
    antenna.setFillRule(Qt::WindingFill);
    antenna.addRect(up(20.0, 13.4, 1.15, 2.0));
    antenna.addEllipse(up(19.3, 14.9, 2.5, 2.5));
    out.push_back(antenna);

    if (clash != Clash::none) {
        const double k = clash == Clash::full ? 1.0 : 0.66;
        static constexpr double d[6][2] = {{1.5, 6.4},   {-1.5, 0},   {0.6, 0},
                                           {-1.6, -6.4}, {1.4, -0.6}, {-0.7, -0.6}};
        QPainterPath spark;
        for (int i = 0; i < 6; ++i) {
            QPointF p = up(12.9 + k * d[i][0], 9.0 + k * d[i][1]);
            if (i == 0)
                spark.moveTo(p);
            else
                spark.lineTo(p);
        }
        spark.closeSubpath();
        out.push_back(spark);
    }
    return out;
}

QImage image(Clash clash, int pixelHeight, QColor color) {
    const double s = pixelHeight / gridH;
    QImage img(static_cast<int>(std::lround(gridW * s)), pixelHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    for (const auto& path : paths(clash))
        p.drawPath(path);
    img.setText("Description", "Fraymark");
    return img;
}

QImage trayImage(Clash clash, int pixels, QColor color) {
    QImage img(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const double s = pixels / gridW;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(0, (pixels - gridH * s) / 2);
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    for (const auto& path : paths(clash))
        p.drawPath(path);
    return img;
}

} // namespace MenuBarIcon

IconAnimator::IconAnimator(TimerFactory timers) : timers_(std::move(timers)) {}

void IconAnimator::show(MenuBarIcon::Clash c) {
    frame_ = c;
    emit frameChanged(c);
}

void IconAnimator::syncIcon(const SessionList& list) {
    std::optional<SessionStatus> top;
    for (SessionStatus s : {SessionStatus::needsAction, SessionStatus::working, SessionStatus::started,
                            SessionStatus::completed}) {
        for (const auto& session : list)
            if (session.status == s) {
                top = s;
                break;
            }
        if (top) break;
    }
    if (top == iconStatus_) return; // a running animation continues undisturbed
    iconStatus_ = top;
    iconTimer_.reset();
    iconPhase_ = false;
    if (top == SessionStatus::needsAction)
        iconTimer_ = timers_(0.5, [this] { tick(); });
    else if (top == SessionStatus::working)
        iconTimer_ = timers_(1.0, [this] { tick(); });
    else
        show(MenuBarIcon::Clash::full);
}

void IconAnimator::tick() {
    iconPhase_ = !iconPhase_;
    auto alt =
        iconStatus_ == SessionStatus::needsAction ? MenuBarIcon::Clash::none : MenuBarIcon::Clash::short_;
    show(iconPhase_ ? alt : MenuBarIcon::Clash::full);
}

} // namespace fray
