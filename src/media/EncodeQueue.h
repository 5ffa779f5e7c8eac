#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fray {

// Encoding and writing pictures on worker threads, so that a capture loop keeps the
// pace of the wall clock. With one thread, tasks run in the order they were pushed.
class EncodeQueue {
  public:
    // `capacity` bounds the tasks waiting: a producer faster than the workers waits
    // rather than piling up frames in memory.
    EncodeQueue(int threads, std::size_t capacity);
    ~EncodeQueue(); // runs every task pushed, then ends the threads
    EncodeQueue(const EncodeQueue&) = delete;
    EncodeQueue& operator=(const EncodeQueue&) = delete;

    void push(std::function<void()> task);
    // Returns once every task pushed so far has run.
    void drain();

    // One worker per core, leaving one core to the producer.
    static int workersForThisMachine();

  private:
    void work();

    std::mutex mutex_;
    std::condition_variable ready_, space_, idle_;
    std::deque<std::function<void()>> tasks_;
    std::size_t capacity_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace fray
