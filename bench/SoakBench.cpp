// Soak: the session monitor (with the Codex provider) on an injected clock for 24
// simulated hours, 43,200 ticks, over a fixture home where transcripts and rollouts
// appear, grow, get replaced through a rename, fall idle and vanish. Memory and open
// descriptors must be flat between the first simulated hour and the end, and no state
// may be left for files long gone.
//   bench_soak [TICKS]
#include "agents/CodexProvider.h"
#include "monitor/SessionMonitor.h"
#include "session/Tuning.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace fray;
namespace fs = std::filesystem;

namespace {

struct Usage {
    double rssMiB = 0, heapMiB = 0;
    std::size_t descriptors = 0;
};

Usage usage() {
    Usage u;
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    u.rssMiB = static_cast<double>(resident) * 4096.0 / (1 << 20);
    const auto mi = mallinfo2();
    u.heapMiB = static_cast<double>(mi.uordblks + mi.hblkhd) / (1 << 20);
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++u.descriptors;
    return u;
}

// One stream of sessions: a file that is written to for a while and then replaced,
// deleted or left idle, and a next one.
struct Slot {
    bool codex = false;
    int index = 0;
    int generation = 0;
    std::string path;
    bool writing = true;
};

} // namespace

int main(int argc, char** argv) {
    const long ticks = argc > 1 ? std::atol(argv[1]) : 43200;
    test::TempDir home;
    Instant now = fromUnixSeconds(std::floor(toUnixSeconds(wallNow())));
    std::mt19937_64 rng(2026);
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; };
    test::TranscriptGenerator claude(7);
    test::RolloutGenerator codex(9, "/work/api");

    std::vector<Slot> slots;
    for (int i = 0; i < 16; ++i)
        slots.push_back({i >= 12, i, 0, {}, true});
    auto pathOf = [&](const Slot& s) {
        return s.codex ? ".codex/sessions/2026/01/0" + std::to_string(1 + s.index % 3) + "/rollout-" +
                             std::to_string(s.index) + "-" + std::to_string(s.generation) + ".jsonl"
                       : ".claude/projects/-home-dev-p" + std::to_string(s.index % 4) + "/s" +
                             std::to_string(s.index) + "-" + std::to_string(s.generation) + ".jsonl";
    };
    auto lineFor = [&](const Slot& s, long tick) {
        claude.setClock(now);
        codex.setClock(now);
        switch (tick % 4) {
        case 0:
            return s.codex ? codex.userMessage("go on") : claude.userPrompt(now, "go on");
        case 1:
            return s.codex ? codex.functionCall() : claude.toolUse(1);
        case 2:
            return s.codex ? codex.functionCallOutput(600) : claude.toolResult(600);
        default:
            return s.codex ? codex.agentMessage("final_answer") : claude.assistantText("Done.");
        }
    };
    auto put = [&](const std::string& rel, const std::string& bytes, bool append) {
        const auto p = append ? home.append(rel, bytes) : home.write(rel, bytes);
        test::setMtime(p, toUnixSeconds(now));
    };

    SessionMonitor::Config config;
    config.home = home.str();
    config.clock = [&] { return now; };
    config.providers = [&] { return ProviderList{std::make_shared<CodexProvider>(home.str())}; };
    SessionMonitor monitor(config);

    Usage first;
    SessionMonitor::Stats firstStats;
    std::size_t maxStates = 0, shown = 0, shownCodex = 0;
    const auto started = std::chrono::steady_clock::now();
    for (long tick = 0; tick < ticks; ++tick) {
        for (Slot& s : slots) {
            if (s.path.empty()) {
                s.path = pathOf(s);
                put(s.path, s.codex ? codex.sessionMeta(300) + "\n" : "", false);
            }
            if (s.writing && chance(0.3)) put(s.path, lineFor(s, tick) + "\n", true);
            if (!chance(1.0 / 600)) continue; // about every 20 minutes, something else happens
            switch (rng() % 4) {
            case 0: { // replaced through a rename by a new file
                const std::string tmp = s.path + ".tmp";
                put(tmp, lineFor(s, 0) + "\n" + lineFor(s, 1) + "\n", false);
                fs::rename(home / tmp, home / s.path);
                break;
            }
            case 1: // vanishes; the next session starts in a new file
                fs::remove(home / s.path);
                ++s.generation;
                s.path.clear();
                break;
            case 2: // falls idle (and out of the 45-minute window), then a new one starts
                if (!s.writing) {
                    ++s.generation;
                    s.path.clear();
                }
                s.writing = !s.writing;
                break;
            default: // keeps going
                break;
            }
        }
        const auto list = monitor.tickNow();
        shown = list.size();
        shownCodex = static_cast<std::size_t>(std::count_if(
            list.begin(), list.end(), [](const SessionInfo& s) { return s.agent == Agent::codex; }));
        maxStates = std::max(maxStates, monitor.stats().states);
        if (tick == 1800) { // one simulated hour in: the steady state
            first = usage();
            firstStats = monitor.stats();
        }
        now = now + Tuning::tick;
    }
    const Usage end = usage();
    const auto endStats = monitor.stats();
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(home.path()))
        files += e.is_regular_file();
    // Everything gone: after a rescan nothing may remain.
    fs::remove_all(home / ".claude");
    fs::remove_all(home / ".codex");
    for (int i = 0; i < 8; ++i) {
        monitor.tickNow();
        now = now + Tuning::tick;
    }
    const auto goneStats = monitor.stats();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("soak: %ld ticks (%.1f simulated hours) in %.1f s real; %zu files on disk at the end, "
                "%zu sessions shown (%zu of Codex), at most %zu states\n",
                ticks, ticks * Tuning::tick / 3600, seconds, files, shown, shownCodex, maxStates);
    std::printf(
        "  after 1 h: rss %.1f MiB, heap %.2f MiB, %zu descriptors, %zu states, %zu B of partial lines\n",
        first.rssMiB, first.heapMiB, first.descriptors, firstStats.states, firstStats.leftoverBytes);
    std::printf(
        "  at the end: rss %.1f MiB, heap %.2f MiB, %zu descriptors, %zu states, %zu B of partial lines\n",
        end.rssMiB, end.heapMiB, end.descriptors, endStats.states, endStats.leftoverBytes);
    std::printf("  all files gone: %zu candidates, %zu states\n", goneStats.candidates, goneStats.states);
    const bool flat = end.descriptors == first.descriptors && end.heapMiB - first.heapMiB < 0.5 &&
                      goneStats.states == 0 && goneStats.candidates == 0;
    std::printf("  %s\n", flat ? "flat" : "NOT FLAT");
    return flat ? 0 : 1;
}
