#include "Text.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace fray::Text {

namespace {

constexpr double oversample = 10;
constexpr std::size_t cacheLimit = 4096;

QFont enlarged(QFont f) {
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * oversample);
    else
        f.setPixelSize(int(f.pixelSize() * oversample));
    if (f.letterSpacingType() == QFont::AbsoluteSpacing && f.letterSpacing() != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, f.letterSpacing() * oversample);
    return f;
}

Shaped build(const QString& text, const QFont& font, QString key) {
    QFont big = enlarged(font);
    QFontMetricsF fm(big);
    Shaped s;
    s.key = std::move(key);
    s.advance = fm.horizontalAdvance(text) / oversample;
    s.ascent = fm.ascent() / oversample;
    s.descent = fm.descent() / oversample;
    QPainterPath path;
    path.addText(0, 0, big, text);
    s.path = QTransform::fromScale(1 / oversample, 1 / oversample).map(path);
    return s;
}

} // namespace

Shaped shape(const QString& text, const QFont& font) {
    // One cache per thread: painting happens on the main thread, benchmarks anywhere.
    thread_local std::unordered_map<QString, Shaped> cache;
    QString key = font.toString() + QChar(0x1f) + QString::number(font.letterSpacing()) + QChar(0x1f) + text;
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    if (cache.size() >= cacheLimit) cache.clear();
    Shaped built = build(text, font, key);
    return cache.emplace(std::move(key), std::move(built)).first->second;
}

double width(const QString& text, const QFont& font) {
    return shape(text, font).advance;
}

QString elided(const QString& text, const QFont& font, double maxWidth) {
    if (width(text, font) <= maxWidth) return text;
    const QString ellipsis = QStringLiteral("…");
    // Binary search on the number of characters kept.
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        qsizetype mid = (lo + hi + 1) / 2;
        if (width(text.left(mid).trimmed() + ellipsis, font) <= maxWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo == 0 ? ellipsis : text.left(lo).trimmed() + ellipsis;
}

namespace {

constexpr int phases = 4; // sub-pixel positions per device pixel, each way
constexpr std::size_t rasterLimit = 512;

// Coverage of one shape at one scale and phase, in device pixels.
struct Coverage {
    QImage alpha;                              // Format_Alpha8
    QPoint offset;                             // of the image's top-left from the pen's whole device pixel
    std::vector<std::pair<QRgb, QImage>> inks; // coloured once per solid colour
};

QImage solidInk(const QImage& alpha, const QColor& col) {
    QImage ink(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    std::uint32_t lut[256];
    const double ca = col.alphaF();
    for (int a = 0; a < 256; ++a) {
        double A = a * ca;
        lut[a] = (std::uint32_t(std::lround(A)) << 24) | (std::uint32_t(std::lround(col.redF() * A)) << 16) |
                 (std::uint32_t(std::lround(col.greenF() * A)) << 8) |
                 std::uint32_t(std::lround(col.blueF() * A));
    }
    for (int y = 0, h = ink.height(), w = ink.width(); y < h; ++y) {
        const std::uint8_t* src = alpha.constScanLine(y);
        auto* dst = reinterpret_cast<std::uint32_t*>(ink.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = lut[src[x]];
    }
    return ink;
}

struct RasterKey {
    QString text;
    double scale;
    int fx, fy;
    bool operator==(const RasterKey& o) const {
        return text == o.text && scale == o.scale && fx == o.fx && fy == o.fy;
    }
};
struct RasterKeyHash {
    std::size_t operator()(const RasterKey& k) const {
        return qHash(k.text) ^ (std::hash<double>()(k.scale) * 31) ^ std::size_t(k.fx * 7 + k.fy * 131);
    }
};

Coverage rasterise(const Shaped& s, double scale, double fx, double fy) {
    QRectF dev = QTransform::fromScale(scale, scale).mapRect(s.path.boundingRect()).translated(fx, fy);
    QRect box = dev.toAlignedRect().adjusted(-1, -1, 1, 1);
    Coverage c{QImage(box.size(), QImage::Format_Alpha8), box.topLeft(), {}};
    c.alpha.fill(0);
    QPainter p(&c.alpha);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(fx - box.left(), fy - box.top());
    p.scale(scale, scale);
    p.fillPath(s.path, Qt::black);
    return c;
}

// A least-recently-used cache: the pulsing words make new entries every frame.
Coverage& coverage(const Shaped& s, double scale, int fx, int fy) {
    using Entry = std::pair<RasterKey, Coverage>;
    thread_local std::list<Entry> order;
    thread_local std::unordered_map<RasterKey, std::list<Entry>::iterator, RasterKeyHash> index;
    RasterKey key{s.key, scale, fx, fy};
    if (auto it = index.find(key); it != index.end()) {
        order.splice(order.begin(), order, it->second);
        return it->second->second;
    }
    if (order.size() >= rasterLimit) {
        index.erase(order.back().first);
        order.pop_back();
    }
    order.emplace_front(key, rasterise(s, scale, double(fx) / phases, double(fy) / phases));
    index.emplace(std::move(key), order.begin());
    return order.front().second;
}

bool plainScale(const QTransform& t) {
    return t.type() <= QTransform::TxScale && std::abs(t.m11() - t.m22()) < 1e-9 && t.m11() > 0;
}

} // namespace

namespace {
void drawText(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush, bool snap);
}

void draw(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush) {
    drawText(p, s, baselineLeft, brush, false);
}

void drawSnapped(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush) {
    drawText(p, s, baselineLeft, brush, true);
}

namespace {
void drawText(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush, bool snap) {
    if (s.path.isEmpty()) return;
    const QTransform dt = p.deviceTransform();
    if (s.key.isEmpty() || !plainScale(dt)) {
        // Move the outlines, not the painter: a gradient brush stays where the caller put it.
        p.fillPath(s.path.translated(baselineLeft), brush);
        return;
    }
    const double scale = dt.m11();
    QPointF pen = dt.map(baselineLeft);
    if (snap) pen = QPointF(std::round(pen.x()), std::round(pen.y()));
    const double wx = std::floor(pen.x()), wy = std::floor(pen.y());
    int fx = int(std::lround((pen.x() - wx) * phases)), fy = int(std::lround((pen.y() - wy) * phases));
    Coverage& c = coverage(s, scale, fx, fy);
    const QPoint at = QPoint(int(wx), int(wy)) + c.offset;

    // Colour the coverage with the brush, laid out in the painter's own coordinates.
    QImage ink;
    if (brush.style() == Qt::SolidPattern) {
        const QRgb key = brush.color().rgba();
        auto it = std::find_if(c.inks.begin(), c.inks.end(), [&](const auto& e) { return e.first == key; });
        if (it == c.inks.end()) {
            if (c.inks.size() >= 4) c.inks.clear();
            c.inks.emplace_back(key, solidInk(c.alpha, brush.color()));
            it = c.inks.end() - 1;
        }
        ink = it->second;
    } else {
        ink = QImage(c.alpha.size(), QImage::Format_ARGB32_Premultiplied);
        ink.fill(Qt::transparent);
        {
            QPainter g(&ink);
            g.setTransform(dt * QTransform::fromTranslate(-at.x(), -at.y()));
            g.fillRect(dt.inverted().mapRect(QRectF(at, ink.size())), brush);
        }
        for (int y = 0, h = ink.height(), w = ink.width(); y < h; ++y) {
            const std::uint8_t* a = c.alpha.constScanLine(y);
            auto* px = reinterpret_cast<std::uint32_t*>(ink.scanLine(y));
            for (int x = 0; x < w; ++x) {
                std::uint32_t m = a[x], v = px[x];
                auto ch = [&](int shift) { return (((v >> shift) & 0xff) * m + 127) / 255; };
                px[x] = (ch(24) << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
            }
        }
    }
    p.save();
    p.resetTransform();
    p.setWorldTransform(p.deviceTransform().inverted());
    p.drawImage(at, ink);
    p.restore();
}
} // namespace

QPointF place(const Shaped& s, const QRectF& box, Qt::Alignment horizontal) {
    double x = box.left();
    if (horizontal & Qt::AlignHCenter)
        x = box.center().x() - s.advance / 2;
    else if (horizontal & Qt::AlignRight)
        x = box.right() - s.advance;
    double y = box.center().y() - s.height() / 2 + s.ascent;
    return {x, y};
}

QPointF drawCentred(QPainter& p, const Shaped& s, const QRectF& box, const QBrush& brush) {
    QPointF origin = place(s, box, Qt::AlignHCenter);
    draw(p, s, origin, brush);
    return origin;
}

double rowWidth(const std::vector<Piece>& pieces) {
    double w = 0;
    for (const auto& piece : pieces)
        w += piece.gapBefore + piece.shape.advance;
    return w;
}

double drawRow(QPainter& p, const std::vector<Piece>& pieces, double left, double centreY) {
    double x = left;
    for (const auto& piece : pieces) {
        x += piece.gapBefore;
        draw(p, piece.shape, QPointF(x, centreY - piece.shape.height() / 2 + piece.shape.ascent),
             piece.brush);
        x += piece.shape.advance;
    }
    return x - left;
}

} // namespace fray::Text
