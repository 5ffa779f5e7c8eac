#include "media/PreviewRenderer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
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
