#include "media/PreviewRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace fray {
namespace {

using Names = std::vector<std::string>;

// One render of the gallery, shared by the tests that only read it. A longer file already
// stands where one image goes: it must be replaced, not appended to.
struct Gallery {
    QTemporaryDir dir;
    std::string out, err;
    int status = -1;
    Gallery() {
        QFile old(file("5-idle"));
        if (old.open(QIODevice::WriteOnly)) old.write(QByteArray(100000, 'x'));
        old.close();
        std::ostringstream o, e;
        status = PreviewRenderer::renderAll(dir.path().toStdString(), o, e);
        out = o.str();
        err = e.str();
    }
    QString file(const std::string& name) const {
        return dir.filePath(QString::fromStdString("island-" + name + ".png"));
    }
    QImage image(const std::string& name) const { return QImage(file(name)); }
};

const Gallery& run() {
    static const Gallery g;
    return g;
}

Names lines(const std::string& text) {
    Names out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// Every entry is written in gallery order, reproducibly (views draw from the frame time
// they are given, never from the clock).
TEST(PreviewRenderer, WritesTheGalleryInOrderReproducibly) {
    const Gallery& g = run();
    EXPECT_EQ(g.status, 0);
    EXPECT_EQ(g.err, "");
    Names expected;
    const Instant frame = PreviewRenderer::frameTime();
    for (const auto& entry : PreviewRenderer::gallery(frame)) {
        SCOPED_TRACE(entry.name);
        expected.push_back("wrote " + g.file(entry.name).toStdString());
        QImage img = g.image(entry.name);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(PreviewRenderer::render(entry, frame),
                  img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    EXPECT_EQ(lines(g.out), expected);
    EXPECT_EQ(QDir(g.dir.path()).entryList(QDir::Files).size(), qsizetype(expected.size()));
}

TEST(PreviewRenderer, OnlyIslandsWhosePlayerOneWaitsGlowRed) {
    const std::set<std::string> waiting = {"3-needs-action", "6-expanded", "10-notch-expanded",
                                           "16-plan-expanded"};
    for (const auto& entry : PreviewRenderer::gallery(PreviewRenderer::frameTime())) {
        const std::string& name = entry.name;
        if (name.starts_with("7") || name == "8-settings" || name == "12-on-white")
            continue; // not a bare island
        SCOPED_TRACE(name);
        // 4 points left of the island's body, level with the fighters.
        QColor c = run().image(name).pixelColor(
            2 * (26 - 4), 2 * (26 + 40) + (name.find("notch") != std::string::npos ? 64 : 0));
        if (waiting.count(name))
            EXPECT_GT(c.red(), c.green() + 30);
        else
            EXPECT_LT(std::abs(c.red() - c.green()), 12) << "nothing but backdrop and grey shadow";
    }
}

TEST(PreviewRenderer, FailuresAreReportedPerEntry) {
    QTemporaryDir parent;
    const std::string missing = (parent.path() + "/not-there").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(PreviewRenderer::renderAll(missing, out, err), 1);
    EXPECT_EQ(out.str(), "") << "no file was written, so nothing is claimed";
    auto errors = lines(err.str());
    ASSERT_EQ(errors.size(), PreviewRenderer::gallery(PreviewRenderer::frameTime()).size());
    EXPECT_EQ(errors.front(), "could not write " + missing + "/island-1-started.png");
    EXPECT_FALSE(QDir(QString::fromStdString(missing)).exists()) << "the directory is not created";
    EXPECT_TRUE(
        PreviewRenderer::render({"empty", QSizeF(0, 0), nullptr}, PreviewRenderer::frameTime()).isNull());
}

} // namespace
} // namespace fray
