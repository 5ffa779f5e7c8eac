#include "media/DemoMedia.h"
#include "media/DemoScene.h"
#include "media/SceneParts.h"

#include "support/PixelProbe.h"

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
    for (const auto& shot : DemoMedia::shots())
        if (shot.name != "04-ko") expected.push_back("wrote " + shot.name + ".png");
    EXPECT_EQ(lines(s.out), expected);
    const Names errors = lines(s.err);
    ASSERT_EQ(errors.size(), 1u) << s.err;
    EXPECT_EQ(errors[0].rfind("could not write " + s.dir.filePath("04-ko.png").toStdString() + ": ", 0), 0u)
        << errors[0];
    EXPECT_EQ(s.status, 1) << "a still that was not written fails the run";
}

TEST(DemoStills, SizesAndBackgrounds) {
    // The story at the scene's size and the close-ups padded around the view, all at scale 2.
    const Stills& s = run();
    EXPECT_EQ(s.image("01-hero-working").size(), QSize(int(2 * DemoScene::W), int(2 * DemoScene::H)));
    const QSize compact = s.image("06-state-fight").size();
    EXPECT_EQ(s.image("16-notch").size(), compact + QSize(0, 2 * 32)) << "the notch's height on top";
    EXPECT_GT(s.image("12-roster-expanded").height(), compact.height() + 2 * 4 * 26) << "four roster rows";
    const QImage mark = s.image("wordmark");
    EXPECT_EQ(mark.width(), int(std::ceil(WordmarkView::size().width() * 3))) << "the wordmark at scale 3";
    EXPECT_EQ(mark.pixelColor(0, 0).alpha(), 0) << "the wordmark stands on transparency";
    EXPECT_EQ(s.image("01-hero-working").pixelColor(0, 0).alpha(), 255) << "the shots are opaque";
}

// Near-white pixels in a band of the picture, in points at scale 2.
int whitePixels(const QImage& img, QRectF points) {
    int n = 0;
    const QRect px = QRectF(points.topLeft() * 2, points.size() * 2).toRect() & img.rect();
    for (int y = px.top(); y <= px.bottom(); ++y)
        for (int x = px.left(); x <= px.right(); ++x)
            if (QColor c = img.pixelColor(x, y); c.lightness() > 200 && test::chroma(c) < 30) ++n;
    return n;
}

TEST(DemoStills, StoryShotsCarryTheirCaptionPlate) {
    for (const char* name : {"01-hero-working", "02-your-move", "03-roster", "05-collapsed"}) {
        SCOPED_TRACE(name);
        const QImage img = run().image(name);
        // The plate's text line sits about 20 points above the plate's bottom edge.
        const double y = DemoScene::captionAnchor().y() - 32;
        EXPECT_GT(whitePixels(img, QRectF(440, y, 400, 24)), 300) << "caption letters";
        EXPECT_EQ(whitePixels(img, QRectF(20, y, 150, 24)), 0) << "bare wallpaper beside the plate";
    }
}

TEST(DemoScene, ClosingTitleOnlyFromItsStart) {
    const Instant now = wallNow();
    auto shot = [&](double t, bool withOutro) {
        DemoScene scene = DemoScene::from(DemoScript::beat(t, now), DemoMedia::terminalTitle);
        if (!withOutro) scene.outro = 0;
        return DemoMedia::render({QSizeF(DemoScene::W, DemoScene::H),
                                  [scene](QPainter& p, Instant at) {
                                      IslandViewState fresh;
                                      scene.paint(p, fresh, at);
                                  }},
                                 1, true, now);
    };
    const QPoint wallpaper(100, 600);
    EXPECT_EQ(shot(43.0, true).pixelColor(wallpaper), shot(43.0, false).pixelColor(wallpaper));
    const QColor bare = shot(44.0, false).pixelColor(wallpaper),
                 dimmed = shot(44.0, true).pixelColor(wallpaper);
    EXPECT_LT(dimmed.lightness(), bare.lightness() / 2) << "the desktop darkens under the closing title";
}

TEST(DemoMedia, FlashWaitEndsAtTheFirstPeakOrAfterOneAndAHalfSeconds) {
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
        for (int i = 0; 0.002 * i < waited - 1e-6; ++i)
            ASSERT_FALSE(DemoMedia::isFlashPeak(fromUnixSeconds(start) + 0.002 * i))
                << "a peak " << 2 * i << " ms in";
    }
    EXPECT_GT(timedOut, 0) << "some minutes have a gap over 1.5 s between peaks";
    EXPECT_LT(timedOut, 60 / 0.37 / 2);
}

} // namespace
} // namespace fray
