#pragma once

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <vector>

// Text as outlines. Qt's glyph engine rounds font sizes to whole pixels, which would
// make 7.5-point and 8-point labels identical; shaping at ten times the size and scaling
// the outlines back keeps fractional sizes and letter spacing exact, on every device.
// Shapes are cached, so static labels cost one path fill per frame.
namespace fray::Text {

struct Shaped {
    QString key;        // identity of text and font, for the raster cache
    QPainterPath path;  // glyph outlines, baseline at y = 0, pen start at x = 0
    double advance = 0; // width, letter spacing after every character included
    double ascent = 0;
    double descent = 0;
    double height() const { return ascent + descent; }
};

Shaped shape(const QString& text, const QFont& font);
double width(const QString& text, const QFont& font);

// `text` cut at the end with "…" so that it fits `maxWidth`.
QString elided(const QString& text, const QFont& font, double maxWidth);

// Fills the outlines with the baseline starting at `baselineLeft`. Under a plain
// translate-and-scale transform the coverage is rasterised once per device scale and
// quarter-pixel phase and reused, so static labels cost a blit per frame.
void draw(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush);
// The same, with the pen snapped to a whole device pixel: for text whose scale animates,
// so each step of the animation is rasterised once rather than once per sub-pixel phase.
void drawSnapped(QPainter& p, const Shaped& s, QPointF baselineLeft, const QBrush& brush);

// Fills `s` centred in `box` on a single line: its line box (ascent + descent) is centred
// vertically. Returns the baseline origin used.
QPointF drawCentred(QPainter& p, const Shaped& s, const QRectF& box, const QBrush& brush);

// Baseline origin for `s` in `box` with the given horizontal alignment, line box centred.
QPointF place(const Shaped& s, const QRectF& box, Qt::Alignment horizontal);

// A horizontal run of differently styled texts, each line box centred on one axis.
struct Piece {
    Shaped shape;
    QBrush brush;
    double gapBefore = 0;
};
double rowWidth(const std::vector<Piece>& pieces);
// Draws the run starting at x = `left`, centred on y = `centreY`; returns its width.
double drawRow(QPainter& p, const std::vector<Piece>& pieces, double left, double centreY);

} // namespace fray::Text
