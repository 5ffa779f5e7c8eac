#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace fray {

// Runs a job on its own named thread: once at start, then at a fixed period. Runs never
// overlap; a run that overshoots skips the deadlines it missed rather than piling up.
// Waiting is on a condition variable, so stop() is prompt even mid-period.
class RepeatingWorker {
  public:
    using Duration = std::chrono::steady_clock::duration;

    // `name` is the thread's name as the system shows it (at most 15 bytes are kept).
    RepeatingWorker(std::string name, Duration period, std::function<void()> job);
    ~RepeatingWorker(); // stop()
    RepeatingWorker(const RepeatingWorker&) = delete;
    RepeatingWorker& operator=(const RepeatingWorker&) = delete;

    // Starts the thread; the first run begins at once. Later calls do nothing.
    void start();
    // Waits for a run in progress to end; no run begins afterwards. From the job itself
    // it only prevents further runs.
    void stop();

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace fray
