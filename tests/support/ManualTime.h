#pragma once

#include "session/Instant.h"
#include "session/RepeatingTimer.h"
#include "session/Scheduler.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace fray::test {

// A clock that moves only when told, with the one-shot and repeating timers that run
// on it. advance() fires everything that comes due, in time order.
class ManualTime : public Scheduler {
  public:
    explicit ManualTime(Instant start = fromUnixSeconds(1767225600.0)) : now_(start) {}

    Instant now() const { return now_; }
    Clock clock() {
        return [this] { return now_; };
    }

    void after(double seconds, std::function<void()> fn) override {
        events_.push_back({now_ + seconds, 0, std::move(fn), nullptr});
    }

    TimerFactory timers() {
        return [this](double interval, std::function<void()> fire) -> std::unique_ptr<RepeatingTimer> {
            auto handle = std::make_unique<Handle>();
            events_.push_back({now_ + interval, interval, std::move(fire), handle->alive});
            return handle;
        };
    }

    void advance(double seconds) {
        const Instant end = now_ + seconds;
        for (;;) {
            auto due = std::min_element(events_.begin(), events_.end(),
                                        [](const Event& a, const Event& b) { return a.at < b.at; });
            if (due == events_.end() || due->at > end) break;
            Event e = std::move(*due);
            events_.erase(due);
            if (e.alive && !*e.alive) continue; // stopped timer
            now_ = e.at;
            if (e.period > 0) events_.push_back({e.at + e.period, e.period, e.fn, e.alive});
            e.fn();
        }
        now_ = end;
    }

    int liveTimers() const {
        return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                              [](const Event& e) { return e.period > 0 && *e.alive; }));
    }

  private:
    struct Handle : RepeatingTimer {
        std::shared_ptr<bool> alive = std::make_shared<bool>(true);
        ~Handle() override { *alive = false; }
    };
    struct Event {
        Instant at;
        double period;
        std::function<void()> fn;
        std::shared_ptr<bool> alive;
    };

    Instant now_;
    std::vector<Event> events_;
};

} // namespace fray::test
