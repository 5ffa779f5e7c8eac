#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace fray::test {

// Polls `p` until it holds or `within` has passed; for what another thread or process does.
inline bool eventually(const std::function<bool()>& p,
                       std::chrono::milliseconds within = std::chrono::seconds(2),
                       std::chrono::milliseconds every = std::chrono::milliseconds(1)) {
    for (const auto end = std::chrono::steady_clock::now() + within; !p(); std::this_thread::sleep_for(every))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

} // namespace fray::test
