#include "VortanPaint.h"

#include "Text.h"
#include "Vortan.h"

#include <QFontMetricsF>

namespace fray::VortanPaint {

namespace {
// Absolute letter spacing follows every glyph, the last one included; it is not ink.
double trailingSpacing(const QFont& f) {
    return f.letterSpacingType() == QFont::AbsoluteSpacing ? f.letterSpacing() : 0;
}
} // namespace

QColor focusColor() {
    return Vortan::fightCyan();
}

void drawLine(QPainter& p, const QRectF& rect, const QFont& font, const QColor& color, const QString& text,
              Qt::Alignment align, bool elide) {
    QString shown = elide ? Text::elided(text, font, rect.width() + trailingSpacing(font)) : text;
    Text::Shaped s = Text::shape(shown, font);
    double w = s.advance - trailingSpacing(font);
    double x = rect.left();
    if (align & Qt::AlignHCenter)
        x = rect.center().x() - w / 2;
    else if (align & Qt::AlignRight)
        x = rect.right() - w;
    // Centre the capitals rather than the line box: the labels are all capitals, so the
    // descender room would otherwise push them visibly high.
    double baseline = rect.center().y() + QFontMetricsF(font).capHeight() / 2;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    Text::draw(p, s, QPointF(x, baseline), color);
    p.restore();
}

double textWidth(const QFont& font, const QString& text) {
    return Text::width(text, font) - trailingSpacing(font);
}

} // namespace fray::VortanPaint
