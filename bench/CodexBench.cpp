// A first Codex poll over 100 rollout files in the window, and over 30 whose turns span
// about 2 MiB, each against simdjson parsing from memory the lines that must be read
// (the head line, and the tail or the whole current turn, whichever is longer); then an
// incremental poll over 100 rollouts that did not change.
#include "BenchSupport.h"
#include "agents/CodexProvider.h"
#include "session/Tuning.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace fray;

namespace {

const Instant kNow = fromUnixSeconds(std::floor(toUnixSeconds(wallNow())));

struct Home {
    test::TempDir dir;
    std::vector<std::string> paths;
};

// `count` rollouts of `minBytes`.. bytes, half of them left waiting on a tool call.
std::unique_ptr<Home> makeHome(int count, std::size_t minBytes, std::size_t spread, int minCalls,
                               int maxCalls, std::size_t minOutput, std::size_t maxOutput) {
    auto home = std::make_unique<Home>();
    std::mt19937_64 rng(5);
    for (int i = 0; i < count; ++i) {
        test::RolloutGenerator gen(rng(), "/home/dev/code/svc-" + std::to_string(i % 7));
        gen.setClock(kNow - 3000);
        std::string content =
            gen.rollout(minBytes + rng() % spread, minCalls, maxCalls, minOutput, maxOutput);
        if (i % 2) content += gen.functionCall() + "\n";
        const std::string rel = ".codex/sessions/2026/01/" + std::to_string(10 + i % 20) +
                                "/rollout-2026-01-01T00-00-" + std::to_string(i) + ".jsonl";
        auto p = home->dir.write(rel, content);
        test::setMtime(p, toUnixSeconds(kNow) - 5);
        home->paths.push_back(p.string());
    }
    return home;
}

Home& home() {
    static auto h = makeHome(100, 200 * 1024, 800 * 1024, 1, 5, 500, 20500);
    return *h;
}

Home& longTurns() {
    static auto h = makeHome(30, 4u << 20, 1u << 20, 90, 110, 15000, 25000);
    return *h;
}

void coldPoll(benchmark::State& state, Home& h) {
    std::size_t sessions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto provider = std::make_unique<CodexProvider>(h.dir.str());
        state.ResumeTiming();
        sessions = provider->poll(kNow, 20).size();
        state.PauseTiming();
        provider.reset();
        state.ResumeTiming();
    }
    state.counters["sessions"] = static_cast<double>(sessions);
    if (sessions != h.paths.size()) state.SkipWithError("not every rollout gave a session");
}

// The floor: simdjson over the first line and the complete lines from the tail's first
// line or the current turn's user message, whichever comes first, from memory.
void floor(benchmark::State& state, Home& h) {
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<std::string_view> docs;
    std::size_t bytes = 0;
    auto keep = [&](std::string_view text) {
        auto buf = std::make_unique<char[]>(text.size() + simdjson::SIMDJSON_PADDING);
        std::memcpy(buf.get(), text.data(), text.size());
        const char* base = buf.get();
        buffers.push_back(std::move(buf));
        return base;
    };
    for (const auto& p : h.paths) {
        const std::string all = test::readFile(p);
        const std::string_view head(all.data(), all.find('\n'));
        docs.emplace_back(keep(head), head.size());
        std::size_t from = all.size() > CodexProvider::tailBytes
                               ? all.find('\n', all.size() - CodexProvider::tailBytes) + 1
                               : head.size() + 1;
        const std::size_t turn = all.rfind(R"("type":"event_msg","payload":{"type":"user_message")");
        from = std::min(from, all.rfind('\n', turn) + 1);
        const std::string_view tail = std::string_view(all).substr(from);
        bytes += head.size() + tail.size();
        const char* base = keep(tail);
        std::size_t pos = 0;
        for (std::size_t lf; (lf = tail.find('\n', pos)) != std::string::npos; pos = lf + 1)
            if (lf - pos > 2) docs.emplace_back(base + pos, lf - pos);
    }
    simdjson::dom::parser parser;
    for (auto _ : state) {
        std::size_t ok = 0;
        for (auto d : docs) {
            simdjson::dom::element doc;
            ok += !parser.parse(reinterpret_cast<const uint8_t*>(d.data()), d.size(), false).get(doc);
        }
        benchmark::DoNotOptimize(ok);
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_CodexPoll(benchmark::State& state) {
    coldPoll(state, home());
}
void BM_CodexPollFloor(benchmark::State& state) {
    floor(state, home());
}
void BM_CodexPollLongTurns(benchmark::State& state) {
    coldPoll(state, longTurns());
}
void BM_CodexPollLongTurnsFloor(benchmark::State& state) {
    floor(state, longTurns());
}

// Polls after the first, over rollouts that did not change: the directory walk only.
void BM_CodexPollIdle(benchmark::State& state) {
    auto files = std::make_shared<test::FaultyFileAccess>();
    CodexProvider provider(home().dir.str(), files);
    provider.poll(kNow, 20);
    const int opensBefore = files->opens;
    std::size_t sessions = 0;
    for (auto _ : state)
        sessions = provider.poll(kNow, 20).size();
    state.counters["opens"] = files->opens - opensBefore;
    state.counters["sessions"] = static_cast<double>(sessions);
}

} // namespace

BENCHMARK(BM_CodexPoll)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime();
BENCHMARK(BM_CodexPollFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CodexPollLongTurns)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime();
BENCHMARK(BM_CodexPollLongTurnsFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CodexPollIdle)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fray::bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);
    benchmark::Shutdown();
    bool ok = true;
    std::printf("\n");
    // A poll over many rollouts may use both cores.
    if (rec.has("BM_CodexPoll") && rec.has("BM_CodexPollFloor"))
        ok &= fray::bench::checkLatencyRatio(rec, "Codex poll / simdjson floor", "BM_CodexPoll",
                                             "BM_CodexPollFloor", 1.5);
    if (rec.has("BM_CodexPollLongTurns") && rec.has("BM_CodexPollLongTurnsFloor"))
        ok &= fray::bench::checkLatencyRatio(rec, "Codex poll, 2 MiB turns / floor", "BM_CodexPollLongTurns",
                                             "BM_CodexPollLongTurnsFloor", 1.5);
    if (rec.has("BM_CodexPollIdle"))
        ok &= fray::bench::check("files opened by idle Codex polls",
                                 rec.counters["BM_CodexPollIdle"]["opens"], "", 0.0);
    return ok ? 0 : 1;
}
