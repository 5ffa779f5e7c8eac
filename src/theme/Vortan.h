#pragma once

#include <QColor>
#include <QFont>

// The fight-game theme: a fixed palette and the two display faces.
//
// Sizes are points, and one point is one logical pixel (the island was designed on a
// 72-point-per-inch canvas). QFont point sizes are scaled accordingly, so a font from
// here measures the same with QFontMetricsF, QPainterPath::addText and QPainter::drawText
// on any device at the application's default DPI.
namespace fray::Vortan {

const QColor& plateTop();
const QColor& plateBottom();
const QColor& goldLight();
const QColor& gold();
const QColor& goldDark();
const QColor& barPale();
const QColor& barYellow();
const QColor& barOrange();
const QColor& barBack();
const QColor& damageRed();
const QColor& rageRed();
const QColor& p1Blue();
const QColor& p2Red();
const QColor& fightCyan();
const QColor& dimText(); // white at opacity 0.45

// The heavy display face at `size` points.
QFont font(double size);
// The lighter display face at `size` points.
QFont fontDemi(double size);
// The system UI face; `mono` picks the fixed-pitch design.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal, bool mono = false);

// A copy of `f` with `kerning` points of absolute letter spacing.
QFont kerned(QFont f, double kerning);

// `c` with its alpha multiplied by `opacity`.
QColor withOpacity(QColor c, double opacity);

} // namespace fray::Vortan
