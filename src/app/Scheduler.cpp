#include "Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

namespace fray {

namespace {
class QtScheduler : public Scheduler {
  public:
    void after(double seconds, std::function<void()> fn) override {
        QTimer::singleShot(static_cast<int>(seconds * 1000.0 + 0.5), QCoreApplication::instance(),
                           std::move(fn));
    }
};
} // namespace

std::shared_ptr<Scheduler> mainThreadScheduler() {
    static auto s = std::make_shared<QtScheduler>();
    return s;
}

} // namespace fray
