#include "Effects.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace fray::Effects {

namespace {

// Blurs wider than this run on a half-resolution mask.
constexpr double downsampleSigma = 6.0;
// Layers are clamped so a runaway bound cannot allocate gigabytes.
constexpr int maxLayerSide = 8192;

void boxRadii(double sigma, int (&radii)[3]) {
    constexpr int n = 3;
    double wIdeal = std::sqrt(12 * sigma * sigma / n + 1);
    int wl = int(std::floor(wIdeal));
    if (wl % 2 == 0) wl--;
    int wu = wl + 2;
    double mIdeal = (12 * sigma * sigma - n * wl * wl - 4 * n * wl - 3 * n) / (-4.0 * wl - 4);
    int m = int(std::lround(mIdeal));
    for (int i = 0; i < n; ++i) radii[i] = std::max(0, ((i < m ? wl : wu) - 1) / 2);
}

void blurRows(QImage& img, int r, std::vector<std::uint8_t>& tmp) {
    if (r <= 0) return;
    const int w = img.width(), h = img.height();
    const std::uint64_t mul = (std::uint64_t(1) << 32) / std::uint64_t(2 * r + 1);
    tmp.resize(std::size_t(w));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = img.scanLine(y);
        std::copy(row, row + w, tmp.begin());
        std::uint32_t acc = 0;
        for (int x = 0; x <= std::min(r, w - 1); ++x) acc += tmp[std::size_t(x)];
        for (int x = 0; x < w; ++x) {
            row[x] = std::uint8_t((acc * mul + (std::uint64_t(1) << 31)) >> 32);
            int add = x + r + 1, sub = x - r;
            if (add < w) acc += tmp[std::size_t(add)];
            if (sub >= 0) acc -= tmp[std::size_t(sub)];
        }
    }
}

void blurColumns(QImage& img, int r, std::vector<std::uint32_t>& acc, std::vector<std::uint8_t>& copy) {
    if (r <= 0) return;
    const int w = img.width(), h = img.height();
    const qsizetype bpl = img.bytesPerLine();
    const std::uint64_t mul = (std::uint64_t(1) << 32) / std::uint64_t(2 * r + 1);
    copy.assign(img.constBits(), img.constBits() + bpl * h);
    acc.assign(std::size_t(w), 0);
    for (int y = 0; y <= std::min(r, h - 1); ++y) {
        const std::uint8_t* src = copy.data() + bpl * y;
        for (int x = 0; x < w; ++x) acc[std::size_t(x)] += src[x];
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) row[x] = std::uint8_t((acc[std::size_t(x)] * mul + (std::uint64_t(1) << 31)) >> 32);
        int add = y + r + 1, sub = y - r;
        if (add < h) {
            const std::uint8_t* src = copy.data() + bpl * add;
            for (int x = 0; x < w; ++x) acc[std::size_t(x)] += src[x];
        }
        if (sub >= 0) {
            const std::uint8_t* src = copy.data() + bpl * sub;
            for (int x = 0; x < w; ++x) acc[std::size_t(x)] -= src[x];
        }
    }
}

QImage tinted(const QImage& alpha, const QColor& color) {
    QImage out(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    const double ca = color.alphaF();
    std::uint32_t lut[256];
    for (int a = 0; a < 256; ++a) {
        double A = a * ca;
        auto ch = [&](double c) { return std::uint32_t(std::lround(c * A)); };
        lut[a] = (std::uint32_t(std::lround(A)) << 24) | (ch(color.redF()) << 16) | (ch(color.greenF()) << 8) |
                 ch(color.blueF());
    }
    for (int y = 0; y < alpha.height(); ++y) {
        const std::uint8_t* src = alpha.constScanLine(y);
        auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < alpha.width(); ++x) dst[x] = lut[src[x]];
    }
    return out;
}

// Draws an image whose pixels are `step` device pixels each, with its top-left at `deviceOrigin`.
void drawDeviceImage(QPainter& target, const QImage& img, QPointF deviceOrigin, int step, double opacity) {
    target.save();
    target.resetTransform();
    QTransform base = target.deviceTransform();
    target.setWorldTransform(base.inverted());
    target.setOpacity(target.opacity() * opacity);
    if (step == 1) {
        target.drawImage(deviceOrigin, img);
    } else {
        target.setRenderHint(QPainter::SmoothPixmapTransform, true);
        target.drawImage(QRectF(deviceOrigin, QSizeF(img.width() * step, img.height() * step)), img);
    }
    target.restore();
}

} // namespace

double deviceScale(const QPainter& p) {
    QTransform t = p.deviceTransform();
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

double sigmaFor(const QPainter& p, double radius) { return std::max(0.0, radius) / 2 * deviceScale(p); }

Layer::Layer(QPainter& target, const QRectF& bounds, double padPoints) {
    scale_ = deviceScale(target);
    QTransform dt = target.deviceTransform();
    QRect dev = dt.mapRect(bounds.adjusted(-padPoints, -padPoints, padPoints, padPoints)).toAlignedRect();
    dev.setWidth(std::clamp(dev.width(), 1, maxLayerSide));
    dev.setHeight(std::clamp(dev.height(), 1, maxLayerSide));
    origin_ = dev.topLeft();
    image_ = QImage(dev.size(), QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    painter_.begin(&image_);
    painter_.setRenderHints(target.renderHints());
    painter_.setTransform(dt * QTransform::fromTranslate(-origin_.x(), -origin_.y()));
}

void Layer::finish() {
    if (painter_.isActive()) painter_.end();
}

void Layer::drawInto(QPainter& target, double opacity) const {
    drawDeviceImage(target, image_, origin_, 1, opacity);
}

Mask maskOf(const QImage& argb, QPoint origin, double sigma) {
    Mask m;
    m.step = sigma >= downsampleSigma ? 2 : 1;
    int pad = int(std::ceil(3 * sigma / m.step)) + 1;
    int w = (argb.width() + m.step - 1) / m.step + 2 * pad;
    int h = (argb.height() + m.step - 1) / m.step + 2 * pad;
    m.alpha = QImage(w, h, QImage::Format_Alpha8);
    m.alpha.fill(0);
    m.origin = QPointF(origin) - QPointF(pad * m.step, pad * m.step);
    const int sw = argb.width(), sh = argb.height();
    if (m.step == 1) {
        for (int y = 0; y < sh; ++y) {
            auto* src = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
            std::uint8_t* dst = m.alpha.scanLine(y + pad) + pad;
            for (int x = 0; x < sw; ++x) dst[x] = std::uint8_t(src[x] >> 24);
        }
    } else {
        for (int y = 0; y < sh; y += 2) {
            auto* a = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
            auto* b = y + 1 < sh ? reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y + 1)) : nullptr;
            std::uint8_t* dst = m.alpha.scanLine(y / 2 + pad) + pad;
            for (int x = 0; x < sw; x += 2) {
                unsigned sum = a[x] >> 24;
                if (x + 1 < sw) sum += a[x + 1] >> 24;
                if (b) {
                    sum += b[x] >> 24;
                    if (x + 1 < sw) sum += b[x + 1] >> 24;
                }
                dst[x / 2] = std::uint8_t((sum + 2) / 4);
            }
        }
    }
    return m;
}

Mask maskOf(const Layer& layer, double sigma) { return maskOf(layer.image(), layer.origin(), sigma); }

void boxBlur(QImage& alpha8, double sigma) {
    if (sigma <= 0 || alpha8.isNull()) return;
    int radii[3];
    boxRadii(sigma, radii);
    std::vector<std::uint8_t> tmp;
    std::vector<std::uint32_t> acc;
    for (int r : radii) blurRows(alpha8, r, tmp);
    for (int r : radii) blurColumns(alpha8, r, acc, tmp);
}

void drawShadow(QPainter& target, Mask mask, const QColor& color, double sigma, QPointF deviceOffset) {
    if (color.alpha() == 0 || mask.alpha.isNull()) return;
    boxBlur(mask.alpha, sigma / mask.step);
    drawDeviceImage(target, tinted(mask.alpha, color), mask.origin + deviceOffset, mask.step, 1);
}

void drawWithShadow(QPainter& target, const QRectF& bounds, const Shadow& shadow, const Content& content) {
    if (shadow.color.alpha() == 0) {
        content(target);
        return;
    }
    Layer layer(target, bounds, 1);
    content(layer.painter());
    layer.finish();
    double sigma = sigmaFor(target, shadow.radius);
    QTransform dt = target.deviceTransform();
    QPointF offset = dt.map(shadow.offset) - dt.map(QPointF(0, 0));
    drawShadow(target, maskOf(layer, sigma), shadow.color, sigma, offset);
    layer.drawInto(target);
}

void drawGroup(QPainter& target, const QRectF& bounds, double opacity, double saturation, const Content& content) {
    if (opacity >= 1 && saturation >= 1) {
        content(target);
        return;
    }
    Layer layer(target, bounds, 1);
    content(layer.painter());
    layer.finish();
    if (saturation < 1) desaturate(layer.image(), saturation);
    layer.drawInto(target, opacity);
}

void desaturate(QImage& img, double saturation) {
    if (img.format() != QImage::Format_ARGB32_Premultiplied)
        img.convertTo(QImage::Format_ARGB32_Premultiplied);
    const int s = int(std::lround(std::clamp(saturation, 0.0, 1.0) * 65536));
    for (int y = 0; y < img.height(); ++y) {
        auto* px = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            std::uint32_t p = px[x];
            int a = int(p >> 24);
            if (a == 0) continue;
            int r = int((p >> 16) & 0xff), g = int((p >> 8) & 0xff), b = int(p & 0xff);
            // Rec. 709 luminance weights, in 16.16 fixed point.
            int lum = (13933 * r + 46871 * g + 4732 * b + 32768) >> 16;
            auto mix = [&](int c) { return std::clamp(lum + (((c - lum) * s + 32768) >> 16), 0, a); };
            px[x] = (std::uint32_t(a) << 24) | (std::uint32_t(mix(r)) << 16) | (std::uint32_t(mix(g)) << 8) |
                    std::uint32_t(mix(b));
        }
    }
}

} // namespace fray::Effects
