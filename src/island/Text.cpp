#include "Text.h"

#include <QFontMetricsF>

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

Shaped build(const QString& text, const QFont& font) {
    QFont big = enlarged(font);
    QFontMetricsF fm(big);
    Shaped s;
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
    return cache.emplace(std::move(key), build(text, font)).first->second;
}

double width(const QString& text, const QFont& font) { return shape(text, font).advance; }

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

void draw(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush) {
    if (s.path.isEmpty()) return;
    p.save();
    p.translate(baselineLeft);
    p.fillPath(s.path, brush);
    p.restore();
}

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

} // namespace fray::Text
