#include "AppModel.h"

namespace fray {

AppModel::AppModel(std::shared_ptr<Scheduler> scheduler) : scheduler_(std::move(scheduler)) {}

void AppModel::setSessions(SessionList v) {
    sessions_ = std::move(v);
    emit sessionsChanged();
}

void AppModel::setPlan(PlanUsage v) {
    plan_ = v;
    emit planChanged();
}

void AppModel::setNotchLocal(std::optional<QRectF> v) {
    notchLocal_ = v;
    emit notchLocalChanged();
}

void AppModel::setCollapsedH(double v) {
    collapsedH_ = v;
    emit collapsedSizeChanged();
}

void AppModel::setCollapsedW(double v) {
    collapsedW_ = v;
    emit collapsedSizeChanged();
}

void AppModel::setHover(bool on) {
    const std::int64_t gen = ++hoverGen;
    if (on) {
        hovered_ = true;
        emit hoveredChanged(true);
        return;
    }
    // Weak hold: the closure does nothing once the model is gone.
    std::weak_ptr<bool> alive = alive_;
    scheduler_->after(hoverExitDelay, [this, alive, gen] {
        if (alive.expired() || hoverGen != gen) return;
        hovered_ = false;
        emit hoveredChanged(false);
    });
}

void AppModel::noteDrag() {
    suppressClick = true;
    ++suppressGen;
}

void AppModel::clearDragSoon() {
    const std::int64_t gen = suppressGen;
    std::weak_ptr<bool> alive = alive_;
    scheduler_->after(dragClearDelay, [this, alive, gen] {
        if (alive.expired() || suppressGen != gen) return;
        suppressClick = false;
    });
}

} // namespace fray
