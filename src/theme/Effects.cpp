#include "Effects.h"

#include <QHash>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <list>
#include <unordered_map>
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
    for (int i = 0; i < n; ++i)
        radii[i] = std::clamp(((i < m ? wl : wu) - 1) / 2, 0, 128);
}

// One box pass along rows; `w` ≤ 257 keeps every sum times the reciprocal in 32 bits.
void blurRows(QImage& img, int r, std::vector<std::uint8_t>& tmp) {
    if (r <= 0) return;
    const int w = img.width(), h = img.height();
    const std::uint32_t mul = (1u << 16) / std::uint32_t(2 * r + 1);
    tmp.resize(std::size_t(w));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = img.scanLine(y);
        std::copy(row, row + w, tmp.begin());
        const std::uint8_t* src = tmp.data();
        std::uint32_t acc = 0;
        for (int x = 0; x <= std::min(r, w - 1); ++x)
            acc += src[x];
        for (int x = 0; x < w; ++x) {
            row[x] = std::uint8_t((acc * mul + 32768u) >> 16);
            int add = x + r + 1, sub = x - r;
            if (add < w) acc += src[add];
            if (sub >= 0) acc -= src[sub];
        }
    }
}

// One box pass along columns, a row at a time so memory is walked in order.
void blurColumns(QImage& img, int r, std::vector<std::uint32_t>& acc, std::vector<std::uint8_t>& copy) {
    if (r <= 0) return;
    const int w = img.width(), h = img.height();
    const qsizetype bpl = img.bytesPerLine();
    const std::uint32_t mul = (1u << 16) / std::uint32_t(2 * r + 1);
    copy.assign(img.constBits(), img.constBits() + bpl * h);
    acc.assign(std::size_t(w), 0);
    std::uint32_t* a = acc.data();
    for (int y = 0; y <= std::min(r, h - 1); ++y) {
        const std::uint8_t* src = copy.data() + bpl * y;
        for (int x = 0; x < w; ++x)
            a[x] += src[x];
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = img.scanLine(y);
        for (int x = 0; x < w; ++x)
            row[x] = std::uint8_t((a[x] * mul + 32768u) >> 16);
        int add = y + r + 1, sub = y - r;
        if (add < h) {
            const std::uint8_t* src = copy.data() + bpl * add;
            for (int x = 0; x < w; ++x)
                a[x] += src[x];
        }
        if (sub >= 0) {
            const std::uint8_t* src = copy.data() + bpl * sub;
            for (int x = 0; x < w; ++x)
                a[x] -= src[x];
        }
    }
}

void tintLut(const QColor& color, std::uint32_t (&lut)[256]) {
    const double ca = color.alphaF();
    for (int a = 0; a < 256; ++a) {
        double A = a * ca;
        auto ch = [&](double c) { return std::uint32_t(std::lround(c * A)); };
        lut[a] = (std::uint32_t(std::lround(A)) << 24) | (ch(color.redF()) << 16) |
                 (ch(color.greenF()) << 8) | ch(color.blueF());
    }
}

// A reusable per-thread pixel buffer: shadows are redrawn every frame of a pulse, and
// fresh allocations of this size would each cost page faults.
QImage scratch(int w, int h) {
    thread_local std::vector<std::uint32_t> buffer;
    buffer.resize(std::size_t(w) * std::size_t(h));
    return QImage(reinterpret_cast<uchar*>(buffer.data()), w, h, w * 4, QImage::Format_ARGB32_Premultiplied);
}

// `sub` of a mask, tinted.
QImage tinted(const QImage& alpha, const QRect& sub, const std::uint32_t (&lut)[256]) {
    QImage out = scratch(sub.width(), sub.height());
    for (int y = 0; y < sub.height(); ++y) {
        const std::uint8_t* src = alpha.constScanLine(sub.top() + y) + sub.left();
        auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < sub.width(); ++x)
            dst[x] = lut[src[x]];
    }
    return out;
}

// `sub` of a half-resolution mask doubled with bilinear filtering (pixel centres aligned,
// neighbours taken from the whole mask) and tinted in the same pass, so the shadow is
// blended 1:1 rather than through a scaled draw.
QImage tintedDoubled(const QImage& src, const QRect& sub, const std::uint32_t (&lut)[256]) {
    const int w = src.width(), h = src.height();
    const int sw = sub.width(), sh = sub.height();
    QImage out = scratch(2 * sw, 2 * sh);
    thread_local std::vector<std::uint16_t> rows[3];
    // A source row widened to 2 samples per pixel, scaled by 4 to keep the quarter weights exact.
    auto widen = [&](int y, std::vector<std::uint16_t>& d) {
        d.resize(std::size_t(2 * sw));
        const std::uint8_t* s = src.constScanLine(std::clamp(y, 0, h - 1));
        for (int i = 0; i < sw; ++i) {
            int x = sub.left() + i;
            unsigned c = s[x], l = s[x > 0 ? x - 1 : 0], r = s[x + 1 < w ? x + 1 : x];
            d[std::size_t(2 * i)] = std::uint16_t(3 * c + l);
            d[std::size_t(2 * i + 1)] = std::uint16_t(3 * c + r);
        }
    };
    widen(sub.top() - 1, rows[0]);
    widen(sub.top(), rows[1]);
    for (int y = 0; y < sh; ++y) {
        widen(sub.top() + y + 1, rows[(y + 2) % 3]);
        const std::uint16_t* up = rows[y % 3].data();
        const std::uint16_t* c = rows[(y + 1) % 3].data();
        const std::uint16_t* down = rows[(y + 2) % 3].data();
        auto* d0 = reinterpret_cast<std::uint32_t*>(out.scanLine(2 * y));
        auto* d1 = reinterpret_cast<std::uint32_t*>(out.scanLine(2 * y + 1));
        for (int x = 0; x < 2 * sw; ++x) {
            d0[x] = lut[(3u * c[x] + up[x] + 8) >> 4];
            d1[x] = lut[(3u * c[x] + down[x] + 8) >> 4];
        }
    }
    return out;
}

} // namespace

void drawDevice(QPainter& target, const QImage& img, QPointF deviceOrigin, int step, double opacity) {
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

double deviceScale(const QPainter& p) {
    QTransform t = p.deviceTransform();
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

double sigmaFor(const QPainter& p, double radius) {
    return std::max(0.0, radius) * deviceScale(p);
}

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
    drawDevice(target, image_, origin_, 1, opacity);
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
            for (int x = 0; x < sw; ++x)
                dst[x] = std::uint8_t(src[x] >> 24);
        }
    } else {
        for (int y = 0; y < sh; y += 2) {
            auto* a = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
            auto* b =
                y + 1 < sh ? reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y + 1)) : nullptr;
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

Mask maskOf(const Layer& layer, double sigma) {
    return maskOf(layer.image(), layer.origin(), sigma);
}

void boxBlur(QImage& alpha8, double sigma) {
    if (sigma <= 0 || alpha8.isNull()) return;
    int radii[3];
    boxRadii(sigma, radii);
    std::vector<std::uint8_t> tmp;
    std::vector<std::uint32_t> acc;
    for (int r : radii)
        blurRows(alpha8, r, tmp);
    for (int r : radii)
        blurColumns(alpha8, r, acc, tmp);
}

void blur(QImage& img, double sigma) {
    if (sigma <= 0 || img.isNull()) return;
    if (img.format() != QImage::Format_ARGB32_Premultiplied)
        img.convertTo(QImage::Format_ARGB32_Premultiplied);
    const int w = img.width(), h = img.height();
    QImage plane(w, h, QImage::Format_Alpha8);
    for (int shift = 0; shift < 32; shift += 8) {
        for (int y = 0; y < h; ++y) {
            auto* src = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
            std::uint8_t* dst = plane.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = std::uint8_t(src[x] >> shift);
        }
        boxBlur(plane, sigma);
        for (int y = 0; y < h; ++y) {
            auto* dst = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
            const std::uint8_t* src = plane.constScanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = (dst[x] & ~(0xffu << shift)) | (std::uint32_t(src[x]) << shift);
        }
    }
    // Rounding per channel can leave a colour a hair above its alpha; premultiplied data forbids that.
    for (int y = 0; y < h; ++y) {
        auto* px = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            std::uint32_t a = px[x] >> 24;
            std::uint32_t r = std::min((px[x] >> 16) & 0xff, a), g = std::min((px[x] >> 8) & 0xff, a),
                          b = std::min(px[x] & 0xff, a);
            px[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

Mask blurred(Mask mask, double sigma) {
    boxBlur(mask.alpha, sigma / mask.step);
    return mask;
}

void drawMask(QPainter& target, const Mask& mask, const QColor& color, QPointF deviceOffset,
              const QRect& hidden) {
    if (color.alpha() == 0 || mask.alpha.isNull()) return;
    std::uint32_t lut[256];
    tintLut(color, lut);
    const QRect all(0, 0, mask.alpha.width(), mask.alpha.height());
    // The part under `hidden`, in whole mask pixels strictly inside it.
    QRect hole;
    if (!hidden.isEmpty()) {
        const double st = mask.step;
        const QPointF rel0 = QPointF(hidden.topLeft()) - mask.origin - deviceOffset;
        const QPointF rel1 = rel0 + QPointF(hidden.width(), hidden.height());
        const int x0 = int(std::ceil(rel0.x() / st)), y0 = int(std::ceil(rel0.y() / st));
        const int x1 = int(std::floor(rel1.x() / st)), y1 = int(std::floor(rel1.y() / st));
        if (x1 > x0 && y1 > y0) hole = QRect(x0, y0, x1 - x0, y1 - y0) & all;
    }
    std::vector<QRect> parts;
    if (hole.isEmpty()) {
        parts.push_back(all);
    } else {
        parts.push_back(QRect(0, 0, all.width(), hole.top()));
        parts.push_back(QRect(0, hole.bottom() + 1, all.width(), all.height() - hole.bottom() - 1));
        parts.push_back(QRect(0, hole.top(), hole.left(), hole.height()));
        parts.push_back(QRect(hole.right() + 1, hole.top(), all.width() - hole.right() - 1, hole.height()));
    }
    for (const QRect& part : parts) {
        if (part.isEmpty()) continue;
        const QPointF at = mask.origin + deviceOffset + QPointF(part.topLeft()) * mask.step;
        if (mask.step == 2)
            drawDevice(target, tintedDoubled(mask.alpha, part, lut), at, 1, 1);
        else
            drawDevice(target, tinted(mask.alpha, part, lut), at, mask.step, 1);
    }
}

void drawShadow(QPainter& target, Mask mask, const QColor& color, double sigma, QPointF deviceOffset) {
    if (color.alpha() == 0 || mask.alpha.isNull()) return;
    drawMask(target, blurred(std::move(mask), sigma), color, deviceOffset);
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

void drawGroup(QPainter& target, const QRectF& bounds, double opacity, double saturation,
               const Content& content) {
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

namespace {

struct CachedKey {
    QString key;
    double scale, w, h;
    int fx, fy;
    bool operator==(const CachedKey& o) const {
        return key == o.key && scale == o.scale && w == o.w && h == o.h && fx == o.fx && fy == o.fy;
    }
};
struct CachedKeyHash {
    std::size_t operator()(const CachedKey& k) const {
        return qHash(k.key) ^ (std::hash<double>()(k.scale * 1e3 + k.w * 7 + k.h * 131) << 1) ^
               std::size_t(k.fx * 13 + k.fy * 97);
    }
};
struct CachedImage {
    QImage image;
    QPoint offset; // from the whole device pixel of the bounds' top-left
};

} // namespace

void drawCached(QPainter& target, const QString& key, const QRectF& bounds, const Content& content) {
    const QTransform dt = target.deviceTransform();
    if (dt.type() > QTransform::TxScale || std::abs(dt.m11() - dt.m22()) > 1e-9) {
        content(target);
        return;
    }
    constexpr int phases = 4;
    const QPointF corner = dt.map(bounds.topLeft());
    const double wx = std::floor(corner.x()), wy = std::floor(corner.y());
    const int fx = int(std::lround((corner.x() - wx) * phases)),
              fy = int(std::lround((corner.y() - wy) * phases));

    using Entry = std::pair<CachedKey, CachedImage>;
    thread_local std::list<Entry> order;
    thread_local std::unordered_map<CachedKey, std::list<Entry>::iterator, CachedKeyHash> index;
    CachedKey k{key, dt.m11(), bounds.width(), bounds.height(), fx, fy};
    auto it = index.find(k);
    if (it == index.end()) {
        if (order.size() >= 256) {
            index.erase(order.back().first);
            order.pop_back();
        }
        const double s = dt.m11();
        const QRect box =
            QRectF(double(fx) / phases, double(fy) / phases, bounds.width() * s, bounds.height() * s)
                .toAlignedRect()
                .adjusted(-1, -1, 1, 1);
        CachedImage c{QImage(box.size(), QImage::Format_ARGB32_Premultiplied), box.topLeft()};
        c.image.fill(Qt::transparent);
        {
            QPainter p(&c.image);
            p.setRenderHints(target.renderHints());
            p.translate(double(fx) / phases - box.left(), double(fy) / phases - box.top());
            p.scale(s, s);
            p.translate(-bounds.topLeft());
            content(p);
        }
        order.emplace_front(k, std::move(c));
        it = index.emplace(std::move(k), order.begin()).first;
    } else {
        order.splice(order.begin(), order, it->second);
    }
    const CachedImage& c = it->second->second;
    drawDevice(target, c.image, QPointF(wx + c.offset.x(), wy + c.offset.y()));
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
