// Classifier throughput over generated transcripts, the way the monitor feeds it:
// lines are slices of one read buffer that carries the parser's padding at its end.
#include "monitor/LineClassifier.h"
#include "support/TranscriptGenerator.h"

#include <benchmark/benchmark.h>

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
    static const Corpus corpus = [] {
        test::TranscriptGenerator gen(1);
        return makeCorpus(gen.largeMix(64u << 20, kStart));
    }();
    run(state, corpus);
}

void BM_ParseLine_SmallLines(benchmark::State& state) {
    static const Corpus corpus = [] {
        test::TranscriptGenerator gen(2);
        return makeCorpus(gen.smallLines(100000, kStart));
    }();
    run(state, corpus);
}

// The copying entry point, for callers that cannot promise padding.
void BM_ParseLine_SmallLinesCopying(benchmark::State& state) {
    static const std::vector<std::string> lines = [] {
        test::TranscriptGenerator gen(2);
        return gen.smallLines(100000, kStart);
    }();
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
