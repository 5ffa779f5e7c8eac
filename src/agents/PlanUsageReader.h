#pragma once

#include "io/FileAccess.h"
#include "session/Instant.h"
#include "session/PlanUsage.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace fray {

class RepeatingWorker;

// The plan-usage block of Claude Code's ~/.claude.json; absent unless the text is a JSON
// object holding an object under "cachedUsageUtilization".
std::optional<PlanUsage> parseCachedUsage(std::string_view json);

// Checks ~/.claude.json once a minute on its own thread ("fray.plan") and delivers the
// cached plan figures; an unchanged file is re-delivered without being read again.
class PlanUsageReader {
  public:
    explicit PlanUsageReader(std::string home, Clock clock = wallNow,
                             std::shared_ptr<FileAccess> files = nullptr);
    ~PlanUsageReader(); // stops and joins the thread; no check runs afterwards
    PlanUsageReader(const PlanUsageReader&) = delete;
    PlanUsageReader& operator=(const PlanUsageReader&) = delete;

    // Set before start(); called on the reader's thread.
    std::function<void(const PlanUsage&)> onUpdate;

    void start();   // at once, then every 60 s
    void tickNow(); // one check, synchronously

    const std::string& path() const { return path_; }

    static constexpr double period = 60.0;
    // A file modified this recently may still be being written, or be rewritten within
    // the file system's timestamp resolution: it is read again at the next check.
    static constexpr double settleTime = 2.0;
    static constexpr std::uint64_t maxFileBytes = 256u << 20;

  private:
    void tick();

    std::string path_;
    Clock clock_;
    std::shared_ptr<FileAccess> files_;
    std::mutex tickMutex_;
    std::optional<Instant> lastMtime_;
    std::uint64_t lastSize_ = 0;
    PlanUsage lastValue_;
    std::unique_ptr<RepeatingWorker> worker_;
};

} // namespace fray
