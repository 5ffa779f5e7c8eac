#include "theme/Effects.h"
#include "support/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fray {
namespace {

using test::at;
using test::canvas;

TEST(BoxBlur, SpreadsABlockLikeAGaussianOfTheGivenSigma) {
    for (double sigma : {0.0, 1.0, 2.5, 8.0}) {
        SCOPED_TRACE(sigma);
        // A 5-pixel block rather than a dot, so 8-bit rounding does not swallow the tails.
        const int n = 101, c = 50;
        QImage block(n, n, QImage::Format_Alpha8);
        block.fill(0);
        for (int y = c - 2; y <= c + 2; ++y)
            for (int x = c - 2; x <= c + 2; ++x)
                block.scanLine(y)[x] = 255;
        Effects::boxBlur(block, sigma);
        double sum = 0, sx = 0, sxx = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double v = block.constScanLine(y)[x];
                sum += v;
                sx += v * x;
                sxx += v * x * x;
            }
        const double mean = sx / sum, var = sxx / sum - mean * mean;
        EXPECT_NEAR(sum, 25 * 255, 25 * 255 * 0.03) << "mass is preserved";
        EXPECT_NEAR(mean, c, 0.05) << "no drift";
        EXPECT_NEAR(std::sqrt(std::max(0.0, var - 2)), sigma, 0.12 * sigma + 0.2)
            << "the block's own variance is 2";
        EXPECT_EQ(block.constScanLine(c)[c - 5], block.constScanLine(c + 5)[c])
            << "the same spread across and down";
    }
}

// A 40 x 40 white square in the middle of a 100 x 100 canvas, with a black shadow.
QImage squareWithShadow(const Effects::Shadow& s) {
    QImage img = canvas(100, 100);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Effects::drawWithShadow(p, QRectF(30, 30, 40, 40), s,
                            [](QPainter& q) { q.fillRect(QRectF(30, 30, 40, 40), Qt::white); });
    return img;
}

TEST(Shadow, SoftEdgeIsCentredOnTheContentEdge) {
    // Radius 2 blurs at full resolution, radius 8 on the half-resolution path; both must
    // put the half-way point of the fall-off on the square's edge, on every side.
    for (double radius : {2.0, 8.0}) {
        SCOPED_TRACE(radius);
        QImage img = squareWithShadow({QColor(0, 0, 0), radius, {}});
        auto alphaAt = [&](double x, double y) { return at(img, {x, y}).alphaF(); };
        double left = alphaAt(29.75, 50), right = alphaAt(70.25, 50), top = alphaAt(50, 29.75),
               bottom = alphaAt(50, 70.25);
        for (double a : {left, right, top, bottom})
            EXPECT_NEAR(a, 0.5, 0.12);
        EXPECT_NEAR(left, right, 0.04);
        EXPECT_NEAR(top, bottom, 0.04);
        EXPECT_LT(alphaAt(30 - 2.5 * radius, 50), 0.05) << "fades out within a few sigma";
    }
}

TEST(Shadow, FollowsTheTransformOfScaledContent) {
    // Content drawn under a 2x scale on a 2x canvas: the layer is at 4 pixels per point,
    // and the offset is scaled with the content.
    QImage img = canvas(100, 100);
    QPainter p(&img);
    p.scale(2, 2);
    Effects::drawWithShadow(p, QRectF(10, 10, 10, 10), {QColor(0, 0, 0), 0, QPointF(0, 2)},
                            [](QPainter& q) { q.fillRect(QRectF(10, 10, 10, 10), Qt::white); });
    p.end();
    EXPECT_EQ(at(img, {30, 41}), QColor(Qt::black)) << "shadow 4 points below in canvas space";
    EXPECT_EQ(at(img, {30, 45}).alpha(), 0);
}

} // namespace
} // namespace fray
