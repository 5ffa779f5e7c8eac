// One frame of the live island at scale 2, as the panel repaints it: clear, then draw.
#include "island/IslandView.h"
#include "model/IslandLayout.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace fray;

SessionInfo session(const char* id, const char* project, SessionStatus status, std::int64_t combo, double ago,
                    Instant now) {
    SessionInfo s;
    s.id = id;
    s.project = project;
    s.branch = "feat/boss-fight";
    s.status = status;
    s.combo = combo;
    s.stateSince = now - ago;
    s.lastPromptAt = now - ago;
    s.stamina = 0.6;
    return s;
}

void frames(benchmark::State& state, const IslandModel& m) {
    const Instant start = fromUnixSeconds(1735689600.0);
    const double h = IslandView::height(m, std::nullopt, start);
    QImage panel(int(IslandLayout::panelWidth * 2),
                 int((h + IslandLayout::margin + IslandLayout::topHalo) * 2),
                 QImage::Format_ARGB32_Premultiplied);
    panel.setDevicePixelRatio(2);
    IslandViewState view;
    int frame = 0;
    for (auto _ : state) {
        // Successive frames 1/14 s apart, so every animation really moves.
        Instant t = start + frame++ / 14.0;
        view.ramp.update(m.p1Stamina, t);
        panel.fill(Qt::transparent);
        QPainter p(&panel);
        p.setRenderHint(QPainter::Antialiasing);
        IslandView::paint(p, QPointF(IslandLayout::margin, IslandLayout::topHalo), m, std::nullopt, view, t);
        p.end();
        benchmark::DoNotOptimize(panel.constBits());
    }
}

void BM_CompactFrame_Working(benchmark::State& state) {
    const Instant now = fromUnixSeconds(1735689600.0);
    frames(state, IslandModel::from({session("a", "PIXEL-FORGE", SessionStatus::working, 7, 41, now)}, false,
                                    "YOU", {}, nullptr, now));
}
BENCHMARK(BM_CompactFrame_Working)->Unit(benchmark::kMillisecond);

void BM_CompactFrame_NeedsAction(benchmark::State& state) {
    const Instant now = fromUnixSeconds(1735689600.0);
    frames(state, IslandModel::from({session("a", "SIDE-QUEST", SessionStatus::needsAction, 4, 47, now),
                                     session("b", "PIXEL-FORGE", SessionStatus::working, 7, 41, now)},
                                    false, "YOU", {}, nullptr, now));
}
BENCHMARK(BM_CompactFrame_NeedsAction)->Unit(benchmark::kMillisecond);

void BM_ExpandedFrame_SixRowsAndPlan(benchmark::State& state) {
    const Instant now = fromUnixSeconds(1735689600.0);
    SessionList six;
    const char* ids[] = {"a", "b", "c", "d", "e", "f"};
    const SessionStatus statuses[] = {SessionStatus::needsAction, SessionStatus::working,
                                      SessionStatus::working,     SessionStatus::started,
                                      SessionStatus::completed,   SessionStatus::completed};
    for (int i = 0; i < 6; ++i)
        six.push_back(session(ids[i], "PIXEL-FORGE", statuses[i], i * 3, 30.0 + 40 * i, now));
    PlanUsage plan;
    plan.fiveHour = 42;
    plan.weekly = 71;
    plan.fetchedAt = now - 240.0;
    plan.fiveHourResets = now + 10800.0;
    plan.weeklyResets = now + 187200.0;
    frames(state, IslandModel::from(six, true, "YOU", plan, nullptr, now));
}
BENCHMARK(BM_ExpandedFrame_SixRowsAndPlan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
