#include "QtTimers.h"

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
} // namespace

TimerFactory qtTimerFactory() {
    return [](double interval, std::function<void()> fire) -> std::unique_ptr<RepeatingTimer> {
        return std::make_unique<QtRepeatingTimer>(interval, std::move(fire));
    };
}

} // namespace fray
