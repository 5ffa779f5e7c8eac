// The demo media the way the command line makes them: the whole `--render-shots` run
// (three times, the worst counts) and the real-time film at 1920 x 1080 over its 46 s.
// The film's rate depends on what else runs: measure on an otherwise idle machine.
//   bench_demo_media            both, checked against their targets
//   bench_demo_media --frames   only the cost of one film frame: drawing and encoding
#include "media/DemoMedia.h"
#include "media/DemoScene.h"

#include <QApplication>
#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>

namespace {

using namespace fray;
using Steady = std::chrono::steady_clock;

double since(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

bool report(const char* what, double value, const char* unit, const char* relation, double target, bool ok) {
    std::printf("%-44s %10.2f %-4s target %s %.0f %s  %s\n", what, value, unit, relation, target, unit,
                ok ? "met" : "MISSED");
    return ok;
}

// Mean cost of drawing one film frame and of encoding it, over frames spread across the story.
void frameCosts() {
    const double scale = DemoMedia::filmScale;
    QImage img(int(DemoScene::W * scale), int(DemoScene::H * scale), QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    IslandViewState island;
    const Instant start = wallNow();
    constexpr int n = 240;
    double draw = 0, encode = 0;
    std::size_t bytes = 0;
    for (int i = 0; i < n; ++i) {
        const double t = DemoScript::duration * i / n;
        const auto a = Steady::now();
        const DemoScene scene = DemoScene::from(DemoScript::beat(t, start + t), DemoMedia::terminalTitle);
        {
            QPainter p(&img);
            scene.paint(p, island, start + t);
        }
        draw += since(a);
        const auto b = Steady::now();
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "JPG", DemoMedia::filmQuality);
        encode += since(b);
        bytes += std::size_t(jpeg.size());
    }
    std::printf("%-44s %10.2f ms\n", "film frame: draw (main thread)", 1000 * draw / n);
    std::printf("%-44s %10.2f ms\n", "film frame: JPEG encode (worker)", 1000 * encode / n);
    std::printf("%-44s %10.0f KB\n", "film frame: JPEG size", bytes / 1024.0 / n);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    frameCosts();
    if (argc > 1 && std::strcmp(argv[1], "--frames") == 0) return 0;

    bool ok = true;
    double worst = 0;
    for (int i = 0; i < 3; ++i) {
        QTemporaryDir dir;
        std::ostringstream out, err;
        const auto start = Steady::now();
        const int status = DemoMedia::renderShots(dir.path().toStdString(), out, err);
        worst = std::max(worst, since(start));
        if (status != 0) {
            std::printf("render-shots failed: %s\n", err.str().c_str());
            ok = false;
        }
    }
    ok &= report("--render-shots, whole run (worst of 3)", worst, "s", "<=", 5, worst <= 5);

    QTemporaryDir dir;
    std::ostringstream out, err;
    const int status = DemoMedia::renderFilm(dir.path().toStdString(), out, err);
    std::smatch m;
    const std::string text = out.str();
    const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    if (status != 0 || !std::regex_search(last, m, std::regex(R"(wrote (\d+) frames \(([\d.]+) fps)"))) {
        std::printf("render-film failed: %s%s\n", last.c_str(), err.str().c_str());
        return 1;
    }
    const double fps = std::stod(m[2]);
    std::printf("%-44s %10s frames\n", "film frames in 46 s", m[1].str().c_str());
    ok &= report("film capture at 1920x1080, 46 s average", fps, "fps", ">=", 30, fps >= 30);
    return ok ? 0 : 1;
}
