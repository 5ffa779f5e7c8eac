#pragma once

#include "theme/Effects.h"
#include "theme/Redraw.h"

namespace fray {

// The red pulse the island and the collapsed views wear while player 1 needs the user.
namespace RageGlow {

// 0.1 to 1.0, five radians a second.
double pulse(Instant t);
Effects::Shadow shadow(Instant t);

// Draws `content` (inside `bounds`), with the glow beneath it when `active`.
void apply(QPainter& p, const QRectF& bounds, bool active, Instant t, const Effects::Content& content);

// How far the glow is repainted beyond the content, in points: the panel's whole margin.
inline constexpr double reach = 26;

void schedule(RedrawSchedule& s, bool active, const QRectF& bounds, Instant t);

} // namespace RageGlow
} // namespace fray
