#pragma once

#include "QtTimers.h"
#include "session/PlanUsage.h"
#include "session/SessionMonitoring.h"

#include <QObject>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

namespace fray {

// Observable state shared by the controller and the island views. Main thread only.
class AppModel : public QObject {
    Q_OBJECT
  public:
    explicit AppModel(std::shared_ptr<Scheduler> scheduler = mainThreadScheduler());

    const SessionList& sessions() const { return sessions_; }
    const PlanUsage& plan() const { return plan_; }
    bool hovered() const { return hovered_; }
    const std::optional<QRectF>& notchLocal() const { return notchLocal_; }
    double collapsedH() const { return collapsedH_; }
    double collapsedW() const { return collapsedW_; }

    // Published setters: observers hear every assignment, equal values included.
    void setSessions(SessionList v);
    void setPlan(PlanUsage v);
    void setNotchLocal(std::optional<QRectF> v);
    void setCollapsedH(double v);
    void setCollapsedW(double v);

    std::function<void()> openSettings;
    std::function<void(const SessionInfo&)> resumeSession;
    std::function<void()> dragChanged;
    std::function<void()> dragEnded;

    bool suppressClick = false;
    std::int64_t suppressGen = 0;
    std::int64_t hoverGen = 0;

    // Entering is immediate; leaving takes effect after 0.35 s unless hover returns.
    void setHover(bool on);
    void noteDrag();
    // Ends click suppression 0.25 s after a drag, unless another drag starts.
    void clearDragSoon();

    static constexpr double hoverExitDelay = 0.35;
    static constexpr double dragClearDelay = 0.25;

  signals:
    void sessionsChanged();
    void planChanged();
    void hoveredChanged(bool);
    void notchLocalChanged();
    void collapsedSizeChanged();

  private:
    std::shared_ptr<Scheduler> scheduler_;
    SessionList sessions_;
    PlanUsage plan_;
    bool hovered_ = false;
    std::optional<QRectF> notchLocal_;
    double collapsedH_ = 24;
    double collapsedW_ = 60;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace fray
