#include "PixelProbe.h"
#include "island/Backplate.h"
#include "island/Effects.h"
#include "island/Shapes.h"
#include "island/Vortan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fray {
namespace {

using test::at;
using test::canvas;
using test::chroma;

QImage dot(int size, int x, int y) {
    QImage img(size, size, QImage::Format_Alpha8);
    img.fill(0);
    img.scanLine(y)[x] = 255;
    return img;
}

TEST(BoxBlur, SpreadsAPointLikeAGaussianOfTheGivenSigma) {
    for (double sigma : {1.0, 2.5, 4.0, 8.0}) {
        SCOPED_TRACE(sigma);
        const int n = 101, c = 50;
        QImage img = dot(n, c, c);
        // Scale the dot up so 8-bit rounding does not swallow the tails.
        QImage block(n, n, QImage::Format_Alpha8);
        block.fill(0);
        for (int y = c - 2; y <= c + 2; ++y)
            for (int x = c - 2; x <= c + 2; ++x) block.scanLine(y)[x] = 255;
        Effects::boxBlur(block, sigma);
        double sum = 0, sx = 0, sxx = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                double v = block.constScanLine(y)[x];
                sum += v;
                sx += v * x;
                sxx += v * x * x;
            }
        double mean = sx / sum;
        double var = sxx / sum - mean * mean;
        EXPECT_NEAR(sum, 25 * 255, 25 * 255 * 0.03) << "mass is preserved";
        EXPECT_NEAR(mean, c, 0.05) << "no drift";
        // The 5-pixel block has variance 2 before blurring.
        EXPECT_NEAR(std::sqrt(var - 2), sigma, 0.12 * sigma + 0.2);
        // Symmetric about the centre.
        EXPECT_EQ(block.constScanLine(c)[c - 5], block.constScanLine(c)[c + 5]);
        EXPECT_EQ(block.constScanLine(c - 5)[c], block.constScanLine(c + 5)[c]);
    }
}

TEST(BoxBlur, ZeroSigmaLeavesTheImageAlone) {
    QImage img = dot(9, 4, 4);
    Effects::boxBlur(img, 0);
    EXPECT_EQ(img.constScanLine(4)[4], 255);
    EXPECT_EQ(img.constScanLine(4)[5], 0);
}

// A 40 x 40 white square in the middle of a 100 x 100 canvas, with a black shadow.
QImage squareWithShadow(const Effects::Shadow& s) {
    QImage img = canvas(100, 100);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Effects::drawWithShadow(p, QRectF(30, 30, 40, 40), s, [](QPainter& q) { q.fillRect(QRectF(30, 30, 40, 40), Qt::white); });
    return img;
}

TEST(Shadow, HardShadowIsAnOffsetCopy) {
    QImage img = squareWithShadow({QColor::fromRgbF(0, 0, 0, 0.9f), 0, QPointF(0, 1.5)});
    EXPECT_EQ(at(img, {50, 50}), QColor(Qt::white));
    QColor below = at(img, {50, 71});
    EXPECT_NEAR(below.alphaF(), 0.9, 0.01);
    EXPECT_EQ(below.red(), 0);
    EXPECT_EQ(at(img, {50, 29.5}).alpha(), 0) << "nothing above";
    EXPECT_EQ(at(img, {50, 72}).alpha(), 0) << "exactly 1.5 points below";
}

TEST(Shadow, SoftEdgeIsCentredOnTheContentEdge) {
    // Radius 2 blurs at full resolution, radius 8 on the half-resolution path; both must
    // put the half-way point of the fall-off on the square's edge, on every side.
    for (double radius : {2.0, 8.0}) {
        SCOPED_TRACE(radius);
        QImage img = squareWithShadow({QColor(0, 0, 0), radius, {}});
        double s = img.devicePixelRatio();
        auto alphaAt = [&](double x, double y) { return img.pixelColor(int(x * s), int(y * s)).alphaF(); };
        // Sample just outside each edge: a Gaussian edge is at about 0.5 there.
        double left = alphaAt(29.75, 50), right = alphaAt(70.25, 50);
        double top = alphaAt(50, 29.75), bottom = alphaAt(50, 70.25);
        for (double a : {left, right, top, bottom}) EXPECT_NEAR(a, 0.5, 0.12);
        EXPECT_NEAR(left, right, 0.04);
        EXPECT_NEAR(top, bottom, 0.04);
        EXPECT_LT(alphaAt(30 - 2.5 * radius, 50), 0.05) << "fades out within a few sigma";
    }
}

TEST(Shadow, GlowTakesItsColour) {
    QImage img = squareWithShadow(Effects::glow(Vortan::rageRed(), 0.8, 6));
    QColor halo = at(img, {28, 50});
    ASSERT_GT(halo.alpha(), 40);
    EXPECT_GT(halo.red(), 200);
    EXPECT_LT(halo.green(), 80);
    EXPECT_LE(halo.alphaF(), 0.8 + 0.01) << "never stronger than the glow's opacity";
}

TEST(Shadow, FollowsTheTransformOfScaledContent) {
    // Content drawn under a 2x scale on a 2x canvas: the layer is at 4 pixels per point,
    // and the offset is scaled with the content.
    QImage img = canvas(100, 100);
    QPainter p(&img);
    p.scale(2, 2);
    EXPECT_DOUBLE_EQ(Effects::deviceScale(p), 4);
    Effects::drawWithShadow(p, QRectF(10, 10, 10, 10), {QColor(0, 0, 0), 0, QPointF(0, 2)},
                            [](QPainter& q) { q.fillRect(QRectF(10, 10, 10, 10), Qt::white); });
    p.end();
    EXPECT_EQ(at(img, {30, 41}).alpha(), 255) << "shadow 4 points below in canvas space";
    EXPECT_EQ(at(img, {30, 41}).red(), 0);
    EXPECT_EQ(at(img, {30, 45}).alpha(), 0);
}

TEST(Group, OpacityAndSaturation) {
    struct Case {
        const char* name;
        double opacity, saturation;
        int alpha;
        bool grey;
    } cases[] = {
        {"untouched", 1, 1, 255, false},
        {"faded", 0.5, 1, 128, false},
        {"greyed like the idle HUD", 0.82, 0.35, 209, false},
        {"fully grey", 1, 0, 255, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage img = canvas(20, 20);
        QPainter p(&img);
        Effects::drawGroup(p, QRectF(0, 0, 20, 20), c.opacity, c.saturation,
                           [](QPainter& q) { q.fillRect(QRectF(0, 0, 20, 20), Vortan::barOrange()); });
        p.end();
        QColor px = at(img, {10, 10});
        EXPECT_NEAR(px.alpha(), c.alpha, 1);
        int full = chroma(Vortan::barOrange()); // pixelColor un-premultiplies
        if (c.grey)
            EXPECT_LE(chroma(px), 1);
        else
            EXPECT_NEAR(chroma(px), full * c.saturation, 3);
    }
}

TEST(Desaturate, KeepsAlphaAndLuminance) {
    QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
    img.setPixelColor(0, 0, QColor(200, 40, 10, 255));
    Effects::desaturate(img, 0);
    QColor g = img.pixelColor(0, 0);
    EXPECT_EQ(g.alpha(), 255);
    EXPECT_EQ(g.red(), g.green());
    EXPECT_EQ(g.green(), g.blue());
    EXPECT_NEAR(g.red(), 0.2126 * 200 + 0.7152 * 40 + 0.0722 * 10, 1);
}

TEST(Backplate, GradientRunsFromPlateTopToPlateBottom) {
    QImage img = canvas(100, 200);
    QPainter p(&img);
    Backplate{continuousRoundedRect(QRectF(0, 0, 100, 200), 20)}.paint(p);
    p.end();
    QColor top = at(img, {50, 1}), middle = at(img, {50, 101}), bottom = at(img, {50, 199});
    EXPECT_EQ(at(img, {0.5, 0.5}).alpha(), 0) << "clipped to the shape";
    EXPECT_EQ(bottom.alpha(), 255);
    // The sheen lifts the top and is gone by the middle.
    EXPECT_GT(top.red(), Vortan::plateTop().red());
    EXPECT_GT(middle.blue(), bottom.blue());
    EXPECT_NEAR(bottom.blue(), Vortan::plateBottom().blue(), 3);
}

} // namespace
} // namespace fray
