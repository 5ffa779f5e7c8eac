#include "theme/Effects.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fray {
namespace {

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

} // namespace
} // namespace fray
