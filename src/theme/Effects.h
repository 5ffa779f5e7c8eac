#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <functional>

// Glow, drop shadow, group opacity and desaturation, implemented once for every view.
//
// Content is painted into an offscreen layer at the target's device resolution (with the
// target's full transform, so scaled or rotated content stays sharp); a shadow is the
// layer's alpha, blurred by a deterministic three-pass box blur, tinted and composited
// below the content. Wide blurs run at half resolution: the result is soft anyway.
namespace fray::Effects {

using Content = std::function<void(QPainter&)>;

// A shadow as the island's design states them: `radius` in points, taken as the standard
// deviation of the blur (how the design tool's shadow radius renders), `offset` in
// points; a glow is a shadow without offset.
struct Shadow {
    QColor color;
    double radius = 0;
    QPointF offset{};
};

inline Shadow glow(const QColor& color, double opacity, double radius) {
    QColor c = color;
    c.setAlphaF(float(c.alphaF() * opacity));
    return Shadow{c, radius, {}};
}

// Device pixels per logical point of a painter's current transform.
double deviceScale(const QPainter& p);

// An offscreen surface covering `bounds` (target coordinates) plus `padPoints` around it,
// at the target's device resolution.
class Layer {
  public:
    Layer(QPainter& target, const QRectF& bounds, double padPoints = 0);
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Paints with the target's transform; valid until finish().
    QPainter& painter() { return painter_; }
    void finish();

    const QImage& image() const { return image_; }
    QImage& image() { return image_; }
    QPoint origin() const { return origin_; } // device pixel of the image's top-left
    double scale() const { return scale_; }

    // Composites the layer 1:1 onto the target's device pixels.
    void drawInto(QPainter& target, double opacity = 1) const;

  private:
    QImage image_;
    QPoint origin_;
    double scale_ = 1;
    QPainter painter_;
};

// An alpha mask in device pixels, possibly at a coarser `step` (device pixels per mask pixel).
struct Mask {
    QImage alpha; // Format_Alpha8
    QPointF origin;
    int step = 1;
};

// Alpha of `layer`, with room around it for a blur of standard deviation `sigma` (device px).
Mask maskOf(const Layer& layer, double sigma);
Mask maskOf(const QImage& argb, QPoint origin, double sigma);

// In-place three-pass box blur approximating a Gaussian of standard deviation `sigma` pixels.
void boxBlur(QImage& alpha8, double sigma);

// Draws an image whose pixels are `step` device pixels each, top-left at `deviceOrigin`.
void drawDevice(QPainter& target, const QImage& img, QPointF deviceOrigin, int step = 1, double opacity = 1);

// Blurs every channel of a premultiplied image (content blur rather than a shadow).
void blur(QImage& argbPremultiplied, double sigma);

// A copy of `mask` blurred by `sigma` device pixels (callers may cache it).
Mask blurred(Mask mask, double sigma);
// Tints an already blurred mask and draws it offset by `deviceOffset`. Pixels inside
// `hidden` (device pixels, absolute, like `mask.origin`) are skipped: the caller knows
// opaque content covers them.
void drawMask(QPainter& target, const Mask& mask, const QColor& color, QPointF deviceOffset,
              const QRect& hidden = {});

// Blurs `mask` by `sigma` device pixels, tints it and draws it offset by `deviceOffset`.
void drawShadow(QPainter& target, Mask mask, const QColor& color, double sigma, QPointF deviceOffset);

// Draws `content` (which stays within `bounds`) with `shadow` beneath it.
void drawWithShadow(QPainter& target, const QRectF& bounds, const Shadow& shadow, const Content& content);

// Draws `content` grouped: composited at `opacity`, with its colours' saturation scaled by
// `saturation` (1 leaves them, 0 makes them grey).
void drawGroup(QPainter& target, const QRectF& bounds, double opacity, double saturation,
               const Content& content);

// Draws `content` (which stays within `bounds` and depends only on `key` and the size of
// `bounds`) from a per-thread cache rasterised once per device scale and quarter-pixel
// phase. Falls back to drawing directly under a rotating or shearing transform.
void drawCached(QPainter& target, const QString& key, const QRectF& bounds, const Content& content);

// Interpolates every pixel between its luminance and its colour.
void desaturate(QImage& argbPremultiplied, double saturation);

// The standard deviation, in device pixels, of a shadow of `radius` points.
double sigmaFor(const QPainter& p, double radius);

} // namespace fray::Effects
