#include "TwoThreads.h"

#include <atomic>
#include <optional>
#include <pthread.h>
#include <thread>

namespace fray {

void forEachOnTwoThreads(std::size_t n, bool parallel, const char* helperName,
                         const std::function<void(std::size_t, int)>& fn) {
    std::atomic<std::size_t> next{0};
    auto work = [&](int worker) {
        for (std::size_t i; (i = next.fetch_add(1)) < n;)
            fn(i, worker);
    };
    std::optional<std::thread> helper;
    if (parallel && n >= 2) {
        try {
            helper.emplace([&] {
                pthread_setname_np(pthread_self(), helperName);
                work(1);
            });
        } catch (...) {
            helper.reset(); // no second thread: this one does it all
        }
    }
    work(0);
    if (helper) helper->join();
}

} // namespace fray
