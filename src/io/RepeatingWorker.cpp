#include "RepeatingWorker.h"

#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace fray {

// Owned jointly by the worker object and its thread, so a job that ends up destroying
// its own worker cannot leave the thread touching freed memory.
struct RepeatingWorker::Shared {
    std::string name;
    Duration period;
    std::function<void()> job;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool started = false;
    std::thread thread;

    static void loop(std::shared_ptr<Shared> self) {
        pthread_setname_np(pthread_self(), self->name.substr(0, 15).c_str());
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            {
                std::unique_lock lock(self->mutex);
                self->wake.wait_until(lock, next, [&] { return self->stopping; });
                if (self->stopping) return;
            }
            try {
                self->job();
            } catch (...) {
                // A failed run is retried at the next period; the thread must survive it.
            }
            const auto now = std::chrono::steady_clock::now();
            next += self->period;
            if (next <= now) {
                const auto missed = (now - next) / self->period + 1;
                next += missed * self->period;
            }
        }
    }
};

RepeatingWorker::RepeatingWorker(std::string name, Duration period, std::function<void()> job)
    : shared_(std::make_shared<Shared>()) {
    shared_->name = std::move(name);
    shared_->period = period > Duration::zero() ? period : Duration(1);
    shared_->job = std::move(job);
}

RepeatingWorker::~RepeatingWorker() {
    stop();
}

void RepeatingWorker::start() {
    std::lock_guard lock(shared_->mutex);
    if (shared_->started || shared_->stopping) return;
    shared_->started = true;
    shared_->thread = std::thread(&Shared::loop, shared_);
}

void RepeatingWorker::stop() {
    std::thread thread;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        thread = std::move(shared_->thread);
    }
    shared_->wake.notify_all();
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach(); // called from the job: the loop sees `stopping` and ends on its own
    else
        thread.join();
}

} // namespace fray
