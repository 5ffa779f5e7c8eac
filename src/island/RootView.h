#pragma once

#include "IslandView.h"
#include "model/IslandLayout.h"

#include <QPainterPath>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray {

class AppModel;
class Settings;
class UserInfo;

// The island panel's content: picks the mode, builds the view model, draws it through
// the same views the renderers use, and turns pointer input into the application
// model's and the settings' actions. Repaints only the parts that animate, when due.
class RootView : public QWidget {
    Q_OBJECT
  public:
    RootView(AppModel& model, Settings& settings, std::shared_ptr<UserInfo> user, Clock clock = wallNow,
             QWidget* parent = nullptr);

    IslandMode mode() const;
    // The view model for a frame at `now`, as the current mode draws it.
    IslandModel islandModel(Instant now) const;
    // The island's body in widget coordinates (the only part that takes the pointer).
    QRectF islandRect(Instant now) const;
    // The outline of the island's body for a form, its rectangle and the notch it wraps
    // (view coordinates): what stays of the window where nothing may be transparent.
    static QPainterPath bodyShape(IslandMode mode, const QRectF& body, const std::optional<QRectF>& notch);
    // When the next part of the island changes; absent when it is settled.
    std::optional<Instant> nextRedraw(Instant now) const;

    struct MenuItem {
        QString title; // empty for a divider
        std::function<void()> action;
    };
    // The island's context menu, built from the current state.
    std::vector<MenuItem> contextMenuItems();

    // How far the pointer has travelled since the press that began the current drag (screen
    // coordinates, y down); zero outside a drag.
    QPointF dragTravel() const { return pressGlobal_ && dragging_ ? lastGlobal_ - *pressGlobal_ : QPointF(); }

    // "Quit Fraymark"; quits the application unless replaced.
    std::function<void()> onQuit;

    // The drag threshold, in points, measured in screen coordinates.
    static constexpr double dragDistance = 4;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool event(QEvent* e) override;

  private:
    QPointF islandOrigin(Instant now) const;
    void changed();
    void schedule();
    void redrawDue();
    void pointerAt(QPointF pos);
    std::optional<SessionInfo> rowAt(QPointF pos, Instant now) const;
    void addSchedule(RedrawSchedule& s, Instant now) const;

    AppModel& model_;
    Settings& settings_;
    std::shared_ptr<UserInfo> user_;
    Clock clock_;
    std::string p1Name_;
    IslandViewState state_;
    bool pointerInside_ = false;
    std::optional<QPointF> pressGlobal_;
    QPointF lastGlobal_;
    bool pressInside_ = false;
    bool dragging_ = false;
    QTimer timer_;
    RedrawSchedule pending_;
};

} // namespace fray
