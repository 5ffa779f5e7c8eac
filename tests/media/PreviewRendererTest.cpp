#include "media/PreviewRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

namespace fray {
namespace {

// Every entry is written in gallery order, reproducibly (views draw from the frame time
// they are given, never from the clock). A longer file already stands where one image
// goes: it must be replaced, not appended to.
TEST(PreviewRenderer, WritesTheGalleryInOrderReproducibly) {
    QTemporaryDir dir;
    auto file = [&](const std::string& name) {
        return dir.filePath(QString::fromStdString("island-" + name + ".png"));
    };
    QFile old(file("5-idle"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    std::ostringstream out, err;
    EXPECT_EQ(PreviewRenderer::renderAll(dir.path().toStdString(), out, err), 0);
    EXPECT_EQ(err.str(), "");
    std::string expected;
    const Instant frame = PreviewRenderer::frameTime();
    const auto gallery = PreviewRenderer::gallery(frame);
    for (const auto& entry : gallery) {
        SCOPED_TRACE(entry.name);
        expected += "wrote " + file(entry.name).toStdString() + "\n";
        QImage img(file(entry.name));
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(PreviewRenderer::render(entry, frame),
                  img.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), qsizetype(gallery.size()));
}

// The red glow is how a waiting session catches the eye: it shows around the islands whose
// player one waits, and around no other.
TEST(PreviewRenderer, OnlyIslandsWhosePlayerOneWaitsGlowRed) {
    const std::set<std::string> waiting = {"3-needs-action", "6-expanded", "10-notch-expanded",
                                           "16-plan-expanded"};
    const Instant frame = PreviewRenderer::frameTime();
    for (const auto& entry : PreviewRenderer::gallery(frame)) {
        if (entry.name.starts_with("7") || entry.name == "8-settings" || entry.name == "12-on-white")
            continue; // not a bare island
        // 4 points left of the island's body, level with the fighters.
        const QColor c =
            PreviewRenderer::render(entry, frame)
                .pixelColor(2 * (26 - 4),
                            2 * (26 + 40) + (entry.name.find("notch") != std::string::npos ? 64 : 0));
        EXPECT_EQ(c.red() > c.green() + 30, waiting.contains(entry.name)) << entry.name;
    }
}

TEST(PreviewRenderer, FailuresAreReportedPerEntry) {
    QTemporaryDir parent;
    const std::string missing = (parent.path() + "/not-there").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(PreviewRenderer::renderAll(missing, out, err), 1);
    EXPECT_EQ(out.str(), "") << "no file was written, so nothing is claimed";
    const std::string errors = err.str();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'),
              std::ptrdiff_t(PreviewRenderer::gallery(PreviewRenderer::frameTime()).size()));
    EXPECT_EQ(errors.rfind("could not write " + missing + "/island-1-started.png\n", 0), 0u) << errors;
    EXPECT_FALSE(QDir(QString::fromStdString(missing)).exists()) << "the directory is not created";
    EXPECT_TRUE(
        PreviewRenderer::render({"empty", QSizeF(0, 0), nullptr}, PreviewRenderer::frameTime()).isNull());
}

} // namespace
} // namespace fray
