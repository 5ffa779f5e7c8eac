#include "media/DemoMedia.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace fray {
namespace {

using Names = std::vector<std::string>;

Names lines(const std::string& text) {
    Names out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// One run for every test that reads it. A directory stands where "04-ko.png" should go,
// so that still cannot be written.
struct Stills {
    QTemporaryDir dir;
    std::string out, err;
    int status = -1;
    Stills() {
        QDir(dir.path()).mkdir("04-ko.png");
        std::ostringstream o, e;
        status = DemoMedia::renderShots(dir.path().toStdString(), o, e);
        out = o.str();
        err = e.str();
    }
    QImage image(const std::string& name) const {
        return QImage(dir.filePath(QString::fromStdString(name + ".png")));
    }
};

const Stills& run() {
    static const Stills s;
    return s;
}

TEST(DemoStills, WordmarkThenTheShotsInOrderAndTheUnwritableOneReported) {
    const Stills& s = run();
    Names expected{"wrote wordmark.png"};
    for (const auto& shot : DemoMedia::shots()) {
        if (shot.name == "04-ko") continue;
        expected.push_back("wrote " + shot.name + ".png");
        EXPECT_FALSE(s.image(shot.name).isNull()) << "what is claimed is there: " << shot.name;
    }
    EXPECT_EQ(lines(s.out), expected);
    const Names errors = lines(s.err);
    ASSERT_EQ(errors.size(), 1u) << s.err;
    EXPECT_EQ(errors[0].rfind("could not write " + s.dir.filePath("04-ko.png").toStdString() + ": ", 0), 0u)
        << errors[0];
    EXPECT_EQ(s.status, 1) << "a still that was not written fails the run";
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
