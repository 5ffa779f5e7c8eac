#pragma once

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QString>

// Text as outlines. Qt's glyph engine rounds font sizes to whole pixels, which would
// make 7.5-point and 8-point labels identical; shaping at ten times the size and scaling
// the outlines back keeps fractional sizes and letter spacing exact, on every device.
// Shapes are cached, so static labels cost one path fill per frame.
namespace fray::Text {

struct Shaped {
    QPainterPath path; // glyph outlines, baseline at y = 0, pen start at x = 0
    double advance = 0; // width, letter spacing after every character included
    double ascent = 0;
    double descent = 0;
    double height() const { return ascent + descent; }
};

Shaped shape(const QString& text, const QFont& font);
double width(const QString& text, const QFont& font);

// `text` cut at the end with "…" so that it fits `maxWidth`.
QString elided(const QString& text, const QFont& font, double maxWidth);

// Fills the outlines with the baseline starting at `baselineLeft`.
void draw(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush);

// Fills `s` centred in `box` on a single line: its line box (ascent + descent) is centred
// vertically. Returns the baseline origin used.
QPointF drawCentred(QPainter& p, const Shaped& s, const QRectF& box, const QBrush& brush);

// Baseline origin for `s` in `box` with the given horizontal alignment, line box centred.
QPointF place(const Shaped& s, const QRectF& box, Qt::Alignment horizontal);

} // namespace fray::Text
