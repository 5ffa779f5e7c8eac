// Shared by the benchmark executables: a reporter that remembers each benchmark's time
// per iteration, so that a run can print ratios against its own floor and check targets.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace fray::bench {

class Recorder : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.iterations > 0 && r.run_type == Run::RT_Iteration) {
                seconds[r.run_name.function_name] =
                    r.real_accumulated_time / static_cast<double>(r.iterations);
                cpuSeconds[r.run_name.function_name] =
                    r.cpu_accumulated_time / static_cast<double>(r.iterations);
                for (const auto& [k, c] : r.counters)
                    counters[r.run_name.function_name][k] = c.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    bool has(const std::string& name) const { return seconds.contains(name); }

    std::map<std::string, double> seconds;    // wall time per iteration
    std::map<std::string, double> cpuSeconds; // this process's CPU time per iteration
    std::map<std::string, std::map<std::string, double>> counters;
};

// Prints one checked figure; returns false when it misses its target.
inline bool check(const char* what, double value, const char* unit, double limit, bool lessOrEqual = true) {
    const bool ok = lessOrEqual ? value <= limit : value < limit;
    std::printf("%-44s %10.3f %-3s target %s %.3f %s  %s\n", what, value, unit, lessOrEqual ? "<=" : "<",
                limit, unit, ok ? "met" : "MISSED");
    return ok;
}

// A batch that may use both cores: its latency (wall time) against a single-threaded
// floor is the checked figure; the CPU time of all its threads is printed beside it.
inline bool checkLatencyRatio(Recorder& rec, const std::string& what, const std::string& name,
                              const std::string& floor, double limit) {
    const bool ok = check((what + " (wall)").c_str(), rec.seconds[name] / rec.seconds[floor], "x", limit);
    std::printf("%-44s %10.3f x  (CPU of all threads, for reference)\n", (what + " (CPU)").c_str(),
                rec.cpuSeconds[name] / rec.cpuSeconds[floor]);
    return ok;
}

} // namespace fray::bench
