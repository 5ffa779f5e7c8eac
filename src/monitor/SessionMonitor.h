#pragma once

#include "FileState.h"
#include "LineClassifier.h"
#include "io/FileAccess.h"
#include "io/ReadBuffer.h"
#include "session/AgentProvider.h"
#include "session/Instant.h"
#include "session/SessionMonitoring.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

namespace fray {

class RepeatingWorker;

// The live session source: tails the Claude Code transcripts under ~/.claude/projects,
// adds the other agents' sessions and hands the ordered list to onUpdate every 2 s, on
// its own thread ("fray.monitor").
class SessionMonitor : public SessionMonitoring {
  public:
    struct Config {
        std::string home;
        Clock clock = wallNow; // read once per tick
        // The stored "needsActionDelay" setting, raw; missing or unusable means 20 s.
        std::function<std::optional<double>()> needsActionDelay;
        std::shared_ptr<FileAccess> files; // default: the real file system
        // The other agents' providers, asked for once, on the first poll (again at the next
        // poll if it throws); none when unset.
        std::function<ProviderList()> providers;
    };

    // What the monitor holds between ticks, for diagnostics and the memory budget.
    struct Stats {
        std::size_t candidates = 0;
        std::size_t states = 0;
        std::size_t leftoverBytes = 0;  // partial lines kept in memory
        std::size_t spilledLines = 0;   // long partial lines left on disk until complete
        std::size_t bufferCapacity = 0; // the reusable read buffer
    };

    explicit SessionMonitor(Config config);
    ~SessionMonitor() override; // stops the timer and joins the thread; no tick runs afterwards
    SessionMonitor(const SessionMonitor&) = delete;
    SessionMonitor& operator=(const SessionMonitor&) = delete;

    // Ticks at once and then every 2 s on the monitor's thread; onUpdate is called there.
    void start() override;
    // One tick, synchronously (tests, benchmarks); also calls onUpdate.
    SessionList tickNow();

    Stats stats();

    // Partial lines longer than this are not kept in memory between ticks: the monitor
    // remembers where they begin and reads them again once their line feed has arrived.
    static constexpr std::size_t maxLeftoverInMemory = 32 * 1024;
    // The cap on a carried-over partial line, and what is kept of one beyond it.
    static constexpr std::size_t leftoverCap = 8'000'000;
    static constexpr std::size_t leftoverKeep = 1'000'000;
    // A backlog at least this large (the first tick, or waking from sleep) is read and
    // classified on two threads; ordinary ticks read a few bytes on one.
    static constexpr std::uint64_t parallelReadBytes = 1u << 20;

  private:
    struct Watched {
        explicit Watched(Instant now) : state(now) {}
        FileState state;
        // The file read so far; another one renamed over the path is read afresh.
        std::optional<FileIdentity> identity;
        // A modification time in the future, and the moment it was first seen.
        std::optional<std::pair<Instant, Instant>> future;
        // File offset where a partial line too long for memory begins.
        std::optional<std::uint64_t> spillFrom;
        // The project label, and the working directory and rescan generation it was made for.
        std::string label;
        std::optional<std::string> labelCwd;
        std::int64_t labelGeneration = -1;
    };

    // What one thread needs to read and classify files: its buffer and its parser.
    struct Reader {
        Reader();
        std::unique_ptr<LineClassifier> classifier;
        ReadBuffer buffer;
        std::vector<LineFacts> facts; // a first read's lines, latest first
    };
    struct ReadJob {
        const std::string* path;
        Watched* watched;
        std::uint64_t size;
        bool failed = false;
    };

    SessionList tick();
    void rescan(Instant now);
    void readAll(std::vector<ReadJob>& jobs, Instant now);
    void readNewBytes(const std::string& path, Watched& w, std::uint64_t size, Instant now, Reader& r);
    void readFirst(OpenFile& file, Watched& w, std::uint64_t size, Instant now, Reader& r);
    // Returns whether the lines held activity (or a line is still being written).
    bool process(std::size_t from, Watched& w, Instant now, Reader& r);
    void pollOtherAgents(Instant now, double delay);
    double currentDelay();
    const std::string& labelFor(const std::string& path, Watched& w);

    Config config_;
    std::string projectsRoot_;
    std::mutex tickMutex_; // ticks never overlap, also when tickNow meets the timer
    std::int64_t tickCount_ = 0;
    // Labels look for a repository root on disk, a dozen lookups each: they are worked out
    // once per working directory and tick, and kept until the next rescan.
    std::int64_t labelGeneration_ = 0;
    std::unordered_map<std::string, std::string> labelsThisTick_;
    // The attributes a rescan read, used by the same tick instead of reading them again.
    std::unordered_map<std::string, FileAttributes> listed_;
    std::set<std::string> candidates_;
    std::unordered_map<std::string, Watched> states_;
    std::optional<ProviderList> otherAgents_;
    SessionList otherSessions_;
    Reader reader_;
    std::unique_ptr<Reader> helperReader_; // only once a backlog was worth a second thread
    std::unique_ptr<RepeatingWorker> worker_;
};

} // namespace fray
