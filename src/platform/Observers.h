#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace fray {

// Callbacks that stay subscribed while the caller holds the handle they were given.
template <class... Args> class Observers {
  public:
    [[nodiscard]] std::shared_ptr<void> add(std::function<void(Args...)> fn) {
        auto handle = std::make_shared<std::function<void(Args...)>>(std::move(fn));
        list_.push_back(handle);
        return handle;
    }

    void notify(Args... args) {
        std::vector<std::shared_ptr<std::function<void(Args...)>>> live;
        for (const auto& weak : list_)
            if (auto fn = weak.lock()) live.push_back(std::move(fn));
        list_.assign(live.begin(), live.end());
        for (const auto& fn : live)
            (*fn)(args...);
    }

  private:
    std::vector<std::weak_ptr<std::function<void(Args...)>>> list_;
};

} // namespace fray
