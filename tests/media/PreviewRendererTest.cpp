#include "media/PreviewRenderer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace fray {
namespace {

const std::vector<std::string> publishedOrder = {
    "1-started",       "2-working",        "3-needs-action",  "4-completed",     "5-idle",
    "6-expanded",      "7-collapsed",      "7b-bar-mini",     "8-settings",      "9-notch-wrap",    "10-notch-expanded",
    "11-powerup-a",    "11-powerup-b",     "11-powerup-c",    "15-long-grind",   "16-plan-expanded",
    "13-stamina-idle", "13-stamina-half",  "12-on-white",
};

// One render of the gallery, shared by the tests that only read it.
struct Gallery {
    QTemporaryDir dir;
    std::string out, err;
    int status = -1;
    Gallery() {
        std::ostringstream o, e;
        status = PreviewRenderer::renderAll(dir.path().toStdString(), o, e);
        out = o.str();
        err = e.str();
    }
    QString file(const std::string& name) const { return dir.filePath(QString::fromStdString("island-" + name + ".png")); }
    QImage image(const std::string& name) const { return QImage(file(name)); }
};

const Gallery& run() {
    static const Gallery r;
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

int chroma(QColor c) { return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}); }

TEST(PreviewRenderer, GalleryInPublishedOrder) {
    std::vector<std::string> names;
    for (const auto& e : PreviewRenderer::gallery(PreviewRenderer::frameTime())) names.push_back(e.name);
    EXPECT_EQ(names, publishedOrder);
}

TEST(PreviewRenderer, WritesOneFilePerEntryAndSaysSo) {
    const Gallery& r = run();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::vector<std::string> expected;
    for (const auto& name : publishedOrder) expected.push_back("wrote " + r.file(name).toStdString());
    EXPECT_EQ(lines(r.out), expected);
    EXPECT_EQ(QDir(r.dir.path()).entryList(QDir::Files).size(), qsizetype(publishedOrder.size()));
}

TEST(PreviewRenderer, ImagesAreTwiceTheViewPlusMargins) {
    const Gallery& r = run();
    for (const auto& entry : PreviewRenderer::gallery(PreviewRenderer::frameTime())) {
        SCOPED_TRACE(entry.name);
        QImage img = r.image(entry.name);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.width(), int(std::ceil(2 * (entry.size.width() + 52))));
        EXPECT_EQ(img.height(), int(std::ceil(2 * (entry.size.height() + 52))));
        // The opaque backdrop fills every corner.
        for (QPoint corner : {QPoint(0, 0), QPoint(img.width() - 1, 0), QPoint(0, img.height() - 1),
                              QPoint(img.width() - 1, img.height() - 1)}) {
            QColor c = img.pixelColor(corner);
            EXPECT_EQ(c.alpha(), 255);
            EXPECT_NEAR(c.red(), 84, 1);
            EXPECT_NEAR(c.green(), 89, 1);
            EXPECT_NEAR(c.blue(), 102, 1);
        }
    }
    EXPECT_EQ(r.image("2-working").size(), QSize(2 * 512, 2 * (76 + 52)));
    EXPECT_EQ(r.image("7-collapsed").size(), QSize(2 * (58 + 52), 2 * (46 + 52)));
    EXPECT_EQ(r.image("7b-bar-mini").size(), QSize(2 * (60 + 52), 2 * (24 + 52)));
    EXPECT_EQ(r.image("9-notch-wrap").size(), QSize(2 * 512, 2 * (76 + 32 + 52)));
    EXPECT_EQ(r.image("8-settings").width(), 2 * (384 + 52));
}

TEST(PreviewRenderer, OnlyIslandsWhosePlayerOneWaitsGlowRed) {
    const Gallery& r = run();
    const std::set<std::string> waiting = {"3-needs-action", "6-expanded", "10-notch-expanded", "16-plan-expanded"};
    for (const auto& name : publishedOrder) {
        if (name.rfind("7", 0) == 0 || name == "8-settings" || name == "12-on-white") continue; // not a bare island
        SCOPED_TRACE(name);
        QImage img = r.image(name);
        // 4 points left of the island's body, level with the fighters.
        QColor c = img.pixelColor(2 * (26 - 4), 2 * (26 + 40) + (name.find("notch") != std::string::npos ? 64 : 0));
        if (waiting.count(name))
            EXPECT_GT(c.red(), c.green() + 30);
        else
            EXPECT_LT(std::abs(c.red() - c.green()), 12) << "nothing but backdrop and grey shadow";
    }
}

TEST(PreviewRenderer, IdleIslandIsGreyerThanAWorkingOne) {
    const Gallery& r = run();
    auto barChroma = [&](const std::string& name) {
        QImage img = r.image(name);
        long sum = 0, n = 0;
        for (int y = 2 * (26 + 24); y < 2 * (26 + 34); ++y)
            for (int x = 2 * (26 + 16); x < 2 * (26 + 200); ++x, ++n) sum += chroma(img.pixelColor(x, y));
        return sum / n;
    };
    EXPECT_LT(barChroma("5-idle") * 2, barChroma("1-started"));
}

TEST(PreviewRenderer, OnWhiteSitsOnALightGreyBackdrop) {
    QImage img = run().image("12-on-white");
    QColor grey = img.pixelColor(2 * (26 + 4), 2 * (26 + 4));
    QColor white = img.pixelColor(2 * (26 + 18 + 4), 2 * (26 + 18 + 4));
    EXPECT_NEAR(grey.red(), 237, 1);
    EXPECT_EQ(white, QColor(Qt::white));
}

TEST(PreviewRenderer, RendersAreReproducible) {
    // Every view draws from the frame time it is given, never from the clock.
    const Instant frame = PreviewRenderer::frameTime();
    for (const auto& entry : PreviewRenderer::gallery(frame)) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(PreviewRenderer::render(entry, frame), run().image(entry.name).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

TEST(PreviewRenderer, MissingDirectoryFailsEntryByEntry) {
    QTemporaryDir parent;
    const std::string missing = (parent.path() + "/not-there").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(PreviewRenderer::renderAll(missing, out, err), 1);
    EXPECT_EQ(out.str(), "") << "no file was written, so nothing is claimed";
    auto errors = lines(err.str());
    ASSERT_EQ(errors.size(), publishedOrder.size());
    EXPECT_EQ(errors.front(), "could not write " + missing + "/island-1-started.png");
    EXPECT_FALSE(QDir(QString::fromStdString(missing)).exists()) << "the directory is not created";
}

TEST(PreviewRenderer, ReplacesExistingFiles) {
    QTemporaryDir dir;
    const QString target = dir.filePath("island-5-idle.png");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100000, 'x'));
    }
    std::ostringstream out, err;
    EXPECT_EQ(PreviewRenderer::renderAll(dir.path().toStdString(), out, err), 0);
    QImage img(target);
    ASSERT_FALSE(img.isNull()) << "the old bytes are gone, not appended to";
    EXPECT_EQ(img.size(), run().image("5-idle").size());
}

TEST(PreviewRenderer, EmptyViewFailsToRender) {
    PreviewRenderer::Entry empty{"empty", QSizeF(0, 0), nullptr};
    EXPECT_TRUE(PreviewRenderer::render(empty, PreviewRenderer::frameTime()).isNull());
}

} // namespace
} // namespace fray
