// Times the whole preview gallery the way `--render-previews` runs it. With a directory
// argument it renders once into that directory and prints the wall time.
#include "media/PreviewRenderer.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

void BM_PreviewRun(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state) {
        std::ostringstream out, err;
        int status = fray::PreviewRenderer::renderAll(dir.path().toStdString(), out, err);
        if (status != 0) state.SkipWithError("a preview failed");
    }
}
BENCHMARK(BM_PreviewRun)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 2 && argv[1][0] != '-') {
        auto start = std::chrono::steady_clock::now();
        int status = fray::PreviewRenderer::renderAll(argv[1]);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cerr << "preview run: " << s << " s\n";
        return status;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
