#include "QtTimers.h"

#include <QCoreApplication>
#include <QTimer>

namespace fray {

namespace {
class QtRepeatingTimer : public RepeatingTimer {
  public:
    QtRepeatingTimer(double interval, std::function<void()> fire) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(static_cast<int>(interval * 1000.0 + 0.5));
        QObject::connect(&timer_, &QTimer::timeout, std::move(fire));
        timer_.start();
    }

  private:
    QTimer timer_;
};

class QtScheduler : public Scheduler {
  public:
    void after(double seconds, std::function<void()> fn) override {
        QTimer::singleShot(static_cast<int>(seconds * 1000.0 + 0.5), QCoreApplication::instance(),
                           std::move(fn));
    }
};
} // namespace

TimerFactory qtTimerFactory() {
    return [](double interval, std::function<void()> fire) -> std::unique_ptr<RepeatingTimer> {
        return std::make_unique<QtRepeatingTimer>(interval, std::move(fire));
    };
}

std::shared_ptr<Scheduler> mainThreadScheduler() {
    static auto s = std::make_shared<QtScheduler>();
    return s;
}

} // namespace fray
