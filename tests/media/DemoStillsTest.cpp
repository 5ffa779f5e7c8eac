#include "media/DemoMedia.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace fray {
namespace {

// A directory stands where "04-ko.png" should go, so that still cannot be written.
TEST(DemoStills, WordmarkThenTheShotsInOrderAndTheUnwritableOneReported) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("04-ko.png");
    std::ostringstream out, err;
    const int status = DemoMedia::renderShots(dir.path().toStdString(), out, err);
    std::string expected = "wrote wordmark.png\n";
    for (const auto& shot : DemoMedia::shots()) {
        if (shot.name == "04-ko") continue;
        expected += "wrote " + shot.name + ".png\n";
        EXPECT_FALSE(QImage(dir.filePath(QString::fromStdString(shot.name + ".png"))).isNull())
            << "what is claimed is there: " << shot.name;
    }
    EXPECT_EQ(out.str(), expected);
    const std::string errors = err.str();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.rfind("could not write " + dir.filePath("04-ko.png").toStdString() + ": ", 0), 0u)
        << errors;
    EXPECT_EQ(status, 1) << "a still that was not written fails the run";
}

// The flash shots wait for the pulse's peak; that wait must end even when no peak comes.
TEST(DemoMedia, FlashWaitEndsAtAPeakOrAfterOneAndAHalfSeconds) {
    int timedOut = 0;
    for (double start = 1735689600.0; start < 1735689600.0 + 60; start += 0.37) {
        SCOPED_TRACE(start);
        std::optional<Instant> slept;
        const Instant peak = DemoMedia::waitForFlashPeak([&] { return fromUnixSeconds(start); },
                                                         [&](Instant until) { slept = until; });
        EXPECT_EQ(slept, peak) << "it sleeps until the instant it draws for";
        const double waited = secondsBetween(fromUnixSeconds(start), peak);
        ASSERT_LE(waited, 1.5 + 1e-6);
        if (waited > 1.5 - 1e-6)
            ++timedOut;
        else
            EXPECT_TRUE(DemoMedia::isFlashPeak(peak));
    }
    EXPECT_GT(timedOut, 0) << "some minutes have a gap over 1.5 s between peaks";
    EXPECT_LT(timedOut, 60 / 0.37 / 2);
}

} // namespace
} // namespace fray
