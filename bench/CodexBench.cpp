// A Codex poll over 100 rollout files in the window, against simdjson parsing the same
// head lines and tails from memory.
#include "BenchSupport.h"
#include "agents/CodexProvider.h"
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

// A rollout as Codex writes it: the session's metadata with its long instructions first,
// then turns of messages, reasoning, tool calls with their output, and token counts.
std::string rollout(std::mt19937_64& rng, std::size_t bytes, int n) {
    test::TranscriptGenerator text(rng());
    auto ts = [&](double ago) { return test::isoTimestamp(kNow - ago); };
    std::string out = R"({"timestamp":")" + ts(3000) + R"(","type":"session_meta","payload":{"id":"0199-)" +
                      std::to_string(n) + R"(","timestamp":")" + ts(3000) +
                      R"(","cwd":"/home/dev/code/svc-)" + std::to_string(n % 7) +
                      R"(","originator":"codex_cli_rs","cli_version":"0.46.0","instructions":")" +
                      test::jsonEscape(text.text(6000)) + "\"}}\n";
    double ago = 2500;
    while (out.size() < bytes) {
        out += R"({"timestamp":")" + ts(ago) +
               R"(","type":"event_msg","payload":{"type":"user_message","message":")" +
               test::jsonEscape(text.text(200)) + "\"}}\n";
        const int calls = static_cast<int>(rng() % 5) + 1;
        for (int c = 0; c < calls; ++c) {
            out +=
                R"({"timestamp":")" + ts(ago) +
                R"(","type":"response_item","payload":{"type":"reasoning","summary":[{"type":"summary_text","text":")" +
                test::jsonEscape(text.text(300)) + "\"}]}}\n";
            out +=
                R"({"timestamp":")" + ts(ago) +
                R"(","type":"response_item","payload":{"type":"function_call","name":"shell","arguments":"{\"command\":[\"bash\",\"-lc\",\"rg -n TODO src\"]}","call_id":"call_)" +
                std::to_string(c) + "\"}}\n";
            out += R"({"timestamp":")" + ts(ago) +
                   R"(","type":"response_item","payload":{"type":"function_call_output","call_id":"call_)" +
                   std::to_string(c) + R"(","output":")" + test::jsonEscape(text.text(500 + rng() % 20000)) +
                   "\"}}\n";
            out +=
                R"({"timestamp":")" + ts(ago) +
                R"(","type":"event_msg","payload":{"type":"token_count","info":{"total_token_usage":{"input_tokens":48213,"output_tokens":1290}}}})"
                "\n";
        }
        out += R"({"timestamp":")" + ts(ago) +
               R"(","type":"event_msg","payload":{"type":"agent_message","message":")" +
               test::jsonEscape(text.text(400)) + "\"}}\n";
        ago = std::max(1.0, ago - 60);
    }
    if (n % 2) // half of them wait on a tool call
        out +=
            R"({"timestamp":")" + ts(1) +
            R"(","type":"response_item","payload":{"type":"function_call","name":"shell","arguments":"{}","call_id":"x"}})"
            "\n";
    return out;
}

struct Home {
    test::TempDir dir;
    std::vector<std::string> paths;
};

Home& home() {
    static auto h = [] {
        auto home = std::make_unique<Home>();
        std::mt19937_64 rng(5);
        for (int i = 0; i < 100; ++i) {
            const std::string rel = ".codex/sessions/2026/01/" + std::to_string(10 + i % 20) +
                                    "/rollout-2026-01-01T00-00-" + std::to_string(i) + ".jsonl";
            auto p = home->dir.write(rel, rollout(rng, 200 * 1024 + (rng() % (800 * 1024)), i));
            test::setMtime(p, toUnixSeconds(kNow) - 5);
            home->paths.push_back(p.string());
        }
        return home;
    }();
    return *h;
}

void BM_CodexPoll(benchmark::State& state) {
    CodexProvider provider(home().dir.str());
    std::size_t sessions = 0;
    for (auto _ : state)
        sessions = provider.poll(kNow, 20).size();
    state.counters["sessions"] = static_cast<double>(sessions);
    if (sessions != home().paths.size()) state.SkipWithError("not every rollout gave a session");
}

// The floor: simdjson over the same first lines and the same tail pieces, from memory.
void BM_CodexPollFloor(benchmark::State& state) {
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<std::string_view> docs;
    auto keep = [&](const std::string& bytes) {
        auto buf = std::make_unique<char[]>(bytes.size() + simdjson::SIMDJSON_PADDING);
        std::memcpy(buf.get(), bytes.data(), bytes.size());
        const char* base = buf.get();
        buffers.push_back(std::move(buf));
        return base;
    };
    for (const auto& p : home().paths) {
        const std::string all = test::readFile(p);
        const std::string head = all.substr(0, all.find('\n'));
        docs.emplace_back(keep(head), head.size());
        const std::string tail =
            all.substr(all.size() > CodexProvider::tailBytes ? all.size() - CodexProvider::tailBytes : 0);
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
}

} // namespace

BENCHMARK(BM_CodexPoll)->Unit(benchmark::kMillisecond)->MinTime(2.0)->MeasureProcessCPUTime();
BENCHMARK(BM_CodexPollFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fray::bench::Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);
    benchmark::Shutdown();
    bool ok = true;
    std::printf("\n");
    if (rec.has("BM_CodexPoll") && rec.has("BM_CodexPollFloor")) {
        // A poll over many rollouts may use both cores.
        ok &= fray::bench::checkLatencyRatio(rec, "Codex poll / simdjson floor", "BM_CodexPoll",
                                             "BM_CodexPollFloor", 1.5);
    }
    return ok ? 0 : 1;
}
