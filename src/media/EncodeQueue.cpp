#include "EncodeQueue.h"

#include <algorithm>

namespace fray {

EncodeQueue::EncodeQueue(int threads, std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
    for (int i = 0; i < std::max(threads, 1); ++i)
        threads_.emplace_back([this] { work(); });
}

EncodeQueue::~EncodeQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (auto& t : threads_)
        t.join();
}

void EncodeQueue::push(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    space_.wait(lock, [&] { return tasks_.size() < capacity_; });
    tasks_.push_back(std::move(task));
    lock.unlock();
    ready_.notify_one();
}

void EncodeQueue::drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return tasks_.empty() && running_ == 0; });
}

int EncodeQueue::workersForThisMachine() {
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 1, 4);
}

void EncodeQueue::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ready_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return; // stopping, and nothing left to do
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        ++running_;
        lock.unlock();
        space_.notify_one();
        task();
        lock.lock();
        --running_;
        if (tasks_.empty() && running_ == 0) idle_.notify_all();
    }
}

} // namespace fray
