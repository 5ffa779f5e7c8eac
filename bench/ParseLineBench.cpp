// Classifier throughput over generated transcripts, the way the monitor feeds it:
// lines are slices of one read buffer that carries the parser's padding at its end.
#include "monitor/LineClassifier.h"
#include "support/TranscriptGenerator.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string_view>

using namespace fray;

namespace {

struct Corpus {
    std::string buffer;
    std::vector<std::string_view> lines;
};

Corpus makeCorpus(const std::vector<std::string>& src) {
    Corpus c;
    std::size_t total = 0;
    for (const auto& l : src)
        total += l.size() + 1;
    c.buffer.reserve(total + LineClassifier::padding());
    for (const auto& l : src) {
        c.buffer += l;
        c.buffer += '\n';
    }
    c.buffer.append(LineClassifier::padding(), ' ');
    std::size_t pos = 0;
    for (const auto& l : src) {
        c.lines.emplace_back(c.buffer.data() + pos, l.size());
        pos += l.size() + 1;
    }
    return c;
}

const Instant kStart = fromUnixSeconds(1767225600.0);

// Small lines only: prompts, assistant text, tool calls, short results, noise.
std::vector<std::string> smallLines(std::size_t count) {
    static constexpr std::string_view shapes[] = {"prompt", "text",      "call",
                                                  "noise",  "sidechain", "last-prompt"};
    test::TranscriptGenerator gen(2);
    gen.setClock(kStart);
    std::mt19937_64 rng(2);
    std::vector<std::string> lines;
    while (lines.size() < count) {
        const std::size_t k = rng() % (std::size(shapes) + 1);
        lines.push_back(k == std::size(shapes) ? gen.toolResult(40 + rng() % 361) : gen.line(shapes[k]));
    }
    return lines;
}

// A mix dominated by large tool results, about `totalBytes` long in all.
std::vector<std::string> largeMix(std::size_t totalBytes) {
    static constexpr std::string_view shapes[] = {"prompt", "call", "text"};
    test::TranscriptGenerator gen(1);
    gen.setClock(kStart);
    std::mt19937_64 rng(1);
    std::vector<std::string> lines;
    for (std::size_t total = 0; total < totalBytes; total += lines.back().size() + 1) {
        const std::size_t k = rng() % 5;
        lines.push_back(k < 3 ? gen.line(shapes[k]) : gen.toolResult(50 * 1024 + rng() % (450 * 1024 + 1)));
    }
    return lines;
}

void run(benchmark::State& state, const Corpus& corpus) {
    LineClassifier classifier;
    std::size_t bytes = 0;
    for (auto& l : corpus.lines)
        bytes += l.size();
    for (auto _ : state) {
        FileState st(kStart);
        for (auto l : corpus.lines)
            classifier.parsePadded(l, st, kStart);
        benchmark::DoNotOptimize(st.combo);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * corpus.lines.size()));
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(state.iterations() * bytes) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * corpus.lines.size()), benchmark::Counter::kIsRate);
}

void BM_ParseLine_LargeToolResultMix(benchmark::State& state) {
    static const Corpus corpus = makeCorpus(largeMix(64u << 20));
    run(state, corpus);
}

void BM_ParseLine_SmallLines(benchmark::State& state) {
    static const Corpus corpus = makeCorpus(smallLines(100000));
    run(state, corpus);
}

// The copying entry point, for callers that cannot promise padding.
void BM_ParseLine_SmallLinesCopying(benchmark::State& state) {
    static const std::vector<std::string> lines = smallLines(100000);
    LineClassifier classifier;
    for (auto _ : state) {
        FileState st(kStart);
        for (auto& l : lines)
            classifier.parseLine(l, st, kStart);
        benchmark::DoNotOptimize(st.combo);
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                                                   benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_ParseLine_LargeToolResultMix)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseLine_SmallLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ParseLine_SmallLinesCopying)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
